#include "app/window/window_win32.h"

#include <string>
#include <string_view>

#include "app/resolve.h"
#include "app/window/resource_ids.h"
#include "app/window/shell.h"
#include "common/codepage.h"

namespace quolvane {
namespace {

// Fixed single border, caption, system menu with close, minimise; no maximise box and
// no sizing border.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

// Control identifiers start above IDOK and IDCANCEL, which the dialog keys send.
constexpr int kFirstControlId = 100;

std::wstring ToWide(std::u16string_view text) {
  return {text.begin(), text.end()};
}

// The boxes hold Unicode; the handlers work on code page 936 text, and what that cannot
// hold becomes "?".
Text ReadText(HWND box) {
  const int length = GetWindowTextLengthW(box);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(box, buffer.data(), length + 1);
  buffer.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return WideToAnsi(std::u16string(buffer.begin(), buffer.end()));
}

void WriteText(HWND box, const Text& text) {
  const std::u16string wide = AnsiToWide(text.View());
  SetWindowTextW(box, ToWide(wide).c_str());
}

// The wait cursor for as long as a handler blocks the message loop.
class BusyCursor {
 public:
  BusyCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~BusyCursor() { SetCursor(previous_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  HCURSOR previous_;
};

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(layout::ControlKind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case layout::ControlKind::EditBox:
      // Single line, scrolling sideways, sunken edge; the selection hides without focus.
      return {L"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case layout::ControlKind::Button:
      // A plain push button: neither is the default button, so Enter clicks nothing.
      return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, 0};
    case layout::ControlKind::Label:
      break;
  }
  return {L"STATIC", kChild | SS_LEFT, 0};
}

HICON ProgramIcon(HINSTANCE instance, int metricX, int metricY) {
  // Shared: the system keeps the icon and frees it with the module.
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(QUOLVANE_PROGRAM_ICON),
                                       IMAGE_ICON, GetSystemMetrics(metricX),
                                       GetSystemMetrics(metricY), LR_SHARED));
}

WNDCLASSEXW MainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = procedure;
  description.hInstance = instance;
  description.hIcon = ProgramIcon(instance, SM_CXICON, SM_CYICON);
  description.hIconSm = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
  description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  description.lpszClassName = MainWindow::kClassName;
  return description;
}

}  // namespace

namespace win32 {

WindowClass::WindowClass(HINSTANCE instance, const WNDCLASSEXW& description)
    : instance_(instance),
      name_(RegisterClassExW(&description) != 0 ? description.lpszClassName : nullptr) {}

WindowClass::~WindowClass() {
  if (name_ != nullptr) UnregisterClassW(name_, instance_);
}

}  // namespace win32

MainWindow::MainWindow(HINSTANCE instance)
    : class_(instance, MainWindowClass(instance, &MainWindow::Procedure)),
      font_(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {
  // The outer size is the fixed one; the client area is what the system's frame leaves.
  const layout::Point origin =
      layout::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const std::wstring caption = ToWide(layout::kCaption);
  HWND window =
      CreateWindowExW(kWindowExStyle, kClassName, caption.c_str(), kWindowStyle, origin.x, origin.y,
                      layout::kOuterWidth, layout::kOuterHeight, nullptr, nullptr, instance, this);
  window_.Reset(window);
  if (!window_) return;
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  CreateControls(instance);
}

void MainWindow::CreateControls(HINSTANCE instance) {
  for (size_t i = 0; i < layout::kControls.size(); ++i) {
    const layout::Control& control = layout::kControls[i];
    const ControlClass kind = ClassOf(control.kind);
    const std::wstring text = ToWide(control.text);
    HWND child = CreateWindowExW(
        kind.exStyle, kind.className, text.c_str(), kind.style, control.left, control.top,
        control.width, control.height, window_.Get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))),
        instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (control.kind == layout::ControlKind::EditBox) {
      // No limit of the program's own: the system's maximum instead of the edit
      // control's default of 30000 characters.
      SendMessageW(child, EM_SETLIMITTEXT, 0, 0);
    }
    controls_[i] = child;
  }
}

void MainWindow::Show(int showCommand) {
  if (!window_) return;
  ShowWindow(window_.Get(), showCommand);
  UpdateWindow(window_.Get());
  SetFocus(controls_[layout::kShareTextBox]);
}

bool MainWindow::TakeKeyboardMessage(MSG& message) {
  if (!window_) return false;
  // Enter does nothing anywhere. The dialog manager would click a focused push button
  // with it, and an edit box would beep.
  const bool enter = ((message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
                      message.wParam == VK_RETURN) ||
                     (message.message == WM_CHAR && message.wParam == L'\r');
  if (enter && (message.hwnd == window_.Get() || IsChild(window_.Get(), message.hwnd))) {
    return true;
  }
  // The dialog manager's keys: Tab and Shift+Tab walk the WS_TABSTOP controls in
  // creation order and wrap; Esc sends IDCANCEL; Space clicks the focused button.
  return IsDialogMessageW(window_.Get(), &message) != FALSE;
}

void MainWindow::OnParseClicked() {
  const BusyCursor busy;
  const Text shareText = ReadText(controls_[layout::kShareTextBox]);
  WriteText(controls_[layout::kPlayAddressBox], ResolveShareText(shareText));
}

void MainWindow::OnDownloadClicked() {
  OpenInShell(ReadText(controls_[layout::kPlayAddressBox]));
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // Gone already: the owner must not destroy it a second time.
    (void)self->window_.Release();
    self->controls_.fill(nullptr);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->Handle(window, message, wParam, lParam);
}

LRESULT MainWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        // Esc, from whichever control: a close request like the close button's.
        PostMessageW(window, WM_CLOSE, 0, 0);
      } else if (HIWORD(wParam) == BN_CLICKED) {
        if (id == kFirstControlId + static_cast<int>(layout::kParseButton)) OnParseClicked();
        if (id == kFirstControlId + static_cast<int>(layout::kDownloadButton)) OnDownloadClicked();
      }
      return 0;
    }
    case WM_ACTIVATE:
      // Keeps the focused control across a visit to another window; the default would
      // give the focus to the frame itself.
      if (LOWORD(wParam) == WA_INACTIVE) {
        focusBeforeDeactivation_ = GetFocus();
      } else {
        HWND focus =
            focusBeforeDeactivation_ != nullptr && IsChild(window, focusBeforeDeactivation_)
                ? focusBeforeDeactivation_
                : controls_[layout::kShareTextBox];
        if (focus != nullptr) SetFocus(focus);
      }
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace quolvane
