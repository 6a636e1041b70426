#include "dialogs/CWebGrab.h"

#include "data/AtomicFile.h"
#include "platform/InputOnlyTo.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kCancelledText = "The download was cancelled.";
constexpr size_t kMaxStatusLength = 511;
constexpr size_t kMaxErrorLength = 255;
// Progress is shown and the windows repainted at most this often, so that redrawing does not
// slow a fast transfer down.
constexpr auto kRefreshInterval = std::chrono::milliseconds(100);

std::string Cut(std::string text, size_t length)
{
  if (text.size() > length)
    text.resize(length);
  return text;
}

std::string SystemErrorText(int error)
{
  return Cut(std::strerror(error), kMaxErrorLength);
}

// Why the downloaded file could not be written: what is in the way under which name ("a
// folder is in the way", "this is a symbolic link..."), or the system's reason.
std::string WriteFailureText(const AtomicFile& file)
{
  const writetarget::WriteFailure& failure = file.Failure();
  if (!failure.IsSet())
    return SystemErrorText(errno);
  return failure.taken ? failure.Text() : Cut(failure.reason, kMaxErrorLength);
}

// "Read 4096 of 40960000 bytes (12.5 Kb/s)", without the rate in the first second and
// without "of ..." when the size to come is not known.
std::string ReadText(uint64_t received, uint64_t expected, long long seconds)
{
  const auto total = static_cast<unsigned long long>(received);
  const auto whole = static_cast<unsigned long long>(expected);
  const double rate = seconds > 0 ? (static_cast<double>(received) / 1024.0) / static_cast<double>(seconds) : 0.0;
  char text[128];
  if (expected != 0 && seconds > 0)
    std::snprintf(text, sizeof text, "Read %llu of %llu bytes (%0.1f Kb/s)", total, whole, rate);
  else if (expected != 0)
    std::snprintf(text, sizeof text, "Read %llu of %llu bytes", total, whole);
  else if (seconds > 0)
    std::snprintf(text, sizeof text, "Read %llu bytes (%0.1f Kb/s)", total, rate);
  else
    std::snprintf(text, sizeof text, "Read %llu bytes", total);
  return text;
}

std::string SizeFailureText(uint64_t received, uint64_t expected)
{
  char text[128];
  std::snprintf(text, sizeof text, "Received %llu bytes where %llu were expected",
                static_cast<unsigned long long>(received), static_cast<unsigned long long>(expected));
  return text;
}

// True at most once per refresh interval.
class Throttle {
public:
  bool Due()
  {
    const Clock::time_point now = Clock::now();
    if (m_Started && now - m_Last < kRefreshInterval)
      return false;
    m_Started = true;
    m_Last = now;
    return true;
  }

private:
  Clock::time_point m_Last;
  bool m_Started = false;
};

// Writes the body into the temporary file and reports the request's stages and progress to
// the session.
class FileReceiver : public platform::HttpReceiver {
public:
  FileReceiver(CWebGrabSession& session, AtomicFile& file, uint64_t expected, const bool& cancelled)
    : m_Session(session), m_File(file), m_Expected(expected), m_Cancelled(cancelled) {}

  void OnStage(platform::HttpStage stage, const std::string& info) override { m_Session.OnStatusCallback(stage, info); }

  bool OnBody(const char* data, size_t size) override
  {
    if (m_Cancelled)
      return false;
    if (m_Expected != 0 && m_Received + size > m_Expected) {
      m_Refusal = SizeFailureText(m_Received + size, m_Expected);
      return false;
    }
    if (!m_File.Write(data, size)) {
      m_Refusal = WriteFailureText(m_File);
      return false;
    }
    // The first piece is always shown, so that even a fast transfer says that the body came.
    const bool firstPiece = m_Received == 0;
    m_Received += size;
    if (m_StatusRefresh.Due() || firstPiece)
      m_Session.ShowStatus(ReadText(m_Received, m_Expected, WholeSecondsSinceStart()));
    return true;
  }

  bool OnProgress() override
  {
    if (m_WindowRefresh.Due())
      m_Session.KeepPainted();
    return !m_Cancelled;
  }

  // Why a piece of the body was refused ("" when none was).
  const std::string& Refusal() const { return m_Refusal; }
  // Once the whole body is in: why it is not the file expected ("" when it is).
  std::string SizeFailure() const
  {
    return m_Expected != 0 && m_Received != m_Expected ? SizeFailureText(m_Received, m_Expected) : std::string();
  }

private:
  long long WholeSecondsSinceStart() const
  {
    return std::llround(std::chrono::duration<double>(Clock::now() - m_Start).count());
  }

  CWebGrabSession& m_Session;
  AtomicFile& m_File;
  const uint64_t m_Expected;
  const bool& m_Cancelled;  // set by the cancel button while the transfer runs
  uint64_t m_Received = 0;
  std::string m_Refusal;
  const Clock::time_point m_Start = Clock::now();
  // The status text and the windows each refresh on their own: a steady flow of data must
  // not take every turn from the windows (and from the cancel button).
  Throttle m_StatusRefresh;
  Throttle m_WindowRefresh;
};

