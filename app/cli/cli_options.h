// The command line of quolvane-resolve.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quolvane::cli {

struct Options {
  bool json = false;
  int jobs = 4;
  int timeoutSeconds = 15;
  bool help = false;
  bool version = false;
  std::vector<std::string> texts;  // UTF-8; empty: read standard input
};

struct ParseResult {
  std::optional<Options> options;  // empty on a usage error
  std::string error;               // what was wrong, for the user
};

// args excludes the program name.
ParseResult ParseOptions(const std::vector<std::string>& args);
std::string UsageText();
std::string VersionText();

}  // namespace quolvane::cli
