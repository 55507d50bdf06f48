// The loopback test servers, as a test program sees them.
//
// One native process (loopback_server) serves every HTTP scenario on 127.0.0.1 (and the
// plain server on [::1] too); CTest starts it as the fixture "loopback" and hands its
// base port to each test through the environment variable QUOLVANE_LOOPBACK_BASE_PORT
// (see loopback.cmake, quolvane_loopback_test). Test code never starts servers itself:
// it builds addresses with the helpers below and reads back what the servers saw
// through the echo and the per-token request log.
//
// Header-only and portable: no sockets, no server library, so the same suites build
// with mingw-w64 and run as Windows programs under Wine.
//
// Routes of the HTTP servers (plain, and the same routes on every HTTPS port). A query
// parameter t=<token> files the request under that token in the request log.
//   /text?body=B&status=N&type=T  a page with the given body, status and Content-Type
//                                 (defaults: "hello", 200, text/plain); any verb
//   /headers?line=L&line=...&body=B  one response header per "Name: value" line, as given
//   /cookies                      the Set-Cookie lines of kMixedCaseCookieLines
//   /redirect?to=URL&code=N       a redirect (default 302) to any URL, file: and ftp:
//                                 included; any verb
//   /chain/N                      N redirects in a row, then kChainEndBody; the query
//                                 is carried along
//   /loop                         redirects to itself, forever
//   /slow?ms=N&body=B             answers after N milliseconds (at most 60000)
//   /zeros                        kZeroBody, a body holding zero bytes
//   /endless                      a chunked body that never ends
//   /big?size=N[&chunked=1]       N bytes of BigBodyByte(i); chunked: no Content-Length
//   /repeat?unit=U&size=N&tail=T  N bytes of U over and over (the last copy cut short),
//                                 then T; text/html with a Content-Length
//   /header-flood?count=N&length=L&body=B  N header lines "X-Flood-<i>: " and L bytes
//                                 of 'h' each (N at most 1000000, L at most 16 MiB)
//   /_ipv6                        kIpv6Listening when the plain server also listens on
//                                 [::1] (same port, every route), else "unavailable: why"
//   /_log/TOKEN                   what was received under TOKEN (FormatLog layout)
// Raw ports (plain sockets):
//   echo       any verb and target: answers 200 with the request exactly as received
//              (request line, header block, blank line, body); HEAD gets no body.
//              /hop... answers 302 to /echo with the same query, on the same port.
//   trickle    reads the request, then sends one byte a second, forever: /head...
//              trickles the status line and headers, anything else gets a complete
//              header block (Content-Length 100000) and a trickled body
//   silent     accepts and reads, never answers
//   garbage    answers bytes that are not HTTP, then closes
//   tlsFailure answers the TLS ClientHello with a handshake_failure alert
//   closed     nothing listens there
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quolvane {

// Offsets from the base port. The servers take kLoopbackPortCount ports in a row.
enum class LoopbackPort : int {
  kHttp = 0,
  kHttps = 1,             // certificate for 127.0.0.1 and localhost, self-signed
  kProxy = 2,             // tinyproxy with Basic authorisation
  kEcho = 3,              // raw: the request as received
  kTrickle = 4,           // raw: one byte a second
  kSilent = 5,            // raw: accepts, never answers
  kGarbage = 6,           // raw: not HTTP
  kTlsFailure = 7,        // raw: TLS handshake failure
  kClosed = 8,            // nothing listening
  kHttpsWrongName = 9,    // certificate only for kWrongCertificateName
  kHttpsExpired = 10,     // certificate whose validity ended yesterday
  kHttpsWrongUsage = 11,  // certificate for client authentication only
};
inline constexpr int kLoopbackPortCount = 12;

inline constexpr const char* kLoopbackHost = "127.0.0.1";
// The plain HTTP server only (LoopbackPort::kHttp's number), when /_ipv6 says so.
inline constexpr const char* kLoopbackHostV6 = "::1";
inline constexpr const char* kIpv6Listening = "listening";
inline constexpr const char* kLoopbackPortVariable = "QUOLVANE_LOOPBACK_BASE_PORT";

// The proxy's Basic credentials.
inline constexpr const char* kProxyUser = "quolvane";
// tinyproxy takes only [-a-z0-9._] in its BasicAuth line.
inline constexpr const char* kProxyPassword = "loop.back-7";

// Facts of the test certificates, made fresh at every server start (one RSA key).
inline constexpr const char* kCertificateCommonName = "Quolvane loopback";
inline constexpr const char* kCertificateNames = "DNS:localhost, IP:127.0.0.1";
inline constexpr const char* kWrongCertificateName = "wrong-name.invalid";

inline constexpr std::string_view kZeroBody{"A\0B\0\0C\xff\0", 8};
inline constexpr std::string_view kChainEndBody = "end of chain";
// The /cookies route sends these lines, in this order.
inline constexpr const char* kMixedCaseCookieLines[] = {
    "set-cookie: a=1; path=/",
    "SET-COOKIE: b=2",
    "Set-Cookie: c=3; HttpOnly",
};

// The byte at 0-based offset i of a /big body.
inline char BigBodyByte(uint64_t i) {
  return static_cast<char>('a' + i % 26);
}

// The base port from the environment. A test run outside CTest has no servers, so it
// stops at once with a message instead of failing in confusing ways.
inline int LoopbackBasePort() {
  static const int port = [] {
    const char* value = std::getenv(kLoopbackPortVariable);
    int parsed = value != nullptr ? std::atoi(value) : 0;
    if (parsed <= 0 || parsed + kLoopbackPortCount > 65535) {
      std::fprintf(stderr,
                   "%s is not set: run this test through ctest, which starts the loopback "
                   "servers (fixture \"loopback\")\n",
                   kLoopbackPortVariable);
      std::exit(2);
    }
    return parsed;
  }();
  return port;
}

inline int LoopbackPortNumber(LoopbackPort port) {
  return LoopbackBasePort() + static_cast<int>(port);
}

// "127.0.0.1:port"
inline std::string LoopbackHostPort(LoopbackPort port) {
  return std::string(kLoopbackHost) + ":" + std::to_string(LoopbackPortNumber(port));
}

// An address on any port; path starts with "/".
inline std::string LoopbackUrlAt(LoopbackPort port, std::string_view path,
                                 std::string_view scheme = "http") {
  return std::string(scheme) + "://" + LoopbackHostPort(port) + std::string(path);
}
inline std::string LoopbackUrl(std::string_view path) {
  return LoopbackUrlAt(LoopbackPort::kHttp, path);
}
// The plain HTTP server through the IPv6 loopback: "http://[::1]:port" and path.
inline std::string LoopbackV6Url(std::string_view path) {
  return "http://[" + std::string(kLoopbackHostV6) +
         "]:" + std::to_string(LoopbackPortNumber(LoopbackPort::kHttp)) + std::string(path);
}
inline std::string LoopbackHttpsUrl(std::string_view path) {
  return LoopbackUrlAt(LoopbackPort::kHttps, path, "https");
}
inline std::string LoopbackEchoUrl(std::string_view path = "/echo") {
  return LoopbackUrlAt(LoopbackPort::kEcho, path);
}
// The proxy as SetProxy takes it: "127.0.0.1:port".
inline std::string LoopbackProxy() {
  return LoopbackHostPort(LoopbackPort::kProxy);
}

// Percent-encodes everything but unreserved characters, for query values.
inline std::string LoopbackQueryEncode(std::string_view value) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : value) {
    auto byte = static_cast<unsigned char>(c);
    bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                      (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                      byte == '~';
    if (unreserved) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(hex[byte >> 4]);
      out.push_back(hex[byte & 15]);
    }
  }
  return out;
}

