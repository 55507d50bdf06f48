// The Windows window as a user meets it, under Wine on Xvfb: where it appears, what it
// shows, its keys, and how it ends. The program runs in a process of its own, driven by
// real input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/window/program_win32.h"
#include "tests/support/host.h"

namespace quolvane::testing {
namespace {

// The screen the test wrapper gives Xvfb.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string Utf8(const std::u16string& text) {
  std::wstring wide(text.begin(), text.end());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

LONG_PTR Style(HWND window) {
  return GetWindowLongPtrW(window, GWL_STYLE);
}
LONG_PTR ExStyle(HWND window) {
  return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

TEST(Win32WindowTest, CaptionFrameAndPlace) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), kScreenWidth) << "the screen setting did not take";
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), kScreenHeight);
  RunningProgram program;
  HWND window = program.Window();

  EXPECT_EQ(Utf8(WindowText(window)), "Quolvane");
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 788);
  EXPECT_EQ(outer.bottom - outer.top, 210);
  // Centred, the division truncating: (1024 - 788) / 2 and (768 - 210) / 2.
  EXPECT_EQ(outer.left, 118);
  EXPECT_EQ(outer.top, 279);
  // The client area is what a fixed single border and a caption leave of that.
  RECT client{};
  GetClientRect(window, &client);
  RECT frame = client;
  AdjustWindowRectEx(&frame, static_cast<DWORD>(Style(window)), FALSE,
                     static_cast<DWORD>(ExStyle(window)));
  EXPECT_EQ(frame.right - frame.left, 788) << "client width " << client.right;
  EXPECT_EQ(frame.bottom - frame.top, 210) << "client height " << client.bottom;

  const LONG_PTR style = Style(window);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "no maximise button";
  EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
  EXPECT_FALSE(style & WS_CHILD);
  EXPECT_FALSE(ExStyle(window) & WS_EX_TOPMOST);
  EXPECT_FALSE(ExStyle(window) & WS_EX_TOOLWINDOW) << "it has a taskbar button";
  // The border does not resize it: hit testing finds no sizing edge at the corners.
  const LRESULT corner =
      SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(outer.right - 1, outer.bottom - 1));
  EXPECT_NE(corner, HTBOTTOMRIGHT);

  // Wine answers neither another process's class settings nor WM_GETFONT with a stock
  // font; the screenshot test sees the background on the screen instead.
  if (!RunningUnderWine()) {
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICON), 0) << "the program icon";
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICONSM), 0);
    const auto guiFont = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(SendMessageW(window, WM_GETFONT, 0, 0), guiFont);
  }
}

TEST(Win32WindowTest, ControlsInCreationOrderWithTheirPlacesTextsAndStyles) {
  enum Kind { kLabel, kEdit, kButton };
  struct Case {
    const char* name;
    Kind kind;
    RECT rect;  // left, top, right, bottom in client coordinates
    std::u16string text;
  };
  const Case cases[] = {
      {"标签1", kLabel, {8, 16, 56, 40}, u"视频地址"},
      {"编辑框1", kEdit, {80, 16, 640, 48}, u""},
      {"按钮1", kButton, {672, 8, 752, 48}, u"解析"},
      {"编辑框2", kEdit, {80, 72, 640, 104}, u""},
      {"按钮2", kButton, {672, 64, 752, 104}, u"下载"},
      {"标签2", kLabel, {8, 64, 72, 96}, u"无水印地址"},
      {"标签3", kLabel, {8, 144, 144, 176}, u""},  // text checked below
      {"标签4", kLabel, {648, 136, 752, 168}, u"by：Tarnwick"},
  };
  RunningProgram program;
  const std::vector<HWND>& controls = program.Controls();
  ASSERT_EQ(controls.size(), std::size(cases));
  const auto guiFont = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    HWND control = controls[i];
    const RECT rect = ChildRect(program.Window(), control);
    EXPECT_EQ(rect.left, c.rect.left);
    EXPECT_EQ(rect.top, c.rect.top);
    EXPECT_EQ(rect.right, c.rect.right);
    EXPECT_EQ(rect.bottom, c.rect.bottom);
    if (!c.text.empty() || c.kind != kLabel) {
      EXPECT_EQ(Utf8(WindowText(control)), Utf8(c.text));
    }
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_TRUE(IsWindowEnabled(control));
    if (!RunningUnderWine()) {
      EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), guiFont);
    }
    const LONG_PTR style = Style(control);
    EXPECT_EQ((style & WS_TABSTOP) != 0, c.kind != kLabel) << "only these take the focus";
    EXPECT_FALSE(style & WS_BORDER);
    switch (c.kind) {
      case kLabel:
        EXPECT_EQ(ClassName(control), L"Static");
        EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT);
        EXPECT_FALSE(style & (SS_SUNKEN | SS_NOTIFY));
        EXPECT_FALSE(ExStyle(control) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        break;
      case kEdit:
        EXPECT_EQ(ClassName(control), L"Edit");
        EXPECT_TRUE(style & ES_AUTOHSCROLL);
        EXPECT_EQ(style & (ES_CENTER | ES_RIGHT), 0) << "left-aligned";
        EXPECT_FALSE(style & (ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_UPPERCASE |
                              ES_LOWERCASE | ES_NUMBER | ES_NOHIDESEL));
        EXPECT_TRUE(ExStyle(control) & WS_EX_CLIENTEDGE) << "sunken edge";
        // Beyond the edit control's default of 30000 characters.
        EXPECT_GT(SendMessageW(control, EM_GETLIMITTEXT, 0, 0), 30000);
        break;
      case kButton:
        EXPECT_EQ(ClassName(control), L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "not a default button";
        EXPECT_EQ(style & (BS_BITMAP | BS_ICON), 0) << "no picture";
        break;
    }
  }
  // The feedback number is ours to choose; the rest of the text is fixed, with the
  // full-width colon and five spaces at the end.
  const std::string feedback = Utf8(WindowText(controls.at(6)));
  EXPECT_EQ(feedback.rfind("软件bug反馈：", 0), 0u) << feedback;
  EXPECT_TRUE(feedback.ends_with("     ") && !feedback.ends_with("      ")) << feedback;
}

