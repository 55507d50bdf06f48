#include "app/cli/report.h"

#include <cstdio>

#include "common/codepage.h"

namespace quolvane::cli {

std::string FailureText(const ShareResolution& resolution) {
  if (resolution.link.IsEmpty()) return "no link in the text";
  if (resolution.status == 0) {
    std::string reason = AnsiToUtf8(resolution.failureReason);
    return "the request to " + AnsiToUtf8(resolution.link) + " failed (" +
           (reason.empty() ? std::string("no answer") : reason) + ")";
  }
  if (resolution.identifier.IsEmpty()) {
    return "the server answered with status " + std::to_string(resolution.status) +
           " but the page holds no video identifier";
  }
  return {};
}

std::string JsonString(std::string_view utf8) {
  // The text is valid UTF-8 by the time it gets here (it went through the code page
  // conversion), so only quotes, backslashes and control characters need escaping.
  std::string out = "\"";
  for (char c : utf8) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

Outcome Report(int number, std::string_view inputUtf8, const ShareResolution& resolution,
               bool json) {
  Outcome outcome;
  std::string failure = FailureText(resolution);
  outcome.resolved = failure.empty();
  if (!outcome.resolved) outcome.message = "input " + std::to_string(number) + ": " + failure;
  if (!json) {
    if (outcome.resolved) outcome.line = AnsiToUtf8(resolution.playAddress);
    return outcome;
  }
  // The input is echoed after the same conversion the resolver saw.
  std::string input = WideToUtf8(Utf8ToWide(inputUtf8));
  std::string& out = outcome.line;
  auto field = [&out](const char* name, const std::string& value) {
    out.append(out.empty() ? "{\"" : ",\"").append(name).append("\":").append(value);
  };
  field("input", JsonString(input));
  field("link", JsonString(AnsiToUtf8(resolution.link)));
  field("status", std::to_string(resolution.status));
  field("identifier", JsonString(AnsiToUtf8(resolution.identifier)));
  field("playAddress", JsonString(outcome.resolved ? AnsiToUtf8(resolution.playAddress) : ""));
  field("error", outcome.resolved ? std::string("null") : JsonString(failure));
  out += '}';
  return outcome;
}

}  // namespace quolvane::cli
