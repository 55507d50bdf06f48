// The platform side of a command-line program: arguments as UTF-8, standard streams
// set up for UTF-8 bytes, and whether standard error is a terminal.
#pragma once

#include <string>
#include <vector>

namespace quolvane::cli {

// The arguments after the program name, in UTF-8 whatever the system's code page.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// A closed standard output must show up as a failed write, not end the process.
void PrepareStandardStreams();
bool StderrIsTerminal();

}  // namespace quolvane::cli
