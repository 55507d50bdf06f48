// The main window's layout, one table for every window backend (Win32 and Qt), so
// the numbers and texts exist once.
#pragma once

#include <array>
#include <string_view>

namespace quolvane::layout {

inline constexpr std::u16string_view kCaption = u"Quolvane";

// The outer size, borders and caption bar included, on Windows.
inline constexpr int kOuterWidth = 788;
inline constexpr int kOuterHeight = 210;

// The client area a window of that outer size has with a fixed single border and a
// caption at 96 DPI under the Windows 10/11 default metrics (SM_CXFIXEDFRAME 3,
// SM_CYCAPTION 23): 3 pixels each side, 23 + 3 on top. Backends that size the client
// area themselves (Qt) use these.
inline constexpr int kFrame = 3;
inline constexpr int kCaptionHeight = 23;
inline constexpr int kClientWidth = kOuterWidth - 2 * kFrame;
inline constexpr int kClientHeight = kOuterHeight - kCaptionHeight - 2 * kFrame;

enum class ControlKind { Label, EditBox, Button };

struct Control {
  std::string_view name;  // UTF-8, also the object name tests and accessibility tools see
  ControlKind kind;
  int left, top, width, height;  // client coordinates
  std::u16string_view text;      // the text at start
  bool takesFocus;
};

// In creation order; the focusable ones in this order are also the Tab order.
inline constexpr std::array<Control, 8> kControls{{
    {"标签1", ControlKind::Label, 8, 16, 48, 24, u"视频地址", false},
    {"编辑框1", ControlKind::EditBox, 80, 16, 560, 32, u"", true},
    {"按钮1", ControlKind::Button, 672, 8, 80, 40, u"解析", true},
    {"编辑框2", ControlKind::EditBox, 80, 72, 560, 32, u"", true},
    {"按钮2", ControlKind::Button, 672, 64, 80, 40, u"下载", true},
    {"标签2", ControlKind::Label, 8, 64, 64, 32, u"无水印地址", false},
    {"标签3", ControlKind::Label, 8, 144, 136, 32, u"软件bug反馈：400-000-1234     ", false},
    {"标签4", ControlKind::Label, 648, 136, 104, 32, u"by：Tarnwick", false},
}};

// Indexes into kControls of the controls the handlers use.
inline constexpr size_t kShareTextBox = 1;    // 编辑框1
inline constexpr size_t kParseButton = 2;     // 按钮1
inline constexpr size_t kPlayAddressBox = 3;  // 编辑框2
inline constexpr size_t kDownloadButton = 4;  // 按钮2

struct Point {
  int x, y;
};

// Centred on the primary screen; the division truncates toward zero.
constexpr Point CentredOrigin(int screenWidth, int screenHeight) {
  return {(screenWidth - kOuterWidth) / 2, (screenHeight - kOuterHeight) / 2};
}

}  // namespace quolvane::layout
