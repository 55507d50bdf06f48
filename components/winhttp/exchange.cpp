#include "components/winhttp/exchange.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <mutex>

#include "common/large_buffer.h"
#include "components/winhttp/certificate_checks.h"

namespace quolvane::winhttp {
namespace {

using Clock = std::chrono::steady_clock;

// A response head larger than this is not an honest one.
constexpr size_t kMaxHeaderBytes = size_t{1} << 20;
// "No limit" for curl, which otherwise puts its own 300 s on connecting.
constexpr long kNoLimitMs = std::numeric_limits<long>::max() / 2;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool HasHeader(const std::vector<RequestHeader>& headers, std::string_view name) {
  return std::any_of(headers.begin(), headers.end(),
                     [name](const RequestHeader& header) { return SameName(header.name, name); });
}

// What one hop (one request and its response) needs in curl's callbacks.
constexpr const char* kBodyTooLarge = "the response body is larger than 64 MiB";

struct Transfer {
  CURL* handle = nullptr;
  ExchangeResponse response;
  const char* preparedBuffer = nullptr;  // the body's buffer, as far as it is mapped in
  size_t preparedBytes = 0;
  size_t headerBytes = 0;
  const std::string* body = nullptr;
  size_t bodyOffset = 0;

  // The phases after the connection: sending the request, then waiting for and
  // reading the response. Each is bounded as a whole, not per read, so a server that
  // trickles cannot stretch the exchange.
  int64_t sendLimitMs = 0;
  int64_t receiveLimitMs = 0;
  std::optional<Clock::time_point> sendStart;
  std::optional<Clock::time_point> receiveStart;
  std::optional<Clock::time_point> deadline;  // of the whole exchange, every hop
  int64_t totalLimitMs = 0;

  std::string abortReason;  // why a callback or a phase limit stopped the transfer

  void BodySent() {
    if (!receiveStart) receiveStart = Clock::now();
  }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t length = size * count;
  transfer->headerBytes += length;
  if (transfer->headerBytes > kMaxHeaderBytes) {
    transfer->abortReason = "the response headers are larger than 1 MiB";
    return 0;
  }
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.substr(0, 5) == "HTTP/") {
    // A new status line: an interim 1xx answer came before, or this is the first.
    transfer->response.headerLines.clear();
    transfer->response.statusText.clear();
    size_t code = line.find(' ');
    size_t text = code == std::string_view::npos ? code : line.find(' ', code + 1);
    if (text != std::string_view::npos) transfer->response.statusText = line.substr(text + 1);
    return length;
  }
  if (!line.empty()) transfer->response.headerLines.emplace_back(line);
  return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t length = size * count;
  std::string& body = transfer->response.body;
  if (length > kMaxBodyBytes - body.size()) {
    transfer->abortReason = kBodyTooLarge;
    return 0;
  }
  if (body.empty()) {
    // An announced length is taken at once (within the limit): growing a large page by
    // doubling would copy it several times over. Untouched pages cost nothing.
    curl_off_t announced = -1;
    if (curl_easy_getinfo(transfer->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) ==
            CURLE_OK &&
        announced > 0) {
      body.reserve(std::min(kMaxBodyBytes, static_cast<size_t>(announced)));
      AdviseLargeBuffer(body.data(), body.capacity());
    }
  }
  // Grows by doubling, but never reserves beyond the limit.
  size_t needed = body.size() + length;
  if (needed > body.capacity()) {
    body.reserve(std::min(kMaxBodyBytes, std::max(needed, body.capacity() * 2)));
  }
  // What is about to be written is mapped in a mebibyte at a time: all at once would
  // commit the whole of an announced length that a server may never send.
  constexpr size_t kPrepareStep = size_t{1} << 20;
  if (body.data() != transfer->preparedBuffer) {
    transfer->preparedBuffer = body.data();
    transfer->preparedBytes = body.size();
  }
  if (needed > transfer->preparedBytes) {
    size_t upTo =
        std::min(body.capacity(), std::max(needed, transfer->preparedBytes + kPrepareStep));
    PrepareForWriting(body.data() + transfer->preparedBytes, upTo - transfer->preparedBytes);
    transfer->preparedBytes = upTo;
  }
  body.append(data, length);
  return length;
}

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t left = transfer->body->size() - transfer->bodyOffset;
  size_t chunk = std::min(left, size * count);
  std::memcpy(buffer, transfer->body->data() + transfer->bodyOffset, chunk);
  transfer->bodyOffset += chunk;
  if (transfer->bodyOffset == transfer->body->size()) transfer->BodySent();
  return chunk;
}

