// Resolves a batch of share texts with several workers and reports each one in input
// order, as soon as it and every input before it are done.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/cli/cli_options.h"

namespace quolvane::cli {

struct BatchStreams {
  std::function<std::optional<std::string>()> nextInput;   // UTF-8; nullopt at the end
  std::function<bool(const std::string& line)> writeLine;  // false: output is closed
  std::function<void(const std::string& text)> writeError;
  bool showProgress = false;  // a progress line on the error stream
};

struct BatchResult {
  int inputs = 0;
  int failed = 0;
  bool outputClosed = false;
};

BatchResult RunBatch(const Options& options, const BatchStreams& streams);

// The input as the resolver takes it, with warnings about what had to change.
struct PreparedInput {
  std::string utf8;  // NUL bytes replaced by spaces
  std::string warning;
};
PreparedInput PrepareInput(std::string raw);

}  // namespace quolvane::cli
