#include "tests/support/loopback_server/http_routes.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/loopback.h"
#include "tests/support/loopback_server/request_log.h"

namespace quolvane::loopback_server {
namespace {

constexpr size_t kWorkers = 48;
constexpr uint64_t kMaxBigBody = uint64_t{1} << 31;
constexpr long kMaxSlowMs = 60000;
constexpr long kMaxFloodLines = 1000000;
constexpr long kMaxFloodLineBytes = 16L << 20;

long NumberParam(const httplib::Request& request, const char* name, long fallback) {
  if (!request.has_param(name)) return fallback;
  try {
    return std::stol(request.get_param_value(name));
  } catch (...) {
    return fallback;
  }
}

std::string Param(const httplib::Request& request, const char* name, const char* fallback) {
  return request.has_param(name) ? request.get_param_value(name) : std::string(fallback);
}

// The parser adds its own pseudo headers for the peer's address; they were not sent.
bool IsPseudoHeader(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
         name == "LOCAL_PORT";
}

void LogRequest(const httplib::Request& request) {
  std::string head = request.method + " " + request.target + " " + request.version + "\r\n";
  for (const auto& [name, value] : request.headers) {
    if (!IsPseudoHeader(name)) head += name + ": " + value + "\r\n";
  }
  RecordRequest(request.target, std::move(head));
}

// The query of the current request, "?..." or empty, to carry along a redirect.
std::string QueryOf(const httplib::Request& request) {
  size_t mark = request.target.find('?');
  return mark == std::string::npos ? std::string() : request.target.substr(mark);
}

void Redirect(httplib::Response& response, int code, const std::string& location) {
  response.status = code;
  response.set_header("Location", location);
  response.set_content("redirecting", "text/plain");
}

template <typename Handler>
void OnEveryVerb(httplib::Server& server, const char* pattern, Handler handler) {
  server.Get(pattern, handler);
  server.Post(pattern, handler);
  server.Put(pattern, handler);
  server.Delete(pattern, handler);
  server.Options(pattern, handler);
  server.Patch(pattern, handler);
}

void Text(const httplib::Request& request, httplib::Response& response) {
  response.status = static_cast<int>(NumberParam(request, "status", 200));
  response.set_content(Param(request, "body", "hello"), Param(request, "type", "text/plain"));
}

void Headers(const httplib::Request& request, httplib::Response& response) {
  size_t lines = request.get_param_value_count("line");
  for (size_t i = 0; i < lines; ++i) {
    std::string line = request.get_param_value("line", i);
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    response.set_header(line.substr(0, colon), value);
  }
  response.set_content(Param(request, "body", "headers"), "text/plain");
}

void Cookies(const httplib::Request&, httplib::Response& response) {
  for (const char* line : kMixedCaseCookieLines) {
    std::string text(line);
    size_t colon = text.find(':');
    response.set_header(text.substr(0, colon), text.substr(colon + 2));
  }
  response.set_content("cookies", "text/plain");
}

void RedirectAnywhere(const httplib::Request& request, httplib::Response& response) {
  Redirect(response, static_cast<int>(NumberParam(request, "code", 302)),
           Param(request, "to", "/text"));
}

void Chain(const httplib::Request& request, httplib::Response& response) {
  long remaining = 0;
  try {
    remaining = std::stol(request.matches[1].str());
  } catch (...) {
    remaining = 0;
  }
  if (remaining <= 0) {
    response.set_content(std::string(kChainEndBody), "text/plain");
    return;
  }
  Redirect(response, 302, "/chain/" + std::to_string(remaining - 1) + QueryOf(request));
}

void Loop(const httplib::Request& request, httplib::Response& response) {
  Redirect(response, 302, "/loop" + QueryOf(request));
}

void Slow(const httplib::Request& request, httplib::Response& response) {
  long ms = std::clamp(NumberParam(request, "ms", 1000), 0L, kMaxSlowMs);
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  response.set_content(Param(request, "body", "slow"), "text/plain");
}

void Zeros(const httplib::Request&, httplib::Response& response) {
  response.set_content(std::string(kZeroBody), "application/octet-stream");
}

void Endless(const httplib::Request&, httplib::Response& response) {
  response.set_chunked_content_provider("application/octet-stream",
                                        [](size_t, httplib::DataSink& sink) {
                                          static const std::string chunk(64 * 1024, 'e');
                                          return sink.write(chunk.data(), chunk.size());
                                        });
}

void Big(const httplib::Request& request, httplib::Response& response) {
  auto size = static_cast<uint64_t>(std::max(0L, NumberParam(request, "size", 0)));
  size = std::min(size, kMaxBigBody);
  auto write = [size](size_t offset, httplib::DataSink& sink) {
    char block[16 * 1024];
    size_t count = static_cast<size_t>(std::min<uint64_t>(sizeof block, size - offset));
    for (size_t i = 0; i < count; ++i) block[i] = BigBodyByte(offset + i);
    return sink.write(block, count);
  };
  if (NumberParam(request, "chunked", 0) != 0) {
    auto sent = std::make_shared<uint64_t>(0);
    response.set_chunked_content_provider("application/octet-stream",
                                          [size, sent, write](size_t, httplib::DataSink& sink) {
                                            if (*sent >= size) {
                                              sink.done();
                                              return true;
                                            }
                                            size_t before = static_cast<size_t>(*sent);
                                            *sent += std::min<uint64_t>(16 * 1024, size - *sent);
                                            return write(before, sink);
                                          });
  } else {
    response.set_content_provider(
        static_cast<size_t>(size), "application/octet-stream",
        [write](size_t offset, size_t, httplib::DataSink& sink) { return write(offset, sink); });
  }
}

// size bytes of unit over and over (the last copy cut short), then tail.
void Repeat(const httplib::Request& request, httplib::Response& response) {
  const std::string given = Param(request, "unit", "");
  const std::string unit = given.empty() ? std::string(1, 'a') : given;
  auto size = static_cast<uint64_t>(std::max(0L, NumberParam(request, "size", 0)));
  size = std::min(size, kMaxBigBody);
  auto tail = std::make_shared<std::string>(Param(request, "tail", ""));
  response.set_content_provider(
      static_cast<size_t>(size + tail->size()), "text/html",
      [unit, size, tail](size_t offset, size_t, httplib::DataSink& sink) {
        if (offset >= size) {
          size_t into = static_cast<size_t>(offset - size);
          return sink.write(tail->data() + into, tail->size() - into);
        }
        std::string block;
        block.reserve(16 * 1024 + unit.size());
        size_t count = static_cast<size_t>(std::min<uint64_t>(16 * 1024, size - offset));
        for (size_t i = 0; i < count; ++i) block.push_back(unit[(offset + i) % unit.size()]);
        return sink.write(block.data(), block.size());
      });
}

// count header lines "X-Flood-<i>: " followed by length bytes of 'h'.
void HeaderFlood(const httplib::Request& request, httplib::Response& response) {
  long count = std::clamp(NumberParam(request, "count", 1), 0L, kMaxFloodLines);
  long length = std::clamp(NumberParam(request, "length", 1), 0L, kMaxFloodLineBytes);
  std::string value(static_cast<size_t>(length), 'h');
  for (long i = 0; i < count; ++i) response.set_header("X-Flood-" + std::to_string(i), value);
  response.set_content(Param(request, "body", "flood"), "text/plain");
}

std::mutex gIpv6Mutex;
std::string gIpv6State = "unavailable: not started";

void ShowIpv6(const httplib::Request&, httplib::Response& response) {
  std::lock_guard lock(gIpv6Mutex);
  response.set_content(gIpv6State, "text/plain");
}

void ShowLog(const httplib::Request& request, httplib::Response& response) {
  response.set_content(FormatLog(request.matches[1].str()), "text/plain");
}

}  // namespace

void InstallRoutes(httplib::Server& server) {
  // httplib owns and deletes the queue it is handed.
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  server.set_keep_alive_timeout(2);
  // Responses go out in pieces (head, then body); waiting to coalesce them costs a
  // delayed-acknowledgement pause per request.
  server.set_tcp_nodelay(true);
  server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
    LogRequest(request);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  OnEveryVerb(server, "/text", Text);
  OnEveryVerb(server, "/headers", Headers);
  OnEveryVerb(server, "/cookies", Cookies);
  OnEveryVerb(server, "/redirect", RedirectAnywhere);
  OnEveryVerb(server, R"(/chain/(-?\d+))", Chain);
  OnEveryVerb(server, "/loop", Loop);
  OnEveryVerb(server, "/slow", Slow);
  server.Get("/zeros", Zeros);
  server.Get("/endless", Endless);
  server.Get("/big", Big);
  server.Get("/repeat", Repeat);
  server.Get("/header-flood", HeaderFlood);
  server.Get("/_log/(.+)", ShowLog);
  server.Get("/_ipv6", ShowIpv6);
}

void NoteIpv6Listener(std::string state) {
  std::lock_guard lock(gIpv6Mutex);
  gIpv6State = std::move(state);
}

}  // namespace quolvane::loopback_server