// /redirect on the plain HTTP server (or on the HTTPS one), to target.
inline std::string LoopbackRedirectUrl(std::string_view target, int code = 302,
                                       bool overHttps = false) {
  std::string path =
      "/redirect?code=" + std::to_string(code) + "&to=" + LoopbackQueryEncode(target);
  return overHttps ? LoopbackHttpsUrl(path) : LoopbackUrl(path);
}

// A token no other test (nor an earlier run against the same servers) uses.
inline std::string LoopbackToken() {
  static std::mt19937_64 engine{std::random_device{}()};
  static const char* hex = "0123456789abcdef";
  uint64_t value = engine();
  std::string token = "t";
  for (int i = 0; i < 16; ++i) token.push_back(hex[(value >> (i * 4)) & 15]);
  return token;
}

// One request as a server received it: from the echo (exact) or from the log (header
// order as the HTTP server's parser keeps it).
struct ReceivedRequest {
  std::string method;
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;  // name and value as sent
  std::string headerBlock;  // the header lines exactly as received, each ended by CR LF
  std::string body;

  // Values of every header with that name, compared without regard to ASCII case.
  [[nodiscard]] std::vector<std::string> Values(std::string_view name) const {
    std::vector<std::string> found;
    for (const auto& [key, value] : headers) {
      if (SameName(key, name)) found.push_back(value);
    }
    return found;
  }
  [[nodiscard]] bool Has(std::string_view name) const { return !Values(name).empty(); }
  [[nodiscard]] std::string Value(std::string_view name) const {
    auto values = Values(name);
    return values.empty() ? std::string() : values.front();
  }