// curl rewinds the body when it sends the request again on a fresh connection.
int OnSeek(void* user, curl_off_t offset, int origin) {
  auto* transfer = static_cast<Transfer*>(user);
  if (origin != SEEK_SET || offset < 0 || static_cast<size_t>(offset) > transfer->body->size()) {
    return CURL_SEEKFUNC_CANTSEEK;
  }
  transfer->bodyOffset = static_cast<size_t>(offset);
  return CURL_SEEKFUNC_OK;
}

// Connected (and through TLS): the request is about to go out.
int OnConnected(void* user, char*, char*, int, int) {
  auto* transfer = static_cast<Transfer*>(user);
  transfer->sendStart = Clock::now();
  transfer->receiveStart.reset();
  transfer->bodyOffset = 0;
  if (transfer->body == nullptr || transfer->body->empty()) transfer->BodySent();
  return CURL_PREREQFUNC_OK;
}

// The end of the phase the transfer is in, or of the whole exchange when that comes
// first; nullopt when nothing bounds it. reason names what ran out.
std::optional<Clock::time_point> NextLimit(const Transfer& transfer, std::string& reason) {
  std::optional<Clock::time_point> limit;
  auto consider = [&](Clock::time_point candidate, std::string text) {
    if (!limit || candidate < *limit) {
      limit = candidate;
      reason = std::move(text);
    }
  };
  if (transfer.receiveStart) {
    if (transfer.receiveLimitMs > 0) {
      consider(*transfer.receiveStart + std::chrono::milliseconds(transfer.receiveLimitMs),
               "timed out after " + std::to_string(transfer.receiveLimitMs) +
                   " ms waiting for the response");
    }
  } else if (transfer.sendStart && transfer.sendLimitMs > 0) {
    consider(*transfer.sendStart + std::chrono::milliseconds(transfer.sendLimitMs),
             "timed out after " + std::to_string(transfer.sendLimitMs) + " ms sending the request");
  }
  if (transfer.deadline) {
    consider(*transfer.deadline, "timed out after " + std::to_string(transfer.totalLimitMs) +
                                     " ms, the sum of the four timeouts");
  }
  return limit;
}

// Runs the transfer on multi until it ends or a limit passes. curl's own connect
// timeout covers the phase before the connection.
CURLcode Run(CURLM* multi, CURL* handle, Transfer& transfer) {
  if (curl_multi_add_handle(multi, handle) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  CURLcode result = CURLE_OK;
  while (true) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_OUT_OF_MEMORY;
      break;
    }
    if (running == 0) {
      int queued = 0;
      CURLMsg* message = curl_multi_info_read(multi, &queued);
      result = (message != nullptr && message->msg == CURLMSG_DONE) ? message->data.result
                                                                    : CURLE_RECV_ERROR;
      break;
    }
    std::string reason;
    std::optional<Clock::time_point> limit = NextLimit(transfer, reason);
    // Short waits notice a phase that began inside curl's callbacks.
    int64_t waitMs = 100;
    if (limit) {
      int64_t left =
          std::chrono::duration_cast<std::chrono::milliseconds>(*limit - Clock::now()).count();
      if (left <= 0) {
        transfer.abortReason = reason;
        result = CURLE_OPERATION_TIMEDOUT;
        break;
      }
      waitMs = std::min(waitMs, left);
    }
    if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr) != CURLM_OK) {
      result = CURLE_OUT_OF_MEMORY;
      break;
    }
  }
  // Taking a transfer off before its end closes its connection.
  curl_multi_remove_handle(multi, handle);
  return result;
}

bool IsFollowedRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string LocationOf(const ExchangeResponse& response) {
  for (const std::string& line : response.headerLines) {
    size_t colon = line.find(':');
    if (colon == std::string::npos ||
        !SameName(std::string_view(line).substr(0, colon), "Location")) {
      continue;
    }
    std::string value = line.substr(colon + 1);
    size_t first = value.find_first_not_of(" \t");
    size_t last = value.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
  }
  return {};
}

