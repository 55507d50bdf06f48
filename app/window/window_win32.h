// MainWindow on Win32: the table of layout.h as standard edit, button and static
// controls in a fixed-size top-level window, the window's own keys, and the two click
// handlers.
#pragma once

#include <array>

#include "app/window/layout.h"
#include "automation/win32/unique.h"
#include "automation/win32/windows_api.h"

namespace quolvane {

namespace win32 {

struct WindowTraits : PointerTraits<HWND__> {
  static void Close(HWND value) noexcept { DestroyWindow(value); }
};
using UniqueWindow = Unique<WindowTraits>;

// A registered window class, unregistered when the owner goes.
class WindowClass {
 public:
  WindowClass(HINSTANCE instance, const WNDCLASSEXW& description);
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  [[nodiscard]] const wchar_t* Name() const { return name_; }

 private:
  HINSTANCE instance_;
  const wchar_t* name_;
};

}  // namespace win32

class MainWindow {
 public:
  // The window's class name, which tests and tools look the window up by.
  static constexpr const wchar_t* kClassName = L"QuolvaneMainWindow";

  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void Show(int showCommand);
  // Gives the window the keys it handles before the focused control: Tab, Shift+Tab,
  // Esc and Enter. True when the message was taken and must not be dispatched.
  bool TakeKeyboardMessage(MSG& message);

  // Share text of 编辑框1 -> play address in 编辑框2; blocks until the resolution ends.
  void OnParseClicked();
  // Hands the text of 编辑框2, whatever it is, to the shell.
  void OnDownloadClicked();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls(HINSTANCE instance);

  win32::WindowClass class_;
  win32::UniqueWindow window_;
  // Children of window_, destroyed with it.
  std::array<HWND, layout::kControls.size()> controls_{};
  HWND focusBeforeDeactivation_ = nullptr;
  HFONT font_ = nullptr;  // the stock GUI font: shared, never deleted
};

}  // namespace quolvane
