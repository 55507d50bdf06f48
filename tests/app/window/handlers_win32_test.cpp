// The two buttons of the Windows window end to end, under Wine: Parse fetches its page
// from the loopback servers, and Download goes through Wine's shell to its browser
// launcher, pointed at a recording program that stands in for the browser.
#include <gtest/gtest.h>

#include <string>

#include "app/resolve.h"
#include "common/codepage.h"
#include "tests/app/window/parse_cases.h"
#include "tests/app/window/program_win32.h"
#include "tests/support/loopback.h"
#include "web/web_request.h"

namespace quolvane::testing {
namespace {

std::u16string Wide(const std::string& utf8) {
  return Utf8ToWide(utf8);
}

std::string Utf8(const std::u16string& wide) {
  return WideToUtf8(wide);
}

TEST(Win32ParseTest, WritesThePlayAddressOfThePageBehindTheShareText) {
  RunningProgram program;
  HWND shareBox = program.Control(1);
  HWND parse = program.Control(2);
  HWND playBox = program.Control(3);
  for (const ParseCase& c : ParseCases()) {
    SCOPED_TRACE(c.what);
    const std::string token = LoopbackToken();
    const std::string share = ShareTextFor(token, c);
    program.BringToFront();
    SetText(shareBox, u"");
    SetText(playBox, u"left over from before");
    ClickOn(shareBox);
    ASSERT_TRUE(program.WaitForFocus(shareBox));
    TypeText(Wide(share));
    ASSERT_TRUE(WaitForText(shareBox, Wide(share))) << Utf8(WindowText(shareBox));

    ClickOn(parse);
    EXPECT_TRUE(WaitForText(playBox, Wide(c.playAddress))) << Utf8(WindowText(playBox));
    EXPECT_EQ(Utf8(WindowText(shareBox)), share) << "Parse only reads the share text";
    if (!c.page.empty()) {
      EXPECT_EQ(RequestsSeen(token), 1u);
    }
  }
}

TEST(Win32ParseTest, EnterInTheShareTextBoxAsksTheServerNothing) {
  RunningProgram program;
  HWND shareBox = program.Control(1);
  const std::string token = LoopbackToken();
  const std::string page = std::string(R"("uri":")") + kIdentifier + "\"";
  SetText(shareBox, Wide(PageUrl(token, page)));
  ClickOn(shareBox);
  ASSERT_TRUE(program.WaitForFocus(shareBox));
  PressKey(VK_RETURN);
  // Keys are taken in order: once Tab has moved the focus, Enter was handled.
  PressKey(VK_TAB);
  ASSERT_TRUE(program.WaitForFocus(program.Control(2)));
  Sleep(200);
  EXPECT_EQ(RequestsSeen(token), 0u);
  EXPECT_EQ(Utf8(WindowText(program.Control(3))), "");

  // The same text through the button does reach the server, so the count above is real.
  ClickOn(program.Control(2));
  EXPECT_TRUE(WaitForText(program.Control(3), Wide(std::string(kPlayAddressPrefix) + kIdentifier)));
  EXPECT_EQ(RequestsSeen(token), 1u);
}

}  // namespace
}  // namespace quolvane::testing
