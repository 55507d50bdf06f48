// Runs a program with the given arguments and standard input, through real pipes as a
// user's shell would, and collects its exit status, standard output and standard error
// (posix_spawn or CreateProcess).
#pragma once

#include <string>
#include <vector>

namespace quolvane::testing_support {

struct ProgramRun {
  int exitStatus = -1;  // -1: did not exit normally
  bool killed = false;  // the watchdog ended it
  std::string out;
  std::string err;
};

// closeStdout: the program's standard output is closed for reading from the start.
// watchdogSeconds: when above 0, the program is killed if it has not ended by then, far
// beyond any bound of its own, so that a hang fails one case instead of the suite.
ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input, bool closeStdout = false, int watchdogSeconds = 0);

}  // namespace quolvane::testing_support
