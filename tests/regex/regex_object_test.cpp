// RegexObject against whatever VBScript.RegExp the platform gives: the built-in one on
// Linux and on a Windows without VBScript, the system's own otherwise. Only RegexObject
// is used, so the same table checks both. With QUOLVANE_REGEX_RESULTS set to a file name
// the table's observations are written there, one line per case, so that runs against
// the different components can be compared (regex_results_compare).
#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "automation/apartment.h"
#include "common/codepage.h"
#include "tests/regex/serving_regexp.h"
#include "tests/support/host.h"

namespace quolvane {
namespace {

// Positions are only checked where the text before the match is single-byte; the
// numbers are otherwise left to the implementation.
constexpr int32_t kAnyPosition = std::numeric_limits<int32_t>::min();
// What a position out-parameter holds before the call, to see that it was written.
constexpr int32_t kUnwritten = 12345;

// Create's optional arguments; when none is given Create is called without them, so
// the defaults themselves are under test.
struct Settings {
  std::optional<bool> caseSensitive = std::nullopt;
  std::optional<bool> multiline = std::nullopt;
  std::optional<bool> global = std::nullopt;
  std::optional<bool> replaceQuoteMarker = std::nullopt;
};

struct Group {
  const char* text;
  int32_t position;
};

struct Found {
  const char* text;
  int32_t position;
  std::vector<Group> groups = {};
};

// Texts are UTF-8 here and go to RegexObject as code page 936.
struct Case {
  const char* what;
  const char* pattern;
  const char* subject;
  Settings settings;
  bool created;
  std::vector<Found> matches;
  const char* replacement;  // ReplaceMatches is checked with it unless null
  const char* replaced;
  const char* readBack = nullptr;  // GetPattern, when it is not the pattern itself
};

const char* const kIdentifier = R"(uri":"(\w{32}))";
const char* const kPage =
    R"({"aweme_id":"7","video":{"play_addr":{"uri":"v0d00fg10000abcdefghijklmnopqrstuvwxyzAB","url_list":["https://x/y"]}}})";

const Case kCases[] = {
    // The two patterns the resolution uses, and the settings around them.
    {"no match", "http.*", "没有链接的文字", {}, true, {}, "x", "没有链接的文字"},
    {"link in capitals: letter case is ignored by default",
     "http.*",
     "7.43 复制打开抖音 HTTPS://V.DOUYIN.COM/iRNBho6u/ 看看",
     {},
     true,
     {{"HTTPS://V.DOUYIN.COM/iRNBho6u/ 看看", kAnyPosition}},
     "<link>",
     "7.43 复制打开抖音 <link>"},
    {"caseSensitive misses a link in capitals",
     "http.*",
     "see HTTPS://V.DOUYIN.COM/x/",
     {.caseSensitive = true},
     true,
     {},
     "<link>",
     "see HTTPS://V.DOUYIN.COM/x/"},
    {"caseSensitive finds the link in lower case",
     "http.*",
     "see https://v.douyin.com/x/",
     {.caseSensitive = true},
     true,
     {{"https://v.douyin.com/x/", 4}},
     nullptr,
     nullptr},
    {"identifier: the first 32 of 40 word characters",
     kIdentifier,
     kPage,
     {},
     true,
     {{R"(uri":"v0d00fg10000abcdefghijklmnopqrst)",
       39,
       {{"v0d00fg10000abcdefghijklmnopqrst", 45}}}},
     "[$1]",
     R"({"aweme_id":"7","video":{"play_addr":{"[v0d00fg10000abcdefghijklmnopqrst]uvwxyzAB","url_list":["https://x/y"]}}})"},
    {"identifier: 31 word characters are too few",
     kIdentifier,
     R"({"uri":"v0d00fg10000abcdefghijklmnopqrs","x":1})",
     {},
     true,
     {},
     "[$1]",
     R"({"uri":"v0d00fg10000abcdefghijklmnopqrs","x":1})"},
    {"quote marker replaced when asked",
     "uri#引号:#引号(\\w{32})",
     kPage,
     {.replaceQuoteMarker = true},
     true,
     {{R"(uri":"v0d00fg10000abcdefghijklmnopqrst)",
       39,
       {{"v0d00fg10000abcdefghijklmnopqrst", 45}}}},
     nullptr,
     nullptr,
     kIdentifier},
    {"quote marker matched literally by default",
     "uri#引号:#引号(\\w{4})",
     R"(uri#引号:#引号abcd uri":"wxyz)",
     {},
     true,
     {{"uri#引号:#引号abcd", 0, {{"abcd", 14}}}},
     nullptr,
     nullptr},

    // Several matches, positions and sub-matches.
    {"global by default: each match after the previous one",
     "ab",
     "ab ab",
     {},
     true,
     {{"ab", 0}, {"ab", 3}},
     "X",
     "X X"},
    {"adjacent one-letter matches", "a", "aa", {}, true, {{"a", 0}, {"a", 1}}, "b", "bb"},
    {"global off: the first match only",
     "ab",
     "ab ab",
     {.global = false},
     true,
     {{"ab", 0}},
     "X",
     "X ab"},
    {"a sub-match is placed at its text's first occurrence in the match",
     "a(a)",
     "xaa",
     {},
     true,
     {{"aa", 1, {{"a", 1}}}},
     nullptr,
     nullptr},
    {"a group that took no part gives empty text",
     "(a)|(b)",
     "b",
     {},
     true,
     {{"b", 0, {{"", 0}, {"b", 0}}}},
     "[$1$2]",
     "[b]"},
    {"positions count bytes of the subject",
     R"(\w+)",
     "中文abc",
     {},
     true,
     {{"abc", 4}},
     "-",
     "中文-"},

    // Runs that fail: the component cannot use the pattern.
    {"unclosed group", "(unclosed", "(unclosed", {}, false, {}, "x", ""},
    {"class range out of order", "[z-a]", "abc", {}, false, {}, "x", ""},

    // The dialect: dot, anchors, empty matches, escapes, replacement syntax, case.
    {"dot does not match a line feed", "a.c", "a\nc abc", {}, true, {{"abc", 4}}, nullptr, nullptr},
    {"dot runs to the end of the line",
     ".+",
     "ab\ncd",
     {},
     true,
     {{"ab", 0}, {"cd", 3}},
     nullptr,
     nullptr},
    {"multiline by default: ^ and $ at each line",
     R"(^\w+$)",
     "ab\ncd\nef",
     {},
     true,
     {{"ab", 0}, {"cd", 3}, {"ef", 6}},
     "<$&>",
     "<ab>\n<cd>\n<ef>"},
    {"multiline: CR LF line ends",
     R"(^\w+$)",
     "ab\r\ncd",
     {},
     true,
     {{"ab", 0}, {"cd", 4}},
     nullptr,
     nullptr},
    {"multiline off: no line is the whole text",
     R"(^\w+$)",
     "ab\ncd",
     {.multiline = false},
     true,
     {},
     nullptr,
     nullptr},
    {"multiline off: ^ at the start only",
     R"(^\w+)",
     "ab\ncd",
     {.multiline = false},
     true,
     {{"ab", 0}},
     nullptr,
     nullptr},
    {"multiline off: $ at the very end only, not before a final line feed",
     R"(\w$)",
     "ab\ncd\n",
     {.multiline = false},
     true,
     {},
     nullptr,
     nullptr},
    {"escaped and bracketed ^ and $ are literal",
     R"(\$\^|[$^])",
     "a$b^c$^",
     {},
     true,
     {{"$", 1}, {"^", 3}, {"$^", 5}},
     nullptr,
     nullptr},
    {"empty matches move on by one character",
     "x*",
     "axb",
     {},
     true,
     // An empty text is found at byte 1 of what follows its start, or nowhere.
     {{"", 0}, {"x", 1}, {"", 0}, {"", -2}},
     "-",
     "-a--b-"},
    {"empty matches after the search start are not found twice",
     R"(\b)",
     "ab cd",
     {},
     true,
     {{"", 0}, {"", 0}, {"", 0}, {"", -2}},
     "|",
     "|ab| |cd|"},
    {"empty pattern", "", "abc", {}, true, {{"", 0}, {"", 0}, {"", 0}, {"", -2}}, "-", "-a-b-c-"},
    {"empty subject", "a*", "", {}, true, {{"", -2}}, "-", "-"},
    {"$-sequences of the replacement",
     R"((\w+)@(\w+))",
     "mail bob@site now",
     {},
     true,
     {{"bob@site", 5, {{"bob", 5}, {"site", 9}}}},
     "$2 at $1 [$&] <$`|$'> $$ $3",
     "mail site at bob [bob@site] <mail | now> $ $3 now"},
    {"a back reference to a group that took no part matches empty text",
     R"((a)?\1b)",
     "xb",
     {},
     true,
     {{"b", 1, {{"", 0}}}},
     nullptr,
     nullptr},
    {"\\u and \\x escapes",
     R"(\u0041\x42)",
     "xAB",
     {.caseSensitive = true},
     true,
     {{"AB", 1}},
     nullptr,
     nullptr},
    {"\\w is ASCII only", R"(\w)", "é中", {}, true, {}, nullptr, nullptr},
    {"Greek letter case is ignored", "αβγ", "ΑΒΓ δ", {}, true, {{"ΑΒΓ", 0}}, nullptr, nullptr},
    {"Cyrillic letter case is ignored",
     "привет",
     "ПРИВЕТ мир",
     {},
     true,
     {{"ПРИВЕТ", 0}},
     nullptr,
     nullptr},
    {"full-width letter case is ignored",
     "ａｂｃ",
     "ＡＢＣ",
     {},
     true,
     {{"ＡＢＣ", 0}},
     nullptr,
     nullptr},
    {"caseSensitive keeps Greek letter case",
     "αβγ",
     "ΑΒΓ",
     {.caseSensitive = true},
     true,
     {},
     nullptr,
     nullptr},
};

// Where Wine's VBScript.RegExp is known to differ from Windows' own (Microsoft's
// documentation and the ECMAScript rules it follows). These cases are not run while
// Wine's component serves; the built-in one runs them everywhere.
struct DialectCorner {
  const char* what;
  const char* reason;
};
const char* const kWineEmptyMatch =
    "Wine's Execute fails or loops on an empty match with Global set";
const char* const kWineCaseFolding =
    "Wine's IgnoreCase folds no Greek, Cyrillic or full-width letters";
const DialectCorner kWineCorners[] = {
    {"empty matches move on by one character", kWineEmptyMatch},
    {"empty matches after the search start are not found twice", kWineEmptyMatch},
    {"empty pattern", kWineEmptyMatch},
    {"empty subject", kWineEmptyMatch},
    {"Greek letter case is ignored", kWineCaseFolding},
    {"Cyrillic letter case is ignored", kWineCaseFolding},
    {"full-width letter case is ignored", kWineCaseFolding},
};

const char* WineCorner(const Case& c) {
  if (!RunningUnderWine() || !SystemRegExpServes()) return nullptr;
  for (const DialectCorner& corner : kWineCorners) {
    if (std::string_view(corner.what) == c.what) return corner.reason;
  }
  return nullptr;
}

// The observations of one case as one line: texts quoted, control characters escaped.
class Observations {
 public:
  Observations& Field(const char* name, const std::string& value) {
    line_ << ' ' << name << '=' << value;
    return *this;
  }
  Observations& Quoted(const char* name, const Text& ansi) {
    line_ << ' ' << name << "=\"";
    for (char ch : AnsiToUtf8(ansi)) {
      switch (ch) {
        case '\n':
          line_ << "\\n";
          break;
        case '\r':
          line_ << "\\r";
          break;
        case '\t':
          line_ << "\\t";
          break;
        case '"':
          line_ << "\\\"";
          break;
        case '\\':
          line_ << "\\\\";
          break;
        default:
          line_ << ch;
      }
    }
    line_ << '"';
    return *this;
  }
  std::string Line() const { return line_.str(); }

 private:
  std::ostringstream line_;
};

class ResultFile {
 public:
  ResultFile() {
    if (const char* path = std::getenv("QUOLVANE_REGEX_RESULTS"); path != nullptr && *path != 0) {
      out_.open(path, std::ios::binary | std::ios::trunc);
      EXPECT_TRUE(out_.is_open()) << "cannot write " << path;
    }
  }
  void Write(const char* what, const std::string& line) {
    if (out_.is_open()) out_ << what << '\t' << line << '\n';
  }

 private:
  std::ofstream out_;
};

Text Ansi(const char* utf8) {
  return Utf8ToAnsi(utf8);
}

bool CreateFor(RegexObject& regex, const Case& c) {
  const Settings& s = c.settings;
  if (!s.caseSensitive && !s.multiline && !s.global && !s.replaceQuoteMarker) {
    return regex.Create(Ansi(c.pattern), Ansi(c.subject));
  }
  return regex.Create(Ansi(c.pattern), Ansi(c.subject), s.caseSensitive.value_or(false),
                      s.multiline.value_or(true), s.global.value_or(true),
                      s.replaceQuoteMarker.value_or(false));
}

TEST(RegexObjectTest, Table) {
  ResultFile results;
  results.Write("served by",
                SystemRegExpServes() ? "the system's component" : "the built-in component");
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message()
                 << c.what << ": /" << c.pattern << "/ over \"" << c.subject << "\"");
    if (const char* corner = WineCorner(c)) {
      results.Write(c.what, std::string("not run: ") + corner);
      continue;
    }
    RegexObject regex;
    const bool created = CreateFor(regex, c);
    Observations seen;
    // Everything that the component decides, read as the callers read it; the matches
    // and groups as far as the component reports them.
    seen.Field("created", created ? "1" : "0")
        .Field("count", std::to_string(regex.MatchCount()))
        .Field("groups", std::to_string(regex.SubMatchCount()))
        .Quoted("pattern", regex.GetPattern());
    for (int32_t i = 1; i <= regex.MatchCount(); ++i) {
      int32_t position = kUnwritten;
      const std::string name = "match" + std::to_string(i);
      seen.Quoted(name.c_str(), regex.MatchText(i, &position))
          .Field("at", std::to_string(position));
      for (int32_t k = 1; k <= regex.SubMatchCount(); ++k) {
        const std::string group = name + "." + std::to_string(k);
        seen.Quoted(group.c_str(), regex.SubMatchText(i, k, &position))
            .Field("at", std::to_string(position));
      }
    }
    if (c.replacement != nullptr)
      seen.Quoted("replaced", regex.ReplaceMatches(Ansi(c.replacement)));
    results.Write(c.what, seen.Line());

    EXPECT_EQ(created, c.created);
    if (created != c.created) continue;

    const int32_t count = static_cast<int32_t>(c.matches.size());
    EXPECT_EQ(regex.MatchCount(), count);
    EXPECT_EQ(regex.SubMatchCount(),
              c.matches.empty() ? 0 : static_cast<int32_t>(c.matches[0].groups.size()));
    EXPECT_EQ(AnsiToUtf8(regex.GetPattern()), c.readBack != nullptr ? c.readBack : c.pattern);

    for (int32_t i = 1; i <= count; ++i) {
      SCOPED_TRACE(testing::Message() << "match " << i);
      const Found& want = c.matches[static_cast<size_t>(i - 1)];
      int32_t position = kUnwritten;
      EXPECT_EQ(AnsiToUtf8(regex.MatchText(i, &position)), want.text);
      if (want.position != kAnyPosition) {
        EXPECT_EQ(position, want.position);
      }
      EXPECT_EQ(AnsiToUtf8(regex.MatchText(i)), want.text);

      const int32_t groups = static_cast<int32_t>(want.groups.size());
      for (int32_t k = 1; k <= groups; ++k) {
        SCOPED_TRACE(testing::Message() << "sub-match " << k);
        const Group& group = want.groups[static_cast<size_t>(k - 1)];
        position = kUnwritten;
        EXPECT_EQ(AnsiToUtf8(regex.SubMatchText(i, k, &position)), group.text);
        if (group.position != kAnyPosition) {
          EXPECT_EQ(position, group.position);
        }
      }
      EXPECT_EQ(regex.SubMatchText(i, 0), Text());
      EXPECT_EQ(regex.SubMatchText(i, groups + 1), Text());
    }

    // Numbers out of range give empty text; the position rule still writes a value.
    for (int32_t index : {0, -1, count + 1, std::numeric_limits<int32_t>::min(),
                          std::numeric_limits<int32_t>::max()}) {
      SCOPED_TRACE(testing::Message() << "out-of-range number " << index);
      int32_t position = kUnwritten;
      EXPECT_EQ(regex.MatchText(index, &position), Text());
      EXPECT_EQ(position, *c.subject != '\0' ? 0 : -2);
      EXPECT_EQ(regex.SubMatchText(index, 1), Text());
    }

    if (c.replacement != nullptr) {
      EXPECT_EQ(AnsiToUtf8(regex.ReplaceMatches(Ansi(c.replacement))), c.replaced);
    }
  }
}

TEST(RegexObjectTest, ReadingBeforeCreateGivesEmptyResults) {
  RegexObject regex;
  EXPECT_EQ(regex.GetPattern(), Text());
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1), Text());
  EXPECT_EQ(regex.SubMatchText(1, 1), Text());
  EXPECT_EQ(regex.SubMatchCount(), 0);
  EXPECT_EQ(regex.ReplaceMatches("x"), Text());
}

