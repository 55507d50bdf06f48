#include "tests/app/window/program_win32.h"

#include <stdexcept>

namespace quolvane::testing {
namespace {

constexpr DWORD kStartTimeout = 30000;
constexpr DWORD kPoll = 20;

struct FindData {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* data = reinterpret_cast<FindData*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner == data->processId && std::wstring(name) == L"QuolvaneMainWindow" &&
      IsWindowVisible(window)) {
    data->found = window;
    return FALSE;
  }
  return TRUE;
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!condition()) {
    if (GetTickCount64() >= end) return false;
    Sleep(kPoll);
  }
  return true;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

std::wstring HostPathToWindows(const std::string& hostPath) {
  std::wstring path = L"Z:";
  for (char c : hostPath) path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
  return path;
}

RunningProgram::RunningProgram() {
  std::wstring commandLine = L"\"" + HostPathToWindows(QUOLVANE_WINDOW_PROGRAM) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    throw std::runtime_error("CreateProcess failed: " + std::to_string(GetLastError()));
  }
  process_.Reset(info.hProcess);
  thread_.Reset(info.hThread);
  processId_ = info.dwProcessId;
  threadId_ = info.dwThreadId;
  WaitForInputIdle(process_.Get(), kStartTimeout);

  FindData data{processId_, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&data));
        return data.found != nullptr;
      },
      kStartTimeout);
  if (data.found == nullptr) throw std::runtime_error("the program showed no main window");
  window_ = data.found;
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    controls_.push_back(child);
  }
  // As a user who has just started it: the window is in front and takes the keys.
  BringToFront();
}

void RunningProgram::BringToFront() const {
  SetForegroundWindow(window_);
  if (!WaitUntil([&] { return GetForegroundWindow() == window_ && Focus() != nullptr; },
                 kStartTimeout)) {
    throw std::runtime_error("the main window did not come to the front");
  }
}

RunningProgram::~RunningProgram() {
  if (Running()) {
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), kStartTimeout);
  }
}

HWND RunningProgram::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(threadId_, &info)) return nullptr;
  return info.hwndFocus;
}

bool RunningProgram::WaitForFocus(HWND control) const {
  return WaitUntil([&] { return Focus() == control; }, 10000);
}

bool RunningProgram::TabTo(HWND control) const {
  for (int presses = 0; presses <= 4; ++presses) {
    if (WaitUntil([&] { return Focus() == control; }, presses == 0 ? 0 : 2000)) return true;
    PressKey(VK_TAB);
  }
  return false;
}

int64_t RunningProgram::WaitForExit(DWORD milliseconds) const {
  if (WaitForSingleObject(process_.Get(), milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.Get(), &code);
  return code;
}

bool RunningProgram::Running() const {
  return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::u16string WindowText(HWND window) {
  // WM_GETTEXT is marshalled between processes; GetWindowText would not ask the control.
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(copied));
  return {buffer.begin(), buffer.end()};
}

void SetText(HWND window, const std::u16string& text) {
  const std::wstring wide(text.begin(), text.end());
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool WaitForText(HWND window, const std::u16string& text, DWORD milliseconds) {
  return WaitUntil([&] { return WindowText(window) == text; }, milliseconds);
}

void PressKey(WORD virtualKey) {
  Send({Key(virtualKey, false), Key(virtualKey, true)});
}

void PressKeyWith(WORD modifier, WORD virtualKey) {
  Send({Key(modifier, false), Key(virtualKey, false), Key(virtualKey, true), Key(modifier, true)});
}

void TypeText(const std::u16string& text) {
  std::vector<INPUT> inputs;
  for (char16_t c : text) {
    for (bool up : {false, true}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  Send(std::move(inputs));
}

void ClickOn(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void ClickAt(POINT screen) {
  // Absolute moves are in 0..65535 over the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = MulDiv(screen.x, 65535, width - 1);
  move.mi.dy = MulDiv(screen.y, 65535, height - 1);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  INPUT up = down;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  Send({move, down, up});
}

}  // namespace quolvane::testing