// The request of one hop, as it changes along the redirects.
struct Hop {
  std::string verb;
  Address address;
  std::vector<RequestHeader> headers;
  std::optional<std::string> body;
};

std::string HeaderLine(const RequestHeader& header) {
  return header.name + ": " + header.value;
}

// Sets every option of one hop on a handle that curl_easy_reset has cleared (its
// connections stay, so hops to the same server reuse them).
bool Configure(CURL* handle, const ExchangeRequest& request, const Hop& hop, Transfer& transfer,
               HeaderList& serverHeaders, HeaderList& proxyHeaders, char* errorBuffer) {
  transfer.handle = handle;
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(handle, CURLOPT_URL, hop.address.url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));

  // Only a proxy named through SetProxy: "" keeps curl from reading the environment.
  curl_easy_setopt(handle, CURLOPT_PROXY, request.proxy.c_str());
  if (!request.proxy.empty()) {
    curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!request.proxyBypass.empty()) {
      curl_easy_setopt(handle, CURLOPT_NOPROXY, request.proxyBypass.c_str());
    }
  }

  // curl's own defaults that the system component does not send go out blank.
  bool ok = true;
  for (const RequestHeader& header : hop.headers) {
    if (SameName(header.name, "Proxy-Authorization")) {
      ok = ok && proxyHeaders.Append(HeaderLine(header));
    } else {
      ok = ok && serverHeaders.Append(HeaderLine(header));
    }
  }
  if (!HasHeader(hop.headers, "Accept")) ok = ok && serverHeaders.Append("Accept:");
  if (!HasHeader(hop.headers, "Content-Type")) ok = ok && serverHeaders.Append("Content-Type:");
  ok = ok && serverHeaders.Append("Expect:");
  if (!ok) return false;
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, serverHeaders.Get());
  // Separate lists: the proxy's credentials never reach the server, tunnel or not.
  curl_easy_setopt(handle, CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
  curl_easy_setopt(handle, CURLOPT_PROXYHEADER, proxyHeaders.Get());
  if (!HasHeader(hop.headers, "User-Agent")) {
    curl_easy_setopt(handle, CURLOPT_USERAGENT, request.defaultUserAgent.c_str());
  }

  bool sendsBody = hop.body.has_value() && hop.verb != "HEAD";
  if (hop.verb == "HEAD") {
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  } else if (sendsBody || hop.verb == "POST" || hop.verb == "PUT") {
    // POST and PUT say "Content-Length: 0" when they carry nothing.
    static const std::string kNoBody;
    transfer.body = sendsBody ? &*hop.body : &kNoBody;
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(sendsBody ? hop.body->size() : 0));
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, OnRead);
    curl_easy_setopt(handle, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_SEEKFUNCTION, OnSeek);
    curl_easy_setopt(handle, CURLOPT_SEEKDATA, &transfer);
    if (hop.verb != "POST") curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, hop.verb.c_str());
  } else {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    if (hop.verb != "GET") curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, hop.verb.c_str());
  }

  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(handle, CURLOPT_PREREQDATA, &transfer);

  // Name resolution happens inside curl's connect phase, so the two share one bound.
  const Timeouts& timeouts = request.timeouts;
  int64_t connectMs = timeouts.connect == 0 ? 0 : timeouts.connect + timeouts.resolve;
  int64_t totalLeftMs = 0;
  if (transfer.deadline) {
    totalLeftMs = std::max<int64_t>(
        1, std::chrono::duration_cast<std::chrono::milliseconds>(*transfer.deadline - Clock::now())
               .count());
    connectMs = connectMs == 0 ? totalLeftMs : std::min(connectMs, totalLeftMs);
  }
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                   connectMs == 0 ? kNoLimitMs : static_cast<long>(connectMs));
  if (totalLeftMs > 0) curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(totalLeftMs));
  transfer.sendLimitMs = timeouts.send;
  transfer.receiveLimitMs = timeouts.receive;

  return ApplyCertificateChecks(handle, request.ignoreFlags);
}

