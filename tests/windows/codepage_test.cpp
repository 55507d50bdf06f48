// Code page 936 whatever the system's own ANSI code page is. (The table itself is
// checked cell by cell in tests/common, which runs here too.)
#include <gtest/gtest.h>

#include <string>

#include "automation/win32/windows_api.h"
#include "common/codepage.h"

namespace quolvane {
namespace {

TEST(CodePageWin32Test, TheCodePageIsNamedNotTakenFromTheSystem) {
  if (GetACP() == 936) GTEST_SKIP() << "the system's ANSI code page is 936 itself";
  const std::string nihao = "\xC4\xE3\xBA\xC3";  // "你好"
  wchar_t systemReading[8] = {};
  int length = MultiByteToWideChar(CP_ACP, 0, nihao.data(), static_cast<int>(nihao.size()),
                                   systemReading, 8);
  ASSERT_GT(length, 0);
  // The system's code page reads the bytes as something else; ours does not.
  EXPECT_NE(
      std::u16string(reinterpret_cast<const char16_t*>(systemReading), static_cast<size_t>(length)),
      u"\u4F60\u597D")
      << "ANSI code page " << GetACP();
  EXPECT_EQ(AnsiToWide(nihao), u"\u4F60\u597D");
  EXPECT_EQ(WideToAnsi(u"\u4F60\u597D"), Text(nihao));
}

}  // namespace
}  // namespace quolvane
