// quolvane.exe started as a user starts it, and a user's hands on it: real key presses,
// typing and mouse clicks through SendInput, and what a user sees read back from the
// window (texts, focus, places) without reaching into the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/win32/unique.h"
#include "automation/win32/windows_api.h"

namespace quolvane::testing {

struct HandleTraits : win32::PointerTraits<void> {
  static void Close(HANDLE value) noexcept { CloseHandle(value); }
};
using UniqueHandle = win32::Unique<HandleTraits>;

// A Windows path for a path of the build machine: Wine's drive Z: is its root.
std::wstring HostPathToWindows(const std::string& hostPath);

class RunningProgram {
 public:
  // Starts the program and waits until its main window is shown and in front.
  RunningProgram();
  // Ends the process if it is still running.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  [[nodiscard]] HWND Window() const { return window_; }
  // The top-level window's children in creation order.
  [[nodiscard]] const std::vector<HWND>& Controls() const { return controls_; }
  [[nodiscard]] HWND Control(size_t index) const { return controls_.at(index); }
  [[nodiscard]] HWND Focus() const;
  // Brings the window to the front again, as a user's click on its caption would.
  void BringToFront() const;
  // Waits until the focus is on control; false when it did not get there.
  bool WaitForFocus(HWND control) const;
  // Presses Tab until the focus is on control, at most once round the focus order.
  bool TabTo(HWND control) const;
  // Waits until the process has ended and gives its exit code; -1 when it has not ended.
  int64_t WaitForExit(DWORD milliseconds) const;
  [[nodiscard]] bool Running() const;
  [[nodiscard]] DWORD ProcessId() const { return processId_; }

 private:
  UniqueHandle process_;
  UniqueHandle thread_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
  HWND window_ = nullptr;
  std::vector<HWND> controls_;
};

std::u16string WindowText(HWND window);
void SetText(HWND window, const std::u16string& text);
// Client coordinates of a child of parent.
RECT ChildRect(HWND parent, HWND child);
// Waits until the text of window is text; false when it did not become so.
bool WaitForText(HWND window, const std::u16string& text, DWORD milliseconds = 20000);

// Keys as the keyboard sends them, to whatever has the focus.
void PressKey(WORD virtualKey);
void PressKeyWith(WORD modifier, WORD virtualKey);
// Typed as an input method commits text: one Unicode character per key stroke.
void TypeText(const std::u16string& text);
// A left click in the middle of the window (or control) on the screen.
void ClickOn(HWND window);
// A left click at a point of the screen.
void ClickAt(POINT screen);

}  // namespace quolvane::testing
