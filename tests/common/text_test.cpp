// The text operations on ASCII and on double-byte (GBK) text: bounds, empties, and the
// character stepping that keeps the scanning operations off the second byte of a character.
#include "common/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quolvane {
namespace {

// GBK characters whose second byte is an ASCII character or half a full-width space.
// String-literal pieces, so that a hex escape never runs into the next character.
#define BING "\x95\x5C"              // 昞, second byte '\'
#define KAO "\x81\x40"               // 丂, second byte '@'
#define SHANG "\x81\x41"             // 丄, second byte 'A'
#define ZHA "\x81\x61"               // 乤, second byte 'a'
#define JUE "\x81\x7C"               // 亅, second byte '|'
#define AH "\xB0\xA1"                // 啊, second byte A1
#define FULL_SPACE "\xA1\xA1"        // the full-width space
#define ZHONGWEN "\xD6\xD0\xCE\xC4"  // 中文

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kDigits[c >> 4];
      out += kDigits[c & 0xF];
    }
  }
  return out;
}

#define EXPECT_TEXT(expected, actual) \
  EXPECT_EQ(Hex(std::string_view(expected)), Hex((actual).View()))

TEST(TextTest, ConstructorsCutAtTheFirstZeroByte) {
  EXPECT_EQ(Text(std::string_view("ab\0cd", 5)).Length(), 2);
  EXPECT_TEXT("ab", Text(std::string_view("ab\0cd", 5)));
  EXPECT_TRUE(Text(std::string_view("\0ab", 3)).IsEmpty());
  EXPECT_TRUE(Text(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text(""));
  EXPECT_EQ(Text(), Text(""));
}

TEST(TextTest, LeftAndRightCountBytes) {
  struct Case {
    const char* text;
    int32_t n;
    const char* left;
    const char* right;
  } cases[] = {
      {"abc", INT_MIN, "", ""},
      {"abc", -1, "", ""},
      {"abc", 0, "", ""},
      {"abc", 1, "a", "c"},
      {"abc", 2, "ab", "bc"},
      {"abc", 3, "abc", "abc"},
      {"abc", 4, "abc", "abc"},
      {"abc", INT_MAX, "abc", "abc"},
      {"", 1, "", ""},
      // Bytes, not characters: a double-byte character can be cut in half.
      {ZHONGWEN, 3, "\xD6\xD0\xCE", "\xD0\xCE\xC4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " n=" + std::to_string(c.n));
    EXPECT_TEXT(c.left, TextLeft(c.text, c.n));
    EXPECT_TEXT(c.right, TextRight(c.text, c.n));
  }
}

TEST(TextTest, MidTakesBytesFromAOneBasedStart) {
  struct Case {
    const char* text;
    int32_t start, n;
    const char* expected;
  } cases[] = {
      {"abcdef", 1, 2, "ab"},          {"abcdef", 2, 3, "bcd"},
      {"abcdef", 6, 1, "f"},           {"abcdef", 5, 10, "ef"},
      {"abcdef", 2, INT_MAX, "bcdef"}, {"abcdef", 7, 1, ""},
      {"abcdef", INT_MAX, 1, ""},      {"abcdef", 0, 2, ""},
      {"abcdef", -1, 2, ""},           {"abcdef", 1, 0, ""},
      {"abcdef", 1, -1, ""},           {"", 1, 1, ""},
      {ZHONGWEN, 2, 2, "\xD0\xCE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " start=" + std::to_string(c.start) + " n=" + std::to_string(c.n));
    EXPECT_TEXT(c.expected, TextMid(c.text, c.start, c.n));
  }
}

TEST(TextTest, LengthCountsBytes) {
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  EXPECT_EQ(TextLength(ZHONGWEN), 4);
}

TEST(TextTest, FindText) {
  struct Case {
    const char* text;
    const char* subtext;
    int32_t start;
    bool ignoreCase;
    int32_t expected;
  } cases[] = {
      {"abcabc", "c", 1, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "abc", 2, false, 4},
      {"abcabc", "bca", 1, false, 2},
      {"abc", "c", 3, false, 3},
      {"abc", "c", 0, false, 3},  // a start below 1 counts as 1
      {"abc", "a", INT_MIN, false, 1},
      {"abc", "c", 4, false, -1},  // beyond the length
      {"abc", "c", INT_MAX, false, -1},
      {"abc", "x", 1, false, -1},
      {"abc", "abcd", 1, false, -1},  // must lie wholly inside the text
      {"abc", "bcd", 1, false, -1},
      {"", "a", 1, false, -1},
      // An empty subtext: 1 while a byte is left from start on.
      {"abc", "", 1, false, 1},
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},
      {"", "", 1, false, -1},
      // Case: only with ignoreCase, and only for ASCII letters.
      {"ABC", "b", 1, false, -1},
      {"ABC", "b", 1, true, 2},
      {"xAbC", "aBc", 1, true, 2},
      {"Set-Cookie", "set-cookie", 1, true, 1},
      {"a[b", "A{B", 1, true, -1},
      // Never on the second byte of a character when the scan starts at the beginning.
      {BING, "\\", 1, false, -1},
      {BING "\\", "\\", 1, false, 3},
      {KAO "@", "@", 1, false, 3},
      {JUE "|", "|", 1, false, 3},
      {AH AH, "\xA1\xB0", 1, false, -1},
      {ZHA, "A", 1, true, -1},
      {"\xD6\xD0\xCE\xC4\xD6\xD0", "\xD0\xCE", 1, false, -1},
      {"\xCA\xD3\xC6\xB5\xB5\xD8\xD6\xB7", "\xB5\xD8\xD6\xB7", 1, false, 5},  // 视频地址, 地址
      {"ab\xB0", "\xB0", 1, false, 3},  // half a character at the very end
      // The second byte of a double-byte character is no letter: it never folds.
      {"x" ZHA, SHANG, 1, true, -1},
      {"x" ZHA, ZHA, 1, true, 2},
      {ZHA "A", ZHA "a", 1, true, 1},
      // A later start steps from there, even from the middle of a character.
      {BING "\\", "\\", 2, false, 2},
      {"a" BING "\\", "\\", 3, false, 3},
      {"a" BING "\\", "\\", 2, false, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " / " + Hex(c.subtext) + " start=" + std::to_string(c.start) +
                 (c.ignoreCase ? " ignoring case" : ""));
    EXPECT_EQ(FindText(c.text, c.subtext, c.start, c.ignoreCase), c.expected);
  }
}

TEST(TextTest, FindTextDefaultsToTheStartAndToCaseSensitive) {
  EXPECT_EQ(FindText("aXbx", "x"), 4);
  EXPECT_EQ(FindText("aXbx", "X"), 2);
}

TEST(TextTest, ReplaceText) {
  struct Case {
    const char* text;
    const char* subtext;
    const char* replacement;
    int32_t start, count;
    bool caseSensitive;
    const char* expected;
  } cases[] = {
      {"a-b-c", "-", "+", 1, kAllOccurrences, true, "a+b+c"},
      {"a-b-c", "-", "+", 1, -7, true, "a+b+c"},  // any negative count
      {"a-b-c", "-", "+", 1, 1, true, "a+b-c"},
      {"a-b-c", "-", "+", 1, 5, true, "a+b+c"},
      {"a-b-c", "-", "+", 1, 0, true, "a-b-c"},
      {"a-b-c", "-", "+", 3, kAllOccurrences, true, "a-b+c"},
      {"a-b-c", "-", "+", 4, kAllOccurrences, true, "a-b+c"},
      {"a-b-c", "-", "+", 5, kAllOccurrences, true, "a-b-c"},
      {"a-b-c", "-", "+", 6, kAllOccurrences, true, "a-b-c"},  // beyond the length
      {"a-b-c", "-", "+", 0, kAllOccurrences, true, "a+b+c"},
      {"a-b-c", "-", "+", INT_MIN, 1, true, "a+b-c"},
      {"a-b-c", "-", "", 1, kAllOccurrences, true, "abc"},
      {"a-b-c", "-", "<->", 1, kAllOccurrences, true, "a<->b<->c"},
      {"aaa", "aa", "b", 1, kAllOccurrences, true, "ba"},         // no overlap
      {"aaaa", "a", "aa", 1, kAllOccurrences, true, "aaaaaaaa"},  // never searched again
      {"abc", "abc", "", 1, kAllOccurrences, true, ""},
      {"abc", "abcd", "x", 1, kAllOccurrences, true, "abc"},
      {"", "a", "b", 1, kAllOccurrences, true, ""},
      {"abc", "", "x", 1, kAllOccurrences, true, "abc"},
      {"aAaA", "a", "-", 1, kAllOccurrences, true, "-A-A"},
      {"aAaA", "a", "-", 1, kAllOccurrences, false, "----"},
      {"aAaA", "a", "-", 2, 2, false, "a--A"},
      {"set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie", 1, kAllOccurrences, false,
       "Set-Cookie: a\r\nSet-Cookie: b"},
      {"set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie", 1, kAllOccurrences, true,
       "set-cookie: a\r\nSET-COOKIE: b"},
      // Double-byte text: the second byte of a character is never taken for a match.
      {BING "\\" BING "\\", "\\", "/", 1, kAllOccurrences, true, BING "/" BING "/"},
      {KAO "@" KAO, "@", "#", 1, kAllOccurrences, true, KAO "#" KAO},
      {AH AH FULL_SPACE, FULL_SPACE, " ", 1, kAllOccurrences, true, AH AH " "},
      {"x" ZHA "a", SHANG, "!", 1, kAllOccurrences, false, "x" ZHA "a"},
      {ZHONGWEN ZHONGWEN, "\xCE\xC4", "\xD7\xD6", 1, 1, true, "\xD6\xD0\xD7\xD6" ZHONGWEN},
      // A start inside a character steps from there.
      {BING "\\", "\\", "/", 2, kAllOccurrences, true, "\x95//"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " / " + Hex(c.subtext) + " -> " + Hex(c.replacement) +
                 " start=" + std::to_string(c.start) + " count=" + std::to_string(c.count) +
                 (c.caseSensitive ? "" : " ignoring case"));
    EXPECT_TEXT(c.expected,
                ReplaceText(c.text, c.subtext, c.replacement, c.start, c.count, c.caseSensitive));
  }
}

TEST(TextTest, SplitText) {
  struct Case {
    const char* text;
    const char* separator;
    std::vector<std::string> pieces;
  } cases[] = {
      {"a;b;c", ";", {"a", "b", "c"}},
      {"abc", ";", {"abc"}},
      {";", ";", {""}},  // a trailing separator adds nothing
      {";;", ";", {"", ""}},
      {";a", ";", {"", "a"}},
      {"a;", ";", {"a"}},
      {"a;;b", ";", {"a", "", "b"}},
      {"", ";", {}},
      {"", "", {}},
      {"abc", "", {"abc"}},
      {"a; b; c", "; ", {"a", "b", "c"}},
      {"a;b; c", "; ", {"a;b", "c"}},
      {"H: 1\r\nI: 2\r\n", "\r\n", {"H: 1", "I: 2"}},
      {"H: 1\r\n\r\nI: 2", "\r\n", {"H: 1", "", "I: 2"}},
      {"xaby", "AB", {"xaby"}},  // byte for byte
      // Never a separator on the second byte of a character.
      {BING "\\x", "\\", {BING, "x"}},
      {BING, "\\", {BING}},
      {JUE "|" JUE, "|", {JUE, JUE}},
      {KAO "@b", "@", {KAO, "b"}},
      {AH AH, "\xA1\xB0", {AH AH}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " at " + Hex(c.separator));
    TextArray pieces = SplitText(c.text, c.separator);
    ASSERT_EQ(pieces.Count(), static_cast<int32_t>(c.pieces.size()));
    for (int32_t i = 1; i <= pieces.Count(); ++i) {
      SCOPED_TRACE("piece " + std::to_string(i));
      EXPECT_TEXT(c.pieces[static_cast<size_t>(i - 1)], pieces.Member(i));
    }
  }
}

TEST(TextTest, SplitTextHasNoLimitOnThePieces) {
  std::string text;
  for (int i = 0; i < 70000; ++i) text += std::to_string(i % 10) + ";";
  TextArray pieces = SplitText(Text(text), ";");
  ASSERT_EQ(pieces.Count(), 70000);
  EXPECT_TEXT("0", pieces.Member(1));
  EXPECT_TEXT("9", pieces.Member(70000));
}

TEST(TextTest, TrimAndRemoveSpaces) {
  struct Case {
    const char* text;
    const char* trimmed;
    const char* removed;
  } cases[] = {
      {"", "", ""},
      {"abc", "abc", "abc"},
      {"  a b  ", "a b", "ab"},
      {"hello world", "hello world", "helloworld"},
      {"   ", "", ""},
      {FULL_SPACE "a" FULL_SPACE, "a", "a"},
      {" " FULL_SPACE " a " FULL_SPACE " ", "a", "a"},
      {FULL_SPACE FULL_SPACE, "", ""},
      {"a" FULL_SPACE "b", "a" FULL_SPACE "b", "ab"},
      // Tabs, CR and LF are no spaces.
      {"\ta b\t", "\ta b\t", "\tab\t"},
      {"\r\n a \n", "\r\n a \n", "\r\na\n"},
      // The second byte of 啊 with the first of the next character is no full-width space.
      {"a" AH "\xB0", "a" AH, "a" AH},
      {AH "\xA1\xB0", AH "\xA1\xB0", AH "\xA1\xB0"},
      {" " AH " ", AH, AH},
      // Half a character at the very end is dropped; what it hid is then the end.
      {"ab\xD6", "ab", "ab"},
      {"a b \xD6", "a b", "ab"},
      {"\xA1\xA1\xA1", "", ""},
      {"\xD6", "", ""},
      {ZHONGWEN, ZHONGWEN, ZHONGWEN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text));
    EXPECT_TEXT(c.trimmed, TrimSpaces(c.text));
    EXPECT_TEXT(c.removed, RemoveSpaces(c.text));
  }
}

TEST(TextTest, TextEqualIsByteForByte) {
  struct Case {
    Text a, b;
    bool equal;
  } cases[] = {
      {"abc", "abc", true},
      {"abc", "ABC", false},
      {"ab", "abc", false},
      {"", Text(), true},
      {Text(static_cast<const char*>(nullptr)), "", true},
      {ZHONGWEN, ZHONGWEN, true},
      {ZHA, SHANG, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.a.View()) + " == " + Hex(c.b.View()));
    EXPECT_EQ(TextEqual(c.a, c.b), c.equal);
    EXPECT_EQ(TextEqual(c.b, c.a), c.equal);
  }
}

