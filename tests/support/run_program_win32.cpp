#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/host.h"
#include "tests/support/run_program.h"

namespace quolvane::testing_support {
namespace {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }
  HANDLE* Out() {
    Close();
    return &handle_;
  }
  void Close() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// One anonymous pipe; only the child's end is inherited.
struct Pipe {
  Handle read, write;
  bool Make(bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(read.Out(), write.Out(), &inherit, 0)) return false;
    return SetHandleInformation((childReads ? write : read).Get(), HANDLE_FLAG_INHERIT, 0) != 0;
  }
};

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// Quotes one argument so that CommandLineToArgvW and the C runtime give it back as is.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double only before a quote.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

void ReadAll(HANDLE from, std::string& into) {
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(from, buffer, sizeof buffer, &n, nullptr) && n > 0) into.append(buffer, n);
}

}  // namespace

ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input, bool closeStdout, int watchdogSeconds) {
  ProgramRun run;
  Pipe in, out, err;
  if (!in.Make(true) || !out.Make(false) || !err.Make(false)) return run;

  std::wstring program = Wide(HostPath(path));
  std::wstring commandLine = Quoted(program);
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.read.Get();
  startup.hStdOutput = out.write.Get();
  startup.hStdError = err.write.Get();
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  // The child holds its own ends now; ours go, so the reads end when the child does.
  in.read.Close();
  out.write.Close();
  err.write.Close();
  if (!started) return run;
  Handle processHandle(process.hProcess);
  Handle threadHandle(process.hThread);
  if (closeStdout) out.read.Close();

  std::thread watchdog;
  if (watchdogSeconds > 0) {
    watchdog = std::thread([&] {
      DWORD limit = static_cast<DWORD>(watchdogSeconds) * 1000;
      if (WaitForSingleObject(processHandle.Get(), limit) == WAIT_TIMEOUT) {
        run.killed = true;
        TerminateProcess(processHandle.Get(), 1);
      }
    });
  }
  std::thread outReader;
  if (!closeStdout) outReader = std::thread([&] { ReadAll(out.read.Get(), run.out); });
  std::thread errReader([&] { ReadAll(err.read.Get(), run.err); });
  // Written in pieces; a child that stops reading ends the writing with a broken pipe.
  for (size_t written = 0; written < input.size();) {
    DWORD n = 0;
    DWORD piece = static_cast<DWORD>(std::min<size_t>(input.size() - written, 1 << 16));
    if (!WriteFile(in.write.Get(), input.data() + written, piece, &n, nullptr) || n == 0) break;
    written += n;
  }
  in.write.Close();
  if (outReader.joinable()) outReader.join();
  errReader.join();

  WaitForSingleObject(processHandle.Get(), INFINITE);
  if (watchdog.joinable()) watchdog.join();
  DWORD code = 0;
  // A crash ends the process with an exception code, not an exit status.
  if (!run.killed && GetExitCodeProcess(processHandle.Get(), &code) && code < 0xC0000000u) {
    run.exitStatus = static_cast<int>(code);
  }
  return run;
}

}  // namespace quolvane::testing_support