TEST(Win32WindowTest, TabAndShiftTabCycleTheFocusableControlsAndWrap) {
  RunningProgram program;
  // 编辑框1, 按钮1, 编辑框2, 按钮2 by their creation order.
  const std::vector<HWND> order = {program.Control(1), program.Control(2), program.Control(3),
                                   program.Control(4)};
  ClickOn(order[0]);
  ASSERT_TRUE(program.WaitForFocus(order[0]));
  // Twice round, so the wrap is crossed in the middle of the walk.
  for (size_t step = 1; step <= 2 * order.size(); ++step) {
    PressKey(VK_TAB);
    ASSERT_TRUE(program.WaitForFocus(order[step % order.size()])) << "after Tab number " << step;
  }
  for (size_t step = 1; step <= 2 * order.size(); ++step) {
    PressKeyWith(VK_SHIFT, VK_TAB);
    ASSERT_TRUE(program.WaitForFocus(order[(2 * order.size() - step) % order.size()]))
        << "after Shift+Tab number " << step;
  }
}

TEST(Win32WindowTest, EnterAndF1StartNothingAndKeepTheFocus) {
  RunningProgram program;
  const std::vector<HWND> order = {program.Control(1), program.Control(2), program.Control(3),
                                   program.Control(4)};
  // A Parse would at least write the bare prefix into 编辑框2.
  SetText(order[0], u"no link in here");
  ClickOn(order[0]);
  ASSERT_TRUE(program.WaitForFocus(order[0]));
  for (size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(i);
    for (WORD key : {WORD{VK_RETURN}, WORD{VK_F1}}) {
      PressKey(key);
    }
    // Keys are taken in order: once Tab has moved the focus, Enter and F1 were handled.
    PressKey(VK_TAB);
    ASSERT_TRUE(program.WaitForFocus(order[(i + 1) % order.size()]));
    EXPECT_EQ(Utf8(WindowText(order[2])), "");
    EXPECT_TRUE(program.Running());
  }
}

// Every way of closing ends the process with exit code 0.
TEST(Win32WindowTest, EscAltF4AndTheSystemMenuEndTheProcessWithZero) {
  enum Way { kEsc, kAltF4, kSystemMenu };
  struct Case {
    const char* what;
    Way way;
    size_t focus;  // index of the control that has the focus
  };
  const Case cases[] = {
      {"Esc in 编辑框1", kEsc, 1}, {"Esc on 按钮1", kEsc, 2}, {"Esc in 编辑框2", kEsc, 3},
      {"Esc on 按钮2", kEsc, 4},   {"Alt+F4", kAltF4, 1},     {"system menu", kSystemMenu, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunningProgram program;
    const std::vector<HWND> order = {program.Control(1), program.Control(2), program.Control(3),
                                     program.Control(4)};
    ClickOn(order[0]);
    ASSERT_TRUE(program.WaitForFocus(order[0]));
    for (size_t i = 1; i < c.focus; ++i) PressKey(VK_TAB);
    ASSERT_TRUE(program.WaitForFocus(program.Control(c.focus)));
    switch (c.way) {
      case kEsc:
        PressKey(VK_ESCAPE);
        break;
      case kAltF4:
        PressKeyWith(VK_MENU, VK_F4);
        break;
      case kSystemMenu:
        // Alt+Space opens the system menu; C is its Close item.
        PressKeyWith(VK_MENU, VK_SPACE);
        Sleep(300);
        PressKey('C');
        break;
    }
    EXPECT_EQ(program.WaitForExit(15000), 0);
  }
}

}  // namespace
}  // namespace quolvane::testing
