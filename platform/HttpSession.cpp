#include "platform/HttpSession.h"

#include <algorithm>
#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// A server that does not answer a connection attempt within this time is given up.
constexpr long kConnectTimeoutMs = 30000;
constexpr long kMaxRedirects = 10;

std::string HostOf(const std::string& url)
{
  std::string host;
  CURLU* parsed = curl_url();
  if (parsed == nullptr)
    return host;
  char* part = nullptr;
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
    host = part;
    curl_free(part);
  }
  curl_url_cleanup(parsed);
  return host;
}

}  // namespace

// libcurl calls plain functions; each finds its session through the user pointer.
struct HttpSession::Callbacks {
  static HttpSession& Of(void* session) { return *static_cast<HttpSession*>(session); }

  static void Report(HttpSession& session, HttpStage stage, const std::string& info = std::string())
  {
    if (session.m_Receiver != nullptr)
      session.m_Receiver->OnStage(stage, info);
  }

  static int ResolverStart(void*, void*, void* session)
  {
    HttpSession& s = Of(session);
    char* url = nullptr;
    curl_easy_getinfo(static_cast<CURL*>(s.m_Handle.get()), CURLINFO_EFFECTIVE_URL, &url);
    s.m_Host = url != nullptr ? HostOf(url) : std::string();
    Report(s, HttpStage::kResolving, s.m_Host);
    return 0;
  }

  // libcurl opens a socket once it has the server's address.
  static curl_socket_t OpenSocket(void* session, curlsocktype, struct curl_sockaddr* address)
  {
    HttpSession& s = Of(session);
    Report(s, HttpStage::kResolved, s.m_Host);
    Report(s, HttpStage::kConnecting);
    return ::socket(address->family, address->socktype, address->protocol);
  }

  static int CloseSocket(void* session, curl_socket_t socket)
  {
    Report(Of(session), HttpStage::kClosing);
    const int closed = ::close(socket);
    Report(Of(session), HttpStage::kClosed);
    return closed;
  }

  // Called once the connection stands (a new or a reused one), just before the request goes.
  static int BeforeRequest(void* session, char*, char*, int, int)
  {
    Report(Of(session), HttpStage::kConnected);
    Report(Of(session), HttpStage::kSending);
    return CURL_PREREQFUNC_OK;
  }

  static int Debug(CURL*, curl_infotype type, char*, size_t, void* session)
  {
    if (type == CURLINFO_HEADER_OUT)
      Report(Of(session), HttpStage::kSent);
    return 0;
  }

  // Each header line of each response, redirects included; a status line starts a response.
  static size_t Header(char* data, size_t unit, size_t count, void* session)
  {
    HttpSession& s = Of(session);
    const size_t size = unit * count;
    const bool statusLine = size >= 5 && std::string(data, 5) == "HTTP/";
    if (statusLine && !s.m_ResponseSeen) {
      s.m_ResponseSeen = true;
      Report(s, HttpStage::kReceived);
    } else if (size <= 2) {
      s.m_ResponseSeen = false;  // the blank line that ends a response's headers
    }
    return size;
  }

  static size_t Body(char* data, size_t unit, size_t count, void* session)
  {
    HttpSession& s = Of(session);
    const size_t size = unit * count;
    return s.m_Receiver != nullptr && s.m_Receiver->OnBody(data, size) ? size : 0;
  }

  static int Progress(void* session, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
  {
    HttpSession& s = Of(session);
    return s.m_Receiver == nullptr || s.m_Receiver->OnProgress() ? 0 : 1;
  }
};

void HttpSession::HandleDeleter::operator()(void* handle) const
{
  curl_easy_cleanup(static_cast<CURL*>(handle));
}

HttpSession::HttpSession(const std::string& agent) : m_Handle(curl_easy_init())
{
  static_assert(sizeof(m_ErrorBuffer) >= CURL_ERROR_SIZE, "libcurl's error buffer size");
  CURL* curl = static_cast<CURL*>(m_Handle.get());
  if (curl == nullptr)
    return;
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  // An error status fails the request before any of its body is delivered.
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_ErrorBuffer);

  curl_easy_setopt(curl, CURLOPT_RESOLVER_START_FUNCTION, &Callbacks::ResolverStart);
  curl_easy_setopt(curl, CURLOPT_RESOLVER_START_DATA, this);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &Callbacks::OpenSocket);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
  curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &Callbacks::CloseSocket);
  curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
  curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, &Callbacks::BeforeRequest);
  curl_easy_setopt(curl, CURLOPT_PREREQDATA, this);
  // The debug callback sees the request leave; it replaces libcurl's verbose printing.
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Callbacks::Debug);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Callbacks::Header);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Callbacks::Body);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Callbacks::Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

HttpSession::~HttpSession()
{
  // Closing the handle closes its connections, which reports to no one any more.
  m_Receiver = nullptr;
  m_Handle.reset();
}

void HttpSession::SetReceiveTimeout(uint32_t milliseconds)
{
  SetMinimumRate(1, milliseconds);
}

void HttpSession::SetMinimumRate(uint32_t bytesPerSecond, uint32_t milliseconds)
{
  CURL* curl = static_cast<CURL*>(m_Handle.get());
  if (curl == nullptr)
    return;
  // libcurl measures a stall in whole seconds.
  const long seconds = milliseconds == 0 ? 0L : static_cast<long>((milliseconds + 999) / 1000);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, seconds == 0 ? 0L : static_cast<long>(bytesPerSecond));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
}

void HttpSession::SetDeadline(std::chrono::milliseconds deadline)
{
  CURL* curl = static_cast<CURL*>(m_Handle.get());
  if (curl != nullptr)
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<int64_t>(deadline.count(), 0)));
}

HttpResult HttpSession::Get(const std::string& url, HttpReceiver& receiver)
{
  HttpResult result;
  CURL* curl = static_cast<CURL*>(m_Handle.get());
  if (curl == nullptr) {
    result.errorText = curl_easy_strerror(CURLE_FAILED_INIT);
    return result;
  }
  m_Receiver = &receiver;
  m_ResponseSeen = false;
  m_ErrorBuffer[0] = '\0';
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  m_Receiver = nullptr;
  if (code != CURLE_OK)
    result.errorText = m_ErrorBuffer[0] != '\0' ? std::string(m_ErrorBuffer) : std::string(curl_easy_strerror(code));
  else if (status < 200 || status > 299)
    result.errorText = "The server answered with status " + std::to_string(status);
  else
    result.complete = true;
  return result;
}

}  // namespace platform
