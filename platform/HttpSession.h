#pragma once
// Blocking HTTP GETs over libcurl, one at a time, on the calling thread. A session keeps one
// libcurl handle, so that successive requests to the same server may reuse its connection.
// Only http and https are spoken, on the first request and on every redirect; proxies come
// from the usual environment variables (http_proxy, https_proxy, no_proxy), as libcurl reads
// them.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The stages a request passes through, numbered as the download's status texts know them.
enum class HttpStage : int {
  kResolving = 10,   // info: the host name
  kResolved = 11,    // info: the host name
  kConnecting = 20,
  kConnected = 21,
  kSending = 30,
  kSent = 31,
  kReceived = 41,    // the status line of a response arrived
  kClosing = 50,
  kClosed = 51,
};

// What a request reports while it runs.
class HttpReceiver {
public:
  virtual ~HttpReceiver() = default;
  virtual void OnStage(HttpStage stage, const std::string& info) = 0;
  // A piece of the body of the final (2xx) response; false stops the transfer.
  virtual bool OnBody(const char* data, size_t size) = 0;
  // Called often while the request runs, also while nothing arrives: the place to keep the
  // interface painted. False stops the transfer.
  virtual bool OnProgress() = 0;
};

struct HttpResult {
  bool complete = false;  // the whole body of a 2xx response arrived
  std::string errorText;  // why not, in libcurl's words
};

class HttpSession {
public:
  // `agent` is sent as the User-Agent.
  explicit HttpSession(const std::string& agent);
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  bool IsOpen() const { return m_Handle != nullptr; }
  // A transfer that receives nothing for this long fails; 0 waits for ever.
  void SetReceiveTimeout(uint32_t milliseconds);
  // A transfer that receives less than `bytesPerSecond` on average over `milliseconds`
  // fails; 0 milliseconds sets no such limit.
  void SetMinimumRate(uint32_t bytesPerSecond, uint32_t milliseconds);
  // A request that has not ended this long after it began fails; 0 sets no deadline.
  void SetDeadline(std::chrono::milliseconds deadline);

  HttpResult Get(const std::string& url, HttpReceiver& receiver);

private:
  struct Callbacks;
  struct HandleDeleter {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, HandleDeleter> m_Handle;
  HttpReceiver* m_Receiver = nullptr;  // borrowed for the length of one Get
  std::string m_Host;                  // the host being resolved and connected to
  bool m_ResponseSeen = false;         // the current response's status line was reported
  char m_ErrorBuffer[256] = {};        // CURL_ERROR_SIZE
};

}  // namespace platform
