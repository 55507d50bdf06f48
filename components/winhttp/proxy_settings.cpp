#include "components/winhttp/proxy_settings.h"

#include "automation/dispatch.h"

namespace quolvane::winhttp {

std::string ProxyFor(std::string_view servers, bool https) {
  std::string fallback;
  size_t start = 0;
  while (start < servers.size()) {
    size_t end = servers.find_first_of("; ", start);
    if (end == std::string_view::npos) end = servers.size();
    std::string_view entry = servers.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (fallback.empty()) fallback = entry;
      continue;
    }
    std::string_view scheme = entry.substr(0, equals);
    // Scheme names compare without regard to ASCII case, as member names do.
    if (MemberNameEquals(scheme, https ? "https" : "http"))
      return std::string(entry.substr(equals + 1));
  }
  return fallback;
}

std::string ProxyUrl(std::string server) {
  if (server.empty() || server.find("://") != std::string::npos) return server;
  return "http://" + server;
}

std::string BypassList(std::string_view bypass) {
  std::string list;
  size_t start = 0;
  while (start < bypass.size()) {
    size_t end = bypass.find_first_of("; ,", start);
    if (end == std::string_view::npos) end = bypass.size();
    std::string_view entry = bypass.substr(start, end - start);
    start = end + 1;
    if (entry.empty() || MemberNameEquals(entry, "<local>")) continue;
    if (!list.empty()) list += ",";
    list += entry;
  }
  return list;
}

}  // namespace quolvane::winhttp
