#pragma once
// A small HTTP client that fetches one file at a time into a local file, showing how the
// transfer goes in a status window. The transfer blocks the calling (interface) thread; the
// windows are kept painted while it runs, and user input waits until it ends.
#include "platform/HttpSession.h"

#include <cstdint>
#include <memory>
#include <string>

class QLabel;

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
  // Lets the windows repaint themselves while the transfer holds the interface thread.
  void KeepPainted() const;

private:
  platform::HttpSession m_Http;
  QLabel* m_StatusWindow = nullptr;  // borrowed; may be null
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

  // Fetches `url` into `path`: the body goes to a temporary file beside `path`, which takes
  // the name only when the whole body of a 2xx response arrived and, when `expectedSize` is
  // not 0, holds exactly that many bytes. 1 on success; 0 otherwise, with the reason as the
  // status text and nothing left at `path`'s name. A session is opened (with `agent`, or
  // "Strataview" when null) the first time and kept for further calls; `window`, when
  // given, becomes the session's status window.
  int DownloadToFile(const std::string& url, const char* agent, QLabel* window, const std::string& path,
                     uint64_t expectedSize);
  // Replaces the session by a new one; true when it could be opened.
  bool OpenSession(const char* agent, QLabel* window);

  // The last status text ("" after a successful download).
  std::string StatusText() const { return m_Session ? m_Session->StatusText() : std::string(); }

private:
  std::unique_ptr<CWebGrabSession> m_Session;
  uint32_t m_ReceiveTimeout = 0;
};
