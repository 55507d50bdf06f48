// UTF-8 <-> UTF-16: invalid input becomes U+FFFD, one per maximal invalid subpart.
#include <gtest/gtest.h>

#include "tests/common/hex_dump.h"

#include <string>

#include "common/codepage.h"

namespace quolvane {
namespace {

using namespace std::string_view_literals;

TEST(Utf8Test, Decode) {
  struct Case {
    const char* what;
    std::string_view utf8;
    std::u16string expected;
  } cases[] = {
      {"ASCII", "abc"sv, u"abc"},
      {"empty", ""sv, u""},
      {"NUL passes", "a\0b"sv, std::u16string(u"a\0b", 3)},
      {"two bytes", "\xC3\xA9"sv, u"é"},
      {"three bytes", "\xE4\xB8\xAD\xE6\x96\x87"sv, u"中文"},
      {"emoji as a surrogate pair", "\xF0\x9F\x98\x80"sv, std::u16string{0xD83D, 0xDE00}},
      {"highest code point", "\xF4\x8F\xBF\xBF"sv, std::u16string{0xDBFF, 0xDFFF}},
      {"edges of the planes", "\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"sv, u"\uD7FF\uE000\uFFFF"},
      {"lone continuation",
       "a\x80"
       "b"sv,
       u"a\uFFFDb"},
      {"invalid bytes", "\xC0\xC1\xF5\xFF"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"overlong slash", "\xC0\xAF"sv, u"\uFFFD\uFFFD"},
      {"overlong three bytes", "\xE0\x80\xAF"sv, u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80"sv, u"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"truncated three bytes", "\xE4\xB8"sv, u"\uFFFD"},
      {"truncated before ASCII", "\xE4\xB8x"sv, u"\uFFFDx"},
      {"truncated four bytes", "\xF0\x9F\x98"sv, u"\uFFFD"},
      {"truncated then whole", "\xF0\x9F\xF0\x9F\x98\x80"sv,
       std::u16string{0xFFFD, 0xD83D, 0xDE00}},
      {"truncated two bytes", "\xC3"sv, u"\uFFFD"},
      // The Unicode standard's example of maximal subparts.
      {"standard's example", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"sv,
       u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Units(Utf8ToWide(c.utf8)), Units(c.expected));
  }
}

TEST(Utf8Test, Encode) {
  struct Case {
    const char* what;
    std::u16string wide;
    std::string_view utf8;
  } cases[] = {
      {"ASCII", u"abc", "abc"sv},
      {"empty", u"", ""sv},
      {"NUL passes", std::u16string(u"a\0b", 3), "a\0b"sv},
      {"two bytes", u"é\u07FF", "\xC3\xA9\xDF\xBF"sv},
      {"three bytes", u"\u0800中\uFFFF", "\xE0\xA0\x80\xE4\xB8\xAD\xEF\xBF\xBF"sv},
      {"emoji", u"😀", "\xF0\x9F\x98\x80"sv},
      {"highest code point", std::u16string{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"sv},
      {"lone high surrogate", std::u16string{0xD83D, u'a'},
       "\xEF\xBF\xBD"
       "a"sv},
      {"lone low surrogate", std::u16string{u'a', 0xDE00}, "a\xEF\xBF\xBD"sv},
      {"high surrogate at the end", std::u16string{0xD83D}, "\xEF\xBF\xBD"sv},
      {"reversed pair", std::u16string{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"sv},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Hex(WideToUtf8(c.wide)), Hex(c.utf8));
  }
}

// Every scalar value, surrogates excepted, survives UTF-16 -> UTF-8 -> UTF-16.
TEST(Utf8Test, EveryCodePointRoundTrips) {
  std::u16string all;
  for (char32_t code = 0; code <= 0x10FFFF; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    if (code < 0x10000) {
      all.push_back(static_cast<char16_t>(code));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
  }
  std::string utf8 = WideToUtf8(all);
  // 128 one-byte, 1920 two-byte, 61440 three-byte and 1048576 four-byte forms.
  EXPECT_EQ(utf8.size(), 128u + 1920u * 2 + 61440u * 3 + 1048576u * 4);
  EXPECT_TRUE(Utf8ToWide(utf8) == all);
}

}  // namespace
}  // namespace quolvane