TEST(TextTest, ConcatTextJoinsInArgumentOrder) {
  Text middle = "-";
  EXPECT_TEXT("a-b", ConcatText("a", middle, "b"));
  EXPECT_TEXT("ab", ConcatText(Text(), "a", "", Text(), "b", ""));
  EXPECT_TEXT("", ConcatText("", Text()));
  EXPECT_TEXT("x", ConcatText("x"));
  EXPECT_TEXT("https://host" ZHONGWEN, ConcatText("https://", "host", Text(ZHONGWEN)));
}

TEST(TextTest, CharCodeIsASignedByte) {
  struct Case {
    const char* text;
    int32_t position;
    int32_t expected;
  } cases[] = {
      {"aA", 1, 97},      {"aA", 2, 65},      {"\x7F", 1, 127}, {"\x80", 1, -128},
      {ZHONGWEN, 1, -42}, {ZHONGWEN, 4, -60}, {"\xFF", 1, -1},  {"abc", 0, 0},
      {"abc", -1, 0},     {"abc", 4, 0},      {"", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " at " + std::to_string(c.position));
    EXPECT_EQ(CharCode(c.text, c.position), c.expected);
  }
  EXPECT_EQ(CharCode("z"), 122);
}

TEST(TextTest, ArraysHoldCopies) {
  Text member = "a";
  TextArray array;
  array.Append(member);
  member = "b";
  array.Append(member);
  TextArray copy = array;
  copy.Append("c");
  ASSERT_EQ(array.Count(), 2);
  EXPECT_TEXT("a", array.Member(1));
  EXPECT_TEXT("b", array.Member(2));
  EXPECT_EQ(copy.Count(), 3);
}

}  // namespace
}  // namespace quolvane
