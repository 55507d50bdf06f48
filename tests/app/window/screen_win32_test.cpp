// The window as the screen shows it: a picture of the screen where the window stands,
// taken from outside the program. The button-face background must be there, between
// the controls. With QUOLVANE_WINDOW_SCREENSHOT set to a path of the build machine,
// the picture is also written there as PNG (docs/window-windows.png is made so).
#include <gtest/gtest.h>
#include <wincodec.h>

#include <cstdlib>
#include <string>

#include "tests/app/window/program_win32.h"

namespace quolvane::testing {
namespace {

struct DcTraits : win32::PointerTraits<HDC__> {
  static void Close(HDC value) noexcept { DeleteDC(value); }
};
struct ObjectTraits : win32::PointerTraits<void> {
  static void Close(HGDIOBJ value) noexcept { DeleteObject(value); }
};

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  [[nodiscard]] HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A 32-bit top-down copy of a rectangle of the screen.
struct Picture {
  win32::Unique<ObjectTraits> bitmap;
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  [[nodiscard]] COLORREF At(int x, int y) const {
    const uint32_t bgr =
        pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
  }
};

Picture Grab(const RECT& rect) {
  Picture picture;
  picture.width = rect.right - rect.left;
  picture.height = rect.bottom - rect.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const ScreenDc screen;
  void* bits = nullptr;
  picture.bitmap.Reset(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture.bitmap) return picture;
  win32::Unique<DcTraits> memory(CreateCompatibleDC(screen.Get()));
  HGDIOBJ old = SelectObject(memory.Get(), picture.bitmap.Get());
  BitBlt(memory.Get(), 0, 0, picture.width, picture.height, screen.Get(), rect.left, rect.top,
         SRCCOPY);
  SelectObject(memory.Get(), old);
  GdiFlush();
  picture.pixels = static_cast<const uint32_t*>(bits);
  return picture;
}

// Through the system's imaging component, reached by COM, so no DLL is linked for it.
bool SavePng(const Picture& picture, const std::wstring& path) {
  win32::ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put())))) {
    return false;
  }
  win32::ComPtr<IWICBitmap> bitmap;
  win32::ComPtr<IWICStream> stream;
  win32::ComPtr<IWICBitmapEncoder> encoder;
  win32::ComPtr<IWICBitmapFrameEncode> frame;
  return SUCCEEDED(factory->CreateBitmapFromHBITMAP(static_cast<HBITMAP>(picture.bitmap.Get()),
                                                    nullptr, WICBitmapIgnoreAlpha, bitmap.Put())) &&
         SUCCEEDED(factory->CreateStream(stream.Put())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put())) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.Put(), nullptr)) &&
         SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->WriteSource(bitmap.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

TEST(Win32ScreenTest, TheScreenShowsTheWindowOnTheButtonFace) {
  RunningProgram program;
  Sleep(500);  // lets the first paint reach the screen
  RECT outer{};
  GetWindowRect(program.Window(), &outer);
  const Picture picture = Grab(outer);
  ASSERT_NE(picture.pixels, nullptr);

  // Client coordinates of places with no control on them.
  POINT origin{0, 0};
  ClientToScreen(program.Window(), &origin);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (POINT blank : {POINT{400, 130}, POINT{70, 120}, POINT{600, 170}, POINT{770, 60}}) {
    SCOPED_TRACE(std::to_string(blank.x) + "," + std::to_string(blank.y));
    EXPECT_EQ(picture.At(origin.x - outer.left + blank.x, origin.y - outer.top + blank.y), face);
  }
  // The edit boxes are white inside their sunken edge.
  EXPECT_EQ(picture.At(origin.x - outer.left + 300, origin.y - outer.top + 32),
            GetSysColor(COLOR_WINDOW));

  if (const char* target = std::getenv("QUOLVANE_WINDOW_SCREENSHOT")) {
    const ComApartment com;
    EXPECT_TRUE(SavePng(picture, HostPathToWindows(target))) << target;
  }
}

}  // namespace
}  // namespace quolvane::testing