std::string FailureText(CURL* handle, CURLcode code, const Transfer& transfer,
                        const char* errorBuffer) {
  if (!transfer.abortReason.empty()) return transfer.abortReason;
  // An announced length over the limit stops curl before the first byte; the same words
  // as for a body that grows past it.
  if (code == CURLE_FILESIZE_EXCEEDED) return kBodyTooLarge;
  // curl reports a header line beyond its own bound as running out of memory, with no text.
  if (code == CURLE_OUT_OF_MEMORY && transfer.response.body.empty() && errorBuffer[0] == '\0') {
    return "a response header line is longer than curl accepts (100 KiB), or memory ran out";
  }
  std::string text = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  long osError = 0;
  curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osError);
  // curl says "Couldn't connect to server" for every kind; the plain cause helps more.
  if (code == CURLE_COULDNT_CONNECT && osError == ECONNREFUSED) {
    return "connection refused (" + text + ")";
  }
  return text;
}

}  // namespace

bool EnsureCurlInitialised() {
  static std::once_flag once;
  static bool initialised = false;
  std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return initialised;
}

bool Exchanger::Perform(const ExchangeRequest& request, ExchangeResponse& response,
                        std::string& reason) {
  if (!EnsureCurlInitialised()) {
    reason = "libcurl could not be initialised";
    return false;
  }
  if (!multi_) multi_.reset(curl_multi_init());
  if (!handle_) handle_.reset(curl_easy_init());
  if (!multi_ || !handle_) {
    reason = "out of memory";
    return false;
  }
  const Timeouts& timeouts = request.timeouts;
  std::optional<Clock::time_point> deadline;
  int64_t totalMs = timeouts.resolve + timeouts.connect + timeouts.send + timeouts.receive;
  bool everyPhaseBounded =
      timeouts.resolve > 0 && timeouts.connect > 0 && timeouts.send > 0 && timeouts.receive > 0;
  if (everyPhaseBounded) deadline = Clock::now() + std::chrono::milliseconds(totalMs);

  // A connection made under looser certificate rules must not serve stricter ones.
  bool freshConnection = lastIgnoreFlags_ && *lastIgnoreFlags_ != request.ignoreFlags;
  lastIgnoreFlags_ = request.ignoreFlags;

  Hop hop{request.verb, request.address, request.headers, request.body};
  for (int redirects = 0;; ++redirects) {
    CURL* handle = handle_.get();
    curl_easy_reset(handle);
    Transfer transfer;
    transfer.deadline = deadline;
    transfer.totalLimitMs = totalMs;
    HeaderList serverHeaders;
    HeaderList proxyHeaders;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    if (!Configure(handle, request, hop, transfer, serverHeaders, proxyHeaders, errorBuffer)) {
      reason = "the request could not be prepared (out of memory, or no per-error TLS checks)";
      return false;
    }
    if (freshConnection) curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
    CURLcode code = Run(multi_.get(), handle, transfer);
    if (code != CURLE_OK) {
      reason = FailureText(handle, code, transfer, errorBuffer);
      return false;
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    transfer.response.status = status;

    std::string location = LocationOf(transfer.response);
    if (!request.followRedirects || !IsFollowedRedirect(status) || location.empty()) {
      response = std::move(transfer.response);
      return true;
    }
    if (redirects == kMaxRedirects) {
      reason = "more than " + std::to_string(kMaxRedirects) + " redirects";
      return false;
    }
    std::optional<Address> next = ResolveRedirect(hop.address, location, reason);
    if (!next) return false;
    if (hop.address.https && !next->https) {
      // Never down from https to http: the redirect itself is the answer.
      response = std::move(transfer.response);
      return true;
    }
    if (!SameOrigin(hop.address, *next)) {
      std::erase_if(hop.headers, [](const RequestHeader& header) {
        return SameName(header.name, "Cookie") || SameName(header.name, "Authorization");
      });
    }
    bool toGet = (status == 303 && hop.verb != "HEAD") ||
                 ((status == 301 || status == 302) && hop.verb == "POST");
    if (toGet) {
      hop.verb = "GET";
      hop.body.reset();
      std::erase_if(hop.headers, [](const RequestHeader& header) {
        return SameName(header.name, "Content-Type") || SameName(header.name, "Content-Length");
      });
    }
    hop.address = std::move(*next);
  }
}

}  // namespace quolvane::winhttp
