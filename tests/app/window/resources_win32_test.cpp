// What the program files carry for Windows: the program icon in every size, the version
// resource from the project version, and the manifest that asks for the version 6
// common controls and nothing that would change the pixel layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/window/program_win32.h"

namespace quolvane::testing {
namespace {

struct ModuleTraits : win32::PointerTraits<HINSTANCE__> {
  static void Close(HMODULE value) noexcept { FreeLibrary(value); }
};
using UniqueModule = win32::Unique<ModuleTraits>;

std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const char*>(LockResource(loaded));
  return data == nullptr ? std::string() : std::string(data, SizeofResource(module, found));
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Win32ResourcesTest, BothProgramsCarryIconVersionAndManifest) {
  const std::string versionText = QUOLVANE_VERSION;
  for (const char* program : {QUOLVANE_WINDOW_PROGRAM, QUOLVANE_RESOLVE_PROGRAM}) {
    SCOPED_TRACE(program);
    const std::wstring path = HostPathToWindows(program);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
    const std::wstring fileVersion(static_cast<const wchar_t*>(value));
    EXPECT_EQ(std::string(fileVersion.begin(), fileVersion.end()), versionText);
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, versionText);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    UniqueModule module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    // The first icon group, which Explorer shows for the file.
    const std::string group = ResourceBytes(module.Get(), MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u) << "no icon";
    WORD count = 0;
    memcpy(&count, group.data() + 4, sizeof(count));
    ASSERT_EQ(group.size(), 6 + count * sizeof(IconGroupEntry));
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
      IconGroupEntry entry{};
      memcpy(&entry, group.data() + 6 + i * sizeof(IconGroupEntry), sizeof(entry));
      sizes.push_back(entry.width == 0 ? 256 : entry.width);
      EXPECT_EQ(entry.bitCount, 32) << "with alpha";
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64, 128, 256}));

    const std::string manifest = ResourceBytes(module.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find(R"(level="asInvoker")"), std::string::npos);
    for (const char* layoutChanging : {"dpiAware", "dpiAwareness", "gdiScaling"}) {
      EXPECT_EQ(manifest.find(layoutChanging), std::string::npos) << layoutChanging;
    }
  }
}

}  // namespace
}  // namespace quolvane::testing
