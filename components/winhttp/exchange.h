// One request of the component on libcurl: the redirects it follows and where it
// stops, the time each phase may take, and the bounded memory of a response.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "components/winhttp/curl_handles.h"
#include "components/winhttp/request_url.h"

namespace quolvane::winhttp {

// The limit of the response body kept in memory; a larger body fails the request.
inline constexpr size_t kMaxBodyBytes = size_t{64} << 20;
// At most this many redirects are followed, as by the system component.
inline constexpr int kMaxRedirects = 10;

// Milliseconds per phase; 0 means no limit.
struct Timeouts {
  int64_t resolve = 0;
  int64_t connect = 60000;
  int64_t send = 30000;
  int64_t receive = 30000;
};

struct RequestHeader {
  std::string name;  // bytes as they go on the wire
  std::string value;
};

struct ExchangeRequest {
  std::string verb;
  Address address;
  std::vector<RequestHeader> headers;
  std::optional<std::string> body;  // none: nothing is sent after the head
  Timeouts timeouts;
  bool followRedirects = true;
  uint32_t ignoreFlags = 0;      // Option(4)
  std::string proxy;             // "http://host:port", or empty for a direct connection
  std::string proxyBypass;       // curl's no-proxy list
  std::string defaultUserAgent;  // sent when no User-Agent header was set
};

struct ExchangeResponse {
  long status = 0;
  std::string statusText;
  std::vector<std::string> headerLines;  // of the final response, without line ends
  std::string body;
};

class Exchanger {
 public:
  // Fills response and returns true when a final response arrived; otherwise returns
  // false with the reason in plain words.
  bool Perform(const ExchangeRequest& request, ExchangeResponse& response, std::string& reason);

 private:
  // One transfer at a time; the multi handle keeps the connections between hops
  // and between Sends, and lets the wait be cut at the exact end of a phase.
  MultiHandle multi_;
  EasyHandle handle_;
  std::optional<uint32_t> lastIgnoreFlags_;
};

}  // namespace quolvane::winhttp
