// What the user sees for one input: the line on standard output and, when the input
// did not resolve, the message on standard error.
#pragma once

#include <string>
#include <string_view>

#include "app/resolve.h"

namespace quolvane::cli {

struct Outcome {
  bool resolved = false;
  std::string line;     // UTF-8, without the line break; empty when not resolved (plain)
  std::string message;  // UTF-8 error message for standard error; empty when resolved
};

// number is the input's 1-based place; inputUtf8 is the input as given.
Outcome Report(int number, std::string_view inputUtf8, const ShareResolution& resolution,
               bool json);

// Why a share text resolved to nothing, in the user's words; empty when it resolved.
std::string FailureText(const ShareResolution& resolution);

std::string JsonString(std::string_view utf8);

}  // namespace quolvane::cli
