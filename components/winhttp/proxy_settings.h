// SetProxy's texts turned into what curl takes.
#pragma once

#include <string>
#include <string_view>

namespace quolvane::winhttp {

// The proxy for a request from SetProxy's server text: "host:port", "http://host:port",
// or per-scheme entries such as "http=host:port;https=host:port". Empty: none fits.
std::string ProxyFor(std::string_view servers, bool https);
// The server as a URL curl takes ("http://" added when no scheme is given).
std::string ProxyUrl(std::string server);
// curl's no-proxy list from a bypass list; "<local>" has no equivalent and is left out.
std::string BypassList(std::string_view bypass);

}  // namespace quolvane::winhttp