// While it lives, the cancel button (when there is one) is shown and is the one control that
// takes input.
class CancelOffer {
public:
  CancelOffer(QAbstractButton* button, CWebGrabSession& session, const std::function<void()>& cancel)
    : m_Button(button), m_Session(session)
  {
    if (m_Button == nullptr)
      return;
    m_Clicked = QObject::connect(m_Button, &QAbstractButton::clicked, cancel);
    m_Button->show();
    m_OnlyCancel.emplace(m_Button);
    m_Session.SetCancelButton(m_Button);
  }
  ~CancelOffer()
  {
    if (m_Button == nullptr)
      return;
    m_Session.SetCancelButton(nullptr);
    m_OnlyCancel.reset();
    m_Button->hide();
    QObject::disconnect(m_Clicked);
  }
  CancelOffer(const CancelOffer&) = delete;
  CancelOffer& operator=(const CancelOffer&) = delete;

private:
  QAbstractButton* m_Button;
  CWebGrabSession& m_Session;
  QMetaObject::Connection m_Clicked;
  std::optional<platform::InputOnlyTo> m_OnlyCancel;
};

}  // namespace

void CWebGrabSession::OnStatusCallback(platform::HttpStage stage, const std::string& info)
{
  using platform::HttpStage;
  switch (stage) {
  case HttpStage::kResolving: ShowStatus("Resolving name for " + info); break;
  case HttpStage::kResolved: ShowStatus("Resolved name for " + info); break;
  case HttpStage::kConnecting: ShowStatus("Connecting to socket address "); break;
  case HttpStage::kConnected: ShowStatus("Connected to socket address"); break;
  case HttpStage::kSending: ShowStatus("Sending request..."); break;
  case HttpStage::kSent: ShowStatus("Request sent"); break;
  case HttpStage::kReceived: ShowStatus("Response received"); break;
  case HttpStage::kClosing: ShowStatus("Closing the connection to the server"); break;
  case HttpStage::kClosed: ShowStatus("Connection to the server closed"); break;
  }
}

void CWebGrabSession::ShowStatus(const std::string& text)
{
  m_StatusText = Cut(text, kMaxStatusLength);
  if (m_StatusWindow == nullptr)
    return;
  m_StatusWindow->setText(QString::fromStdString(m_StatusText));
  m_StatusWindow->repaint();
}

void CWebGrabSession::KeepPainted() const
{
  // With a cancel button, input is let through; it reaches that button alone (see
  // DownloadToFile), so nothing else can start while the transfer holds the thread.
  QCoreApplication::processEvents(m_CancelButton != nullptr ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
}

bool CWebGrab::OpenSession(const char* agent, QLabel* window)
{
  m_Session.reset();
  auto session = std::make_unique<CWebGrabSession>(agent != nullptr ? agent : "Strataview");
  if (!session->Http().IsOpen())
    return false;
  session->SetStatusWindow(window);
  if (m_ReceiveTimeout != 0)
    session->Http().SetReceiveTimeout(m_ReceiveTimeout);
  m_Session = std::move(session);
  return true;
}

void CWebGrab::KeepPace(uint64_t expectedSize)
{
  platform::HttpSession& http = m_Session->Http();
  if (expectedSize == 0 || m_Pace.minimumRate == 0) {
    http.SetReceiveTimeout(m_ReceiveTimeout);
    http.SetDeadline(std::chrono::milliseconds(0));
    return;
  }
  http.SetMinimumRate(m_Pace.minimumRate, static_cast<uint32_t>(m_Pace.over.count()));
  const auto atMinimumRate = std::chrono::milliseconds(expectedSize * 1000 / m_Pace.minimumRate);
  http.SetDeadline(m_Pace.allowance + atMinimumRate);
}

int CWebGrab::DownloadToFile(const std::string& url, const char* agent, QLabel* window, const std::string& path,
                             uint64_t expectedSize)
{
  if (!m_Session && !OpenSession(agent, window))
    return 0;
  if (window != nullptr)
    m_Session->SetStatusWindow(window);
  if (m_Cancelled) {
    m_Session->ShowStatus(kCancelledText);
    return 0;
  }
  AtomicFile file(path, writetarget::WriteOrigin::kProgram);
  if (!file.IsOpen()) {
    m_Session->ShowStatus(WriteFailureText(file));
    return 0;
  }
  KeepPace(expectedSize);
  FileReceiver receiver(*m_Session, file, expectedSize, m_Cancelled);
  platform::HttpResult result;
  {
    const CancelOffer offer(m_CancelButton, *m_Session, [this] { m_Cancelled = true; });
    result = m_Session->Http().Get(url, receiver);
  }
  if (m_Cancelled) {
    m_Session->ShowStatus(kCancelledText);
    return 0;
  }
  std::string failure = receiver.Refusal();
  if (failure.empty() && !result.complete)
    failure = Cut(result.errorText, kMaxErrorLength);
  if (failure.empty())
    failure = receiver.SizeFailure();
  if (failure.empty() && !file.Commit())
    failure = WriteFailureText(file);
  if (!failure.empty()) {
    m_Session->ShowStatus(failure);
    return 0;
  }
  m_Session->ShowStatus("");
  return 1;
}
