#include <csignal>

#include <unistd.h>

#include "app/cli/terminal.h"

namespace quolvane::cli {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareStandardStreams() {
  std::signal(SIGPIPE, SIG_IGN);
}

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace quolvane::cli
