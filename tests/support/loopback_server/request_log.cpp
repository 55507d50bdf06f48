#include "tests/support/loopback_server/request_log.h"

#include <map>
#include <mutex>
#include <vector>

namespace quolvane::loopback_server {
namespace {

// Bounds the memory a runaway test (a redirect loop through a broken client) can use.
constexpr size_t kMaxRequestsPerToken = 10000;

struct Log {
  std::mutex mutex;
  std::map<std::string, std::vector<std::string>, std::less<>> byToken;
};

Log& TheLog() {
  static Log log;
  return log;
}

}  // namespace

std::string TokenOf(std::string_view target) {
  size_t query = target.find('?');
  if (query == std::string_view::npos) return {};
  std::string_view rest = target.substr(query + 1);
  while (!rest.empty()) {
    size_t amp = rest.find('&');
    std::string_view pair = rest.substr(0, amp);
    if (pair.substr(0, 2) == "t=") return std::string(pair.substr(2));
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return {};
}

void RecordRequest(std::string_view target, std::string head) {
  std::string token = TokenOf(target);
  if (token.empty()) return;
  Log& log = TheLog();
  std::lock_guard lock(log.mutex);
  auto& entries = log.byToken[token];
  if (entries.size() < kMaxRequestsPerToken) entries.push_back(std::move(head));
}

std::string FormatLog(const std::string& token) {
  Log& log = TheLog();
  std::lock_guard lock(log.mutex);
  auto found = log.byToken.find(token);
  size_t count = found == log.byToken.end() ? 0 : found->second.size();
  std::string text = "count: " + std::to_string(count) + "\r\n\r\n";
  if (found != log.byToken.end()) {
    for (const std::string& head : found->second) text.append(head).append("\r\n");
  }
  return text;
}

}  // namespace quolvane::loopback_server
