// The Download button end to end under Wine: ShellExecute hands an http(s) address to
// winebrowser, which starts the programs named in HKCU\Software\Wine\WineBrowser
// "Browsers". The test names a recording script there, so what the browser would have
// been given is seen for real.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/resolve.h"
#include "common/codepage.h"
#include "tests/app/window/program_win32.h"

namespace quolvane::testing {
namespace {

struct KeyTraits : win32::PointerTraits<HKEY__> {
  static void Close(HKEY value) noexcept { RegCloseKey(value); }
};
using UniqueKey = win32::Unique<KeyTraits>;

const std::wstring& CallsDir() {
  static const std::wstring dir = HostPathToWindows(QUOLVANE_BROWSER_CALLS_DIR);
  return dir;
}

std::vector<std::wstring> CallFiles() {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((CallsDir() + L"\\call.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    const std::wstring name = found.cFileName;
    if (!name.ends_with(L".part")) files.push_back(CallsDir() + L"\\" + name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

std::string ReadFile(const std::wstring& path) {
  UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  if (file.Get() == INVALID_HANDLE_VALUE) {
    (void)file.Release();
    return bytes;
  }
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

class Win32DownloadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CreateDirectoryW(CallsDir().c_str(), nullptr);
    for (const std::wstring& file : CallFiles()) DeleteFileW(file.c_str());
    // The unix command line winebrowser runs, the address appended.
    const std::string command =
        std::string("/bin/sh ") + QUOLVANE_BROWSER_RECORDER + " " + QUOLVANE_BROWSER_CALLS_DIR;
    const std::wstring value(command.begin(), command.end());
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), L"Browsers", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  // The arguments of the one call that arrives within a generous time, or nullopt.
  static std::optional<std::vector<std::string>> NextCall() {
    const ULONGLONG end = GetTickCount64() + 20000;
    std::vector<std::wstring> files;
    while ((files = CallFiles()).empty() && GetTickCount64() < end) Sleep(50);
    if (files.empty()) return std::nullopt;
    EXPECT_EQ(files.size(), 1u) << "more calls than clicks";
    const std::string bytes = ReadFile(files.front());
    DeleteFileW(files.front().c_str());
    std::vector<std::string> arguments;
    for (size_t start = 0; start < bytes.size();) {
      const size_t stop = bytes.find('\0', start);
      if (stop == std::string::npos) break;
      arguments.push_back(bytes.substr(start, stop - start));
      start = stop + 1;
    }
    return arguments;
  }
};

TEST_F(Win32DownloadTest, HandsTheTextOfTheSecondBoxToTheBrowser) {
  enum Entry { kByParse, kTyped };
  struct Case {
    const char* what;
    Entry entry;
    std::string text;  // UTF-8; typed into 编辑框2
    std::string handedOver;
  };
  const Case cases[] = {
      // A share text without a link resolves to the bare prefix.
      {"written by Parse", kByParse, "", kPlayAddressPrefix},
      {"typed by hand", kTyped, "https://example.com/watch?v=abc&list=1",
       "https://example.com/watch?v=abc&list=1"},
      {"typed, not from Parse, another scheme", kTyped, "http://example.com/视频",
       "http://example.com/视频"},
  };
  RunningProgram program;
  HWND playBox = program.Control(3);
  HWND download = program.Control(4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The browser's start may have taken the front.
    program.BringToFront();
    if (c.entry == kByParse) {
      SetText(program.Control(1), u"no link here");
      ClickOn(program.Control(2));
      ASSERT_TRUE(WaitForText(playBox, Utf8ToWide(kPlayAddressPrefix)));
    } else {
      SetText(playBox, u"");
      ASSERT_TRUE(program.TabTo(playBox));
      TypeText(Utf8ToWide(c.text));
      ASSERT_TRUE(WaitForText(playBox, Utf8ToWide(c.text)));
    }
    const std::u16string before = WindowText(playBox);
    // From the keyboard: Tab to the button, Space clicks it. (Wine starts the browser
    // launcher as a process of its own, which can leave the pointer's clicks elsewhere.)
    ASSERT_TRUE(program.TabTo(download));
    PressKey(VK_SPACE);
    const auto call = NextCall();
    ASSERT_TRUE(call.has_value()) << "the browser was not started";
    EXPECT_EQ(*call, std::vector<std::string>{c.handedOver});
    EXPECT_EQ(WindowText(playBox), before) << "Download changes nothing in the window";
    EXPECT_TRUE(program.Running());
  }
}

}  // namespace
}  // namespace quolvane::testing
