#include "components/winhttp/request_url.h"

#include "components/winhttp/curl_handles.h"

namespace quolvane::winhttp {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string Lower(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = LowerAscii(c);
  return lowered;
}

// The scheme before the first ":", when the text starts with one (RFC 3986 syntax).
std::optional<std::string> LeadingScheme(std::string_view text) {
  size_t i = 0;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.empty() || !alpha(text[0])) return std::nullopt;
  while (i < text.size() &&
         (alpha(text[i]) || digit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.')) {
    ++i;
  }
  if (i == text.size() || text[i] != ':') return std::nullopt;
  return Lower(text.substr(0, i));
}

bool IsWebScheme(const std::string& scheme) {
  return scheme == "http" || scheme == "https";
}

std::string Part(CURLU* url, CURLUPart part, unsigned int flags = 0) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, flags) != CURLUE_OK || value == nullptr) return {};
  std::string copy(value);
  curl_free(value);
  return copy;
}

std::optional<Address> Describe(CURLU* url, std::string& reason) {
  Address address;
  std::string scheme = Lower(Part(url, CURLUPART_SCHEME));
  if (!IsWebScheme(scheme)) {
    reason = "only http and https addresses are supported";
    return std::nullopt;
  }
  address.https = scheme == "https";
  address.host = Lower(Part(url, CURLUPART_HOST));
  if (address.host.empty()) {
    reason = "the address has no host";
    return std::nullopt;
  }
  std::string port = Part(url, CURLUPART_PORT, CURLU_DEFAULT_PORT);
  address.port = port.empty() ? 0 : std::stol(port);
  address.url = Part(url, CURLUPART_URL);
  return address;
}

// The address bytes with spaces and bytes outside printable ASCII encoded after the
// authority; the authority itself must be printable ASCII.
std::optional<std::string> EscapeAfterAuthority(std::string_view url, std::string& reason) {
  size_t authority = url.find("://");
  size_t start = authority == std::string_view::npos ? 0 : authority + 3;
  size_t end = url.find_first_of("/?#", start);
  if (end == std::string_view::npos) end = url.size();
  for (size_t i = 0; i < end; ++i) {
    auto byte = static_cast<unsigned char>(url[i]);
    if (byte <= 0x20 || byte >= 0x7F) {
      reason = "the host part of the address holds spaces or bytes outside ASCII";
      return std::nullopt;
    }
  }
  return std::string(url.substr(0, end)) + EscapeAddressBytes(url.substr(end));
}

}  // namespace

std::string EscapeAddressBytes(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      out.push_back('%');
      out.push_back(hex[byte >> 4]);
      out.push_back(hex[byte & 15]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::optional<Address> ParseAddress(std::string_view url, std::string& reason) {
  std::optional<std::string> scheme = LeadingScheme(url);
  if (!scheme || !IsWebScheme(*scheme)) {
    reason = "only http and https addresses are supported";
    return std::nullopt;
  }
  std::optional<std::string> escaped = EscapeAfterAuthority(url, reason);
  if (!escaped) return std::nullopt;
  UrlHandle handle(curl_url());
  if (!handle) {
    reason = "out of memory";
    return std::nullopt;
  }
  CURLUcode parsed = curl_url_set(handle.get(), CURLUPART_URL, escaped->c_str(), CURLU_PATH_AS_IS);
  if (parsed != CURLUE_OK) {
    reason = std::string("malformed address: ") + curl_url_strerror(parsed);
    return std::nullopt;
  }
  return Describe(handle.get(), reason);
}

std::optional<Address> ResolveRedirect(const Address& from, std::string_view location,
                                       std::string& reason) {
  std::optional<std::string> scheme = LeadingScheme(location);
  if (scheme && !IsWebScheme(*scheme)) {
    reason = "redirect to a " + *scheme + ": address refused";
    return std::nullopt;
  }
  if (location.empty()) {
    reason = "redirect without a target";
    return std::nullopt;
  }
  UrlHandle handle(curl_url());
  if (!handle ||
      curl_url_set(handle.get(), CURLUPART_URL, from.url.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
    reason = "out of memory";
    return std::nullopt;
  }
  std::string target;
  if (scheme) {
    std::optional<std::string> escaped = EscapeAfterAuthority(location, reason);
    if (!escaped) return std::nullopt;
    target = *escaped;
  } else {
    target = EscapeAddressBytes(location);
  }
  CURLUcode resolved = curl_url_set(handle.get(), CURLUPART_URL, target.c_str(), CURLU_PATH_AS_IS);
  if (resolved != CURLUE_OK) {
    reason = std::string("malformed redirect target: ") + curl_url_strerror(resolved);
    return std::nullopt;
  }
  std::optional<Address> next = Describe(handle.get(), reason);
  if (!next) reason = "redirect to an address other than http or https refused";
  return next;
}

bool SameOrigin(const Address& a, const Address& b) {
  return a.https == b.https && a.host == b.host && a.port == b.port;
}

}  // namespace quolvane::winhttp