  static bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
      if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
  }
};

namespace loopback_detail {

// Parses one request head starting at pos; pos moves past the blank line.
inline std::optional<ReceivedRequest> ParseHead(std::string_view raw, size_t& pos) {
  size_t lineEnd = raw.find("\r\n", pos);
  if (lineEnd == std::string_view::npos) return std::nullopt;
  std::string_view requestLine = raw.substr(pos, lineEnd - pos);
  ReceivedRequest request;
  size_t firstSpace = requestLine.find(' ');
  size_t lastSpace = requestLine.rfind(' ');
  if (firstSpace == std::string_view::npos || lastSpace == firstSpace) return std::nullopt;
  request.method = std::string(requestLine.substr(0, firstSpace));
  request.target = std::string(requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1));
  request.version = std::string(requestLine.substr(lastSpace + 1));
  pos = lineEnd + 2;
  while (true) {
    lineEnd = raw.find("\r\n", pos);
    if (lineEnd == std::string_view::npos) return std::nullopt;
    std::string_view line = raw.substr(pos, lineEnd - pos);
    pos = lineEnd + 2;
    if (line.empty()) break;
    request.headerBlock.append(line).append("\r\n");
    size_t colon = line.find(':');
    std::string_view name = line.substr(0, colon);
    std::string_view value = colon == std::string_view::npos ? "" : line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
      value.remove_prefix(1);
    }
    request.headers.emplace_back(std::string(name), std::string(value));
  }
  return request;
}

}  // namespace loopback_detail

// The echo's body: the request exactly as the echo received it.
inline std::optional<ReceivedRequest> ParseEcho(std::string_view raw) {
  size_t pos = 0;
  auto request = loopback_detail::ParseHead(raw, pos);
  if (request) request->body = std::string(raw.substr(pos));
  return request;
}

// The body of /_log/TOKEN: "count: N" and a blank line, then per request its request
// line and header lines and a blank line (bodies are not logged).
inline std::vector<ReceivedRequest> ParseLog(std::string_view log) {
  std::vector<ReceivedRequest> requests;
  size_t pos = log.find("\r\n\r\n");
  if (pos == std::string_view::npos) return requests;
  pos += 4;
  while (pos < log.size()) {
    auto request = loopback_detail::ParseHead(log, pos);
    if (!request) break;
    requests.push_back(std::move(*request));
  }
  return requests;
}

}  // namespace quolvane
