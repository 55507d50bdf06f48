// Runs a program through real pipes, as a user's shell would, and kills it when it
// has not ended after a watchdog time far beyond any of its own bounds: a hang then
// fails one case instead of stalling the suite (POSIX).
#pragma once

#include <string>
#include <vector>

namespace quolvane::testing_support {

struct BoundedRun {
  int exitStatus = -1;  // -1: did not exit normally
  bool killed = false;  // the watchdog ended it
  std::string out;
  std::string err;
};

BoundedRun RunBounded(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input, int watchdogSeconds);

}  // namespace quolvane::testing_support
