#pragma once
// A small HTTP client that fetches one file at a time into a local file, showing how the
// transfer goes in a status window. The transfer blocks the calling (interface) thread; the
// windows are kept painted while it runs, and user input waits until it ends.
#include "platform/HttpSession.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QAbstractButton;
class QLabel;

// How slow a download of an expected size may be: it fails when it averages less than the
// minimum rate over a stretch of time, and in any case once its deadline has passed, which
// is the time for the connection and the response (the allowance) plus the time the
// expected size takes at the minimum rate.
struct DownloadPace {
  uint32_t minimumRate = 0;  // bytes per second; 0: no pace, only the receive time-out
  std::chrono::milliseconds over{0};
  std::chrono::milliseconds allowance{0};
};

// The HTTP session with its status texts: each stage of a request becomes a text that is
// kept and shown at once in the status window, when there is one.
class CWebGrabSession {
public:
  explicit CWebGrabSession(const std::string& agent) : m_Http(agent) {}

  platform::HttpSession& Http() { return m_Http; }
  void SetStatusWindow(QLabel* window) { m_StatusWindow = window; }
  const std::string& StatusText() const { return m_StatusText; }

  // Turns a stage of the request into its status text and shows it.
  void OnStatusCallback(platform::HttpStage stage, const std::string& info);
  // Keeps the text (at most 511 characters) and makes it the status window's text, redrawn
  // at once. The text is shown as it is, never used as a format.
  void ShowStatus(const std::string& text);
  // Lets the windows repaint themselves while the transfer holds the interface thread, and
  // lets the cancel button, when there is one, be pressed.
  void KeepPainted() const;
  void SetCancelButton(QAbstractButton* button) { m_CancelButton = button; }

private:
  platform::HttpSession m_Http;
  QLabel* m_StatusWindow = nullptr;  // borrowed; may be null
  QAbstractButton* m_CancelButton = nullptr;  // borrowed; may be null
  std::string m_StatusText;
};

class CWebGrab {
public:
  CWebGrab() = default;
  ~CWebGrab() = default;
  CWebGrab(const CWebGrab&) = delete;
  CWebGrab& operator=(const CWebGrab&) = delete;

  // A transfer that receives nothing for this long fails; 0 keeps the session's default.
  void SetReceiveTimeout(uint32_t milliseconds) { m_ReceiveTimeout = milliseconds; }
  // Downloads of an expected size keep this pace (the minimum rate over the receive
  // time-out, and the deadline).
  void SetPace(const DownloadPace& pace) { m_Pace = pace; }
  // A button shown while a download runs (and hidden after it), the only control that takes
  // input meanwhile: pressing it stops the download, and every later one of this object.
  void SetCancelButton(QAbstractButton* button) { m_CancelButton = button; }
  bool Cancelled() const { return m_Cancelled; }

  // Fetches `url` into `path`: the body goes to a temporary file beside `path`, which takes
  // the name only when the whole body of a 2xx response arrived and, when `expectedSize` is
  // not 0, holds exactly that many bytes in time (see DownloadPace). 1 on success; 0
  // otherwise (also when cancelled), with the reason as the status text and nothing left at
  // `path`'s name. A session is opened (with `agent`, or
  // "Strataview" when null) the first time and kept for further calls; `window`, when
  // given, becomes the session's status window.
  int DownloadToFile(const std::string& url, const char* agent, QLabel* window, const std::string& path,
                     uint64_t expectedSize);
  // Replaces the session by a new one; true when it could be opened.
  bool OpenSession(const char* agent, QLabel* window);

  // The last status text ("" after a successful download).
  std::string StatusText() const { return m_Session ? m_Session->StatusText() : std::string(); }

private:
  void KeepPace(uint64_t expectedSize);

  std::unique_ptr<CWebGrabSession> m_Session;
  uint32_t m_ReceiveTimeout = 0;
  DownloadPace m_Pace;
  QAbstractButton* m_CancelButton = nullptr;  // borrowed; may be null
  bool m_Cancelled = false;
};
