// The addresses a request may go to: Open's address escaped as the system component
// escapes it, and the rules for where a redirect may lead.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quolvane::winhttp {

struct Address {
  std::string url;  // absolute, escaped, as handed to curl
  bool https = false;
  std::string host;  // lower case
  long port = 0;     // the default port filled in
};

// Percent-encodes spaces, control bytes and bytes outside ASCII; an existing %XX, and
// every other byte, stays as it is.
std::string EscapeAddressBytes(std::string_view bytes);

// url: the address as UTF-8. Only http and https; nullopt and a reason otherwise.
std::optional<Address> ParseAddress(std::string_view url, std::string& reason);

// Where a redirect from `from` to the Location value leads, or nullopt and a reason
// when it may not be followed there (a scheme other than http and https).
std::optional<Address> ResolveRedirect(const Address& from, std::string_view location,
                                       std::string& reason);

// Same scheme, host and port: what a server may keep to itself (cookies, credentials).
bool SameOrigin(const Address& a, const Address& b);

}  // namespace quolvane::winhttp
