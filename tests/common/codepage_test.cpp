// Code page 936 <-> UTF-16 as Windows does it. Only the public conversions are used, so the
// same suite checks the POSIX build and, as a Windows program, the system's own tables.
#include "common/codepage.h"

#include <gtest/gtest.h>

#include "tests/common/hex_dump.h"

#include <string>
#include <thread>
#include <vector>

namespace quolvane {
namespace {

using namespace std::string_view_literals;

constexpr char16_t kBad = 0xFFFD;

TEST(CodePageTest, AnsiToWide) {
  struct Case {
    const char* what;
    std::string_view ansi;
    std::u16string expected;
  } cases[] = {
      {"ASCII", "abc"sv, u"abc"},
      {"empty", ""sv, u""},
      {"Chinese", "\xD6\xD0\xCE\xC4"sv, u"中文"},
      {"second byte is a backslash", "\x95\x5C"sv, u"昞"},
      {"second byte is 0x80", "\x81\x80"sv, u"亐"},
      {"NUL passes", "a\0b"sv, std::u16string(u"a\0b", 3)},
      {"0x80 is the euro",
       "a\x80"
       "b"sv,
       u"a€b"},
      {"0x80 is no lead byte", "\x80\x40"sv, u"€@"},
      {"0xFF", "\xFF"sv, u"\uF8F5"},
      {"user-defined area AAA1-AFFE", "\xAA\xA1\xAF\xFE"sv, u"\uE000\uE233"},
      {"user-defined area F8A1-FEFE", "\xF8\xA1\xFE\xFE"sv, u"\uE234\uE4C5"},
      {"user-defined area A140-A7A0", "\xA1\x40\xA7\xA0"sv, u"\uE4C6\uE765"},
      {"cells GBK leaves empty", "\xA2\xAB\xD7\xFA\xFE\xA0"sv, u"\uE766\uE810\uE864"},
      {"lone lead byte at the end", "abc\xD6"sv, u"abc\uFFFD"},
      {"lone lead byte alone", "\x81"sv, u"\uFFFD"},
      {"trail below 0x40", "\x81 x"sv, u"\uFFFD x"},
      {"trail 0x7F", "\x81\x7F"sv, u"\uFFFD\x7F"},
      {"trail 0xFF", "\x81\xFF"sv, u"\uFFFD\uF8F5"},
      {"two bad bytes", "\xD6\x01\xD6"sv, u"\uFFFD\x01\uFFFD"},
      {"an identifier after a bad byte", "\xE5\"abcdefghijklmnopqrstuvwxyz012345\""sv,
       u"\uFFFD\"abcdefghijklmnopqrstuvwxyz012345\""},
      // UTF-8 read as code page 936, the way a page's bytes reach the patterns: E4 B8 is
      // one character, AD and the quote are not, and the quoted run comes through.
      {"UTF-8 bytes", "\xE4\xB8\xAD\"uri\":\"v0200\""sv, u"涓\uFFFD\"uri\":\"v0200\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Units(AnsiToWide(c.ansi)), Units(c.expected));
  }
}

TEST(CodePageTest, WideToAnsi) {
  struct Case {
    const char* what;
    std::u16string wide;
    std::string_view ansi;
  } cases[] = {
      {"ASCII", u"abc", "abc"sv},
      {"empty", u"", ""sv},
      {"Chinese", u"中文", "\xD6\xD0\xCE\xC4"sv},
      {"euro", u"€", "\x80"sv},
      {"U+F8F5", u"\uF8F5", "\xFF"sv},
      {"private use", u"\uE000\uE4C6\uE766\uE864", "\xAA\xA1\xA1\x40\xA2\xAB\xFE\xA0"sv},
      {"private use past the table", u"\uE865", "?"sv},
      {"Thai", u"aก", "a?"sv},
      {"Hangul", u"가", "?"sv},
      {"U+FFFD", u"\uFFFD", "?"sv},
      {"no look-alike for a missing character", u"â", "?"sv},
      {"emoji is one character", u"a😀b", "a?b"sv},
      {"lone high surrogate", std::u16string{0xD83D, u'x'}, "?x"sv},
      {"lone low surrogate", std::u16string{u'x', 0xDE00}, "x?"sv},
      {"high surrogate at the end", std::u16string{u'x', 0xD83D}, "x?"sv},
      {"two high surrogates", std::u16string{0xD83D, 0xD83D, 0xDE00}, "??"sv},
      {"reversed pair", std::u16string{0xDE00, 0xD83D}, "??"sv},
      {"U+0000 ends the text", std::u16string(u"a\0b", 3), "a"sv},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Text ansi = WideToAnsi(c.wide);
    EXPECT_EQ(Hex(ansi.View()), Hex(c.ansi));
  }
}

TEST(CodePageTest, ChineseTextRoundTrips) {
  // A share text as a user pastes it.
  const std::u16string wide =
      u"复制打开抖音，看看【测试的作品】 https://v.douyin.com/iRNBho6/ 复制此链接";
  const std::string_view ansi =
      "\xB8\xB4\xD6\xC6\xB4\xF2\xBF\xAA\xB6\xB6\xD2\xF4\xA3\xAC\xBF\xB4\xBF\xB4\xA1\xBE\xB2\xE2"
      "\xCA\xD4\xB5\xC4\xD7\xF7\xC6\xB7\xA1\xBF https://v.douyin.com/iRNBho6/ "
      "\xB8\xB4\xD6\xC6\xB4\xCB\xC1\xB4\xBD\xD3"sv;
  EXPECT_EQ(Hex(WideToAnsi(wide).View()), Hex(ansi));
  EXPECT_EQ(Units(AnsiToWide(ansi)), Units(wide));
}

// Every well-formed pair is a character of its own that encodes back to the same pair,
// and every single byte below 0x81 or 0xFF likewise.
TEST(CodePageTest, EveryCharacterOfTheCodePageRoundTrips) {
  int failures = 0;
  auto check = [&](const std::string& bytes) {
    std::u16string wide = AnsiToWide(bytes);
    if (wide.size() == 1 && wide[0] != kBad && WideToAnsi(wide).View() == bytes) return;
    if (++failures <= 10) ADD_FAILURE() << Hex(bytes) << "-> " << Units(wide);
  };
  for (int byte = 1; byte <= 0x80; ++byte) check(std::string(1, static_cast<char>(byte)));
  check("\xFF");
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      check({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  EXPECT_EQ(failures, 0);
}

// The ASCII fast paths hand over to the careful ones at every offset.
TEST(CodePageTest, AsciiRunsOfEveryLengthAroundOtherCharacters) {
  for (size_t n = 0; n <= 40; ++n) {
    SCOPED_TRACE(n);
    const std::string a(n, 'a');
    const std::u16string wa(n, u'a');
    std::string ansi = a + "\xD6\xD0" + a + "\x81\"" + a + "\x80";
    std::u16string wide = wa + u"中" + wa + kBad + u"\"" + wa + u"€";
    EXPECT_EQ(Units(AnsiToWide(ansi)), Units(wide));
    std::u16string back = wa + u"中" + wa + u"😀" + wa;
    EXPECT_EQ(Hex(WideToAnsi(back).View()), Hex(a + "\xD6\xD0" + a + "?" + a));
  }
}

TEST(CodePageTest, Utf8Shorthands) {
  EXPECT_EQ(Hex(Utf8ToAnsi("中文 ok").View()), Hex("\xD6\xD0\xCE\xC4 ok"));
  EXPECT_EQ(Hex(Utf8ToAnsi("€😀").View()), Hex("\x80?"));
  EXPECT_EQ(Hex(Utf8ToAnsi("a\xFF"
                           "b")
                    .View()),
            Hex("a?b"));
  EXPECT_EQ(Hex(Utf8ToAnsi("a\0b"sv).View()), Hex("a"));
  EXPECT_EQ(AnsiToUtf8("\xD6\xD0\xCE\xC4 ok"), "中文 ok");
  EXPECT_EQ(AnsiToUtf8("\x81"), "\xEF\xBF\xBD");
  EXPECT_EQ(AnsiToUtf8(""), "");
}

// Worker threads convert at the same time; each must get the results one thread gets.
TEST(CodePageTest, ThreadsConvertAtOnce) {
  std::string ansi;
  std::u16string wide;
  for (int i = 0; i < 200; ++i) {
    ansi += "id=\"\xD6\xD0\xAA\xA1\x81\"";  // a table character, a private-use one, a bad byte
    wide += u"id=\"中\uE000\uFFFD\"";
  }
  const Text expectedAnsi = WideToAnsi(wide);
  ASSERT_EQ(Units(AnsiToWide(ansi)), Units(wide));
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 100; ++round) {
        if (AnsiToWide(ansi) != wide) ++wrong[t];
        if (WideToAnsi(wide) != expectedAnsi) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < wrong.size(); ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace quolvane
