#include "web/header_text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/codepage.h"

namespace quolvane {
namespace {

TEST(HeaderLineTest, SplitsAtFirstColonAndTrimsSpaces) {
  struct Case {
    const char* line;
    const char* name;
    const char* value;
  } const cases[] = {
      {" Accept : x ", "Accept", "x"},
      {"no colon here", "", ""},
      {"", "", ""},
      // The value keeps every later colon, as an address needs.
      {"Referer: http://host:8080/a:b", "Referer", "http://host:8080/a:b"},
      {":v", "", "v"},
      {"N:", "N", ""},
      {"N:v", "N", "v"},
      // Only ASCII and full-width spaces are trimmed; tabs stay.
      {"N:\tv\t", "N", "\tv\t"},
      {"\xA1\xA1N\xA1\xA1:\xA1\xA1v \xA1\xA1", "N", "v"},
      {"Cookie: a=1; b=2", "Cookie", "a=1; b=2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.line + "]");
    EXPECT_EQ(HeaderName(Text(c.line)).View(), c.name);
    EXPECT_EQ(HeaderValue(Text(c.line)).View(), c.value);
  }
}

TEST(TextBetweenTest, CutsBetweenMarkers) {
  struct Case {
    const char* text;
    const char* start;
    const char* end;
    int32_t startPosition;
    bool caseInsensitive;
    const char* between;
  } const cases[] = {
      {"Set-Cookie: a=b; path=/", "Set-Cookie:", ";", 0, false, " a=b"},
      // A missing start marker gives nothing even when the end marker is there.
      {"x=1; y=2", "Set-Cookie:", ";", 0, false, ""},
      {"Set-Cookie: a=b", "Set-Cookie:", ";", 0, false, ""},
      {"ab", "a", "b", 0, false, ""},
      // The end marker is searched only after the start marker.
      {"b a x b", "a", "b", 0, false, " x "},
      {"a1b a2b", "a", "b", 0, false, "1"},
      {"a1b a2b", "a", "b", 1, false, "1"},
      {"a1b a2b", "a", "b", 2, false, "2"},
      {"a1b a2b", "a", "b", 8, false, ""},
      {"a1b", "a", "b", -3, false, "1"},
      // The case rule covers both markers.
      {"SET-COOKIE: x; y", "set-cookie:", ";", 0, true, " x"},
      {"SET-COOKIE: x; y", "set-cookie:", ";", 0, false, ""},
      {"<a>v</A>", "<a>", "</a>", 0, true, "v"},
      {"<a>v</A>", "<a>", "</a>", 0, false, ""},
      // An empty end marker leaves nothing between.
      {"key=", "key=", "", 0, false, ""},
      {"key=v", "key=", "", 0, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.text + "] [" + c.start + "] [" + c.end + "] from " +
                 std::to_string(c.startPosition) + (c.caseInsensitive ? " ignoring case" : ""));
    EXPECT_EQ(
        TextBetween(Text(c.text), Text(c.start), Text(c.end), c.startPosition, c.caseInsensitive)
            .View(),
        c.between);
  }
}

TEST(TextBetweenTest, QuoteMarkerStandsForDoubleQuote) {
  const Text marker = WideToAnsi(u"#引号");
  ASSERT_EQ(marker.View(), "#\xD2\xFD\xBA\xC5");
  struct Case {
    const char* text;
    std::u16string start;
    std::u16string end;
    const char* between;
  } const cases[] = {
      {R"({"uri":"v0200","x":1})", u"#引号uri#引号:#引号", u"#引号", "v0200"},
      // Every occurrence is replaced.
      {R"(a""b"c)", u"#引号#引号", u"#引号", "b"},
      // Only the markers are rewritten, never the text searched.
      {"k=#\xD2\xFD\xBA\xC5v#\xD2\xFD\xBA\xC5", u"k=#引号", u"#引号", ""},
      // The replacement is exact: a marker spelt differently stays as it is.
      {R"(a"b"c)", u"#引", u"#引号", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.text + "] [" + AnsiToUtf8(WideToAnsi(c.start)) + "] [" +
                 AnsiToUtf8(WideToAnsi(c.end)) + "]");
    EXPECT_EQ(TextBetween(Text(c.text), WideToAnsi(c.start), WideToAnsi(c.end)).View(), c.between);
  }
}

// WebRequest rewrites the header name in any letter case as "Set-Cookie" before it
// collects, so the collection is tested on blocks in that form.
Text NormaliseSetCookie(const Text& headers) {
  return ReplaceText(headers, "Set-Cookie", "Set-Cookie", 1, kAllOccurrences, false);
}

TEST(CollectResponseCookiesTest, JoinsItemsOfSetCookieLines) {
  struct Case {
    const char* headers;
    const char* cookies;
  } const cases[] = {
      {"Content-Type: text/html\r\nset-cookie: a=1; path=/\r\nServer: x\r\nSET-COOKIE: b=2\r\n",
       "a=1; b=2"},
      {"Set-Cookie: sid=abc; Path=/; HttpOnly\r\nSet-Cookie:   k=v   ; Secure", "sid=abc; k=v"},
      {"Content-Type: text/html\r\nContent-Length: 3\r\n\r\n", ""},
      {"", ""},
      {"\r\n\r\n", ""},
      // Lines without ";": the whole line, less "Set-Cookie:".
      {"Set-Cookie: a=1\r\nSet-Cookie: b=2", "a=1; b=2"},
      {"Set-Cookie: flag", "flag"},
      // Only the item before the first ";" counts, even when another Set-Cookie follows.
      {"Set-Cookie: a=1; Set-Cookie: b=2", "a=1"},
      // An empty item still takes its place.
      {"Set-Cookie:\r\nSet-Cookie: b=2", "; b=2"},
      {"Set-Cookie: a=\xD5\xC5\xC8\xFD; path=/", "a=\xD5\xC5\xC8\xFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.headers + "]");
    EXPECT_EQ(CollectResponseCookies(NormaliseSetCookie(Text(c.headers))).View(), c.cookies);
  }
}

TEST(CollectResponseCookiesTest, MatchesLinesCaseSensitivelyButRemovesNameInAnyCase) {
  // Unnormalised lines are skipped: the line test is case-sensitive.
  EXPECT_EQ(CollectResponseCookies(Text("set-cookie: a=1; path=/\r\nSET-COOKIE: b=2")).View(), "");
  // In a line without ";" every "Set-Cookie:" goes, in whatever letter case.
  EXPECT_EQ(CollectResponseCookies(Text("Set-Cookie: set-cookie:x")).View(), "x");
}

}  // namespace
}  // namespace quolvane