TEST(RegexObjectTest, ReplaceMatchesWithReplacementLeftOutDeletesTheMatches) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("b", "abcb"));
  EXPECT_EQ(regex.ReplaceMatches(), Text("ac"));
}

TEST(RegexObjectTest, CreateAgainReplacesEverything) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)", "aaa"));
  ASSERT_EQ(regex.MatchCount(), 3);

  ASSERT_TRUE(regex.Create("B", "xbxBxB", true, true, false));
  EXPECT_EQ(regex.MatchCount(), 1);
  int32_t position = kUnwritten;
  EXPECT_EQ(regex.MatchText(1, &position), Text("B"));
  EXPECT_EQ(position, 3);
  EXPECT_EQ(regex.SubMatchCount(), 0);
  EXPECT_EQ(regex.GetPattern(), Text("B"));
  EXPECT_EQ(regex.ReplaceMatches("-"), Text("xbx-xB"));

  // A failed run leaves no matches of the earlier one behind.
  EXPECT_FALSE(regex.Create("(", "((("));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1), Text());
  EXPECT_EQ(regex.GetPattern(), Text("("));
}

TEST(RegexObjectTest, CopySharesTheMatchesAndOutlivesItsSource) {
  auto source = std::make_unique<RegexObject>();
  ASSERT_TRUE(source->Create(R"((\w)(\d))", "a1 b2"));
  std::unique_ptr<RegexObject> copy = source->Copy();

  // The source starting afresh and then going does not touch the copy.
  ASSERT_TRUE(source->Create("z", "zzz"));
  source.reset();

  EXPECT_EQ(copy->MatchCount(), 2);
  int32_t position = kUnwritten;
  EXPECT_EQ(copy->MatchText(2, &position), Text("b2"));
  EXPECT_EQ(position, 3);
  EXPECT_EQ(copy->SubMatchText(2, 2), Text("2"));
  EXPECT_EQ(copy->GetPattern(), Text(R"((\w)(\d))"));
  EXPECT_EQ(copy->ReplaceMatches("$2$1"), Text("1a 2b"));
}

TEST(RegexObjectTest, ApartmentEntriesAndExitsPairUp) {
  const int start = ApartmentDepth();
  {
    RegexObject first;
    EXPECT_EQ(ApartmentDepth(), start + 1);
    ASSERT_TRUE(first.Create("a", "a"));
    auto second = std::make_unique<RegexObject>();
    EXPECT_EQ(ApartmentDepth(), start + 2);

    std::unique_ptr<RegexObject> copy = first.Copy();
    EXPECT_EQ(ApartmentDepth(), start + 3);
    copy.reset();
    EXPECT_EQ(ApartmentDepth(), start + 2);

    // Destroy leaves once; the destructor that follows does not leave again.
    second->Destroy();
    EXPECT_EQ(ApartmentDepth(), start + 1);
    second.reset();
    EXPECT_EQ(ApartmentDepth(), start + 1);
  }
  EXPECT_EQ(ApartmentDepth(), start);
}

}  // namespace
}  // namespace quolvane
