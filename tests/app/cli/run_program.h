// Runs a program with the given arguments and standard input and collects its exit
// status, standard output and standard error (posix_spawn or CreateProcess, with pipes).
#pragma once

#include <string>
#include <vector>

namespace quolvane::testing_support {

struct ProgramRun {
  int exitStatus = -1;  // -1: did not exit normally
  std::string out;
  std::string err;
};

// closeStdout: the program's standard output is closed for reading from the start.
ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input, bool closeStdout = false);

}  // namespace quolvane::testing_support
