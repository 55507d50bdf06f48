#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// shellapi.h needs the types of windows.h, so it stays after it.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "app/cli/terminal.h"
#include "common/codepage.h"

namespace quolvane::cli {

std::vector<std::string> Utf8Arguments(int, char**) {
  // argv is in the ANSI code page and loses what it cannot map; ask for the wide form.
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count),
                                                     &LocalFree);
  std::vector<std::string> args;
  for (int i = 1; wide && i < count; ++i) {
    args.push_back(WideToUtf8(reinterpret_cast<const char16_t*>(wide.get()[i])));
  }
  return args;
}

void PrepareStandardStreams() {
  // Bytes in and out as they are: UTF-8, with no CR LF translation.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace quolvane::cli
