// The built-in VBScript.RegExp where RegexObject cannot reach it: the member set,
// argument conversion, the Replace syntax, resource limits and wide text that code
// page 936 cannot produce. Made by ProgID, so on Windows with VBScript the system's
// component answers the member and Replace checks too; what only the built-in one
// promises is skipped there.
#include "components/regexp/regexp_component.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "automation/dispatch.h"
#include "tests/regex/serving_regexp.h"

namespace quolvane {
namespace {

Variant Wide(std::u16string text) {
  return Variant::FromWide(std::move(text));
}

class RegExpComponentTest : public testing::Test {
 protected:
  void SetUp() override {
    // Made by ProgID, in any letter case, as the callers make it.
    ASSERT_TRUE(CreateObject(regExp, "vbscript.regexp"));
    ClearCallFailureReason();
  }

  ComObject Execute(const char* pattern, const Variant& subject, bool global = true) {
    EXPECT_TRUE(PutProperty(regExp, "Pattern", {pattern}));
    EXPECT_TRUE(PutProperty(regExp, "Global", {global}));
    return CallMethod(regExp, "Execute", {subject}).ToObject();
  }

  // The reason to skip a check of the built-in component, or null when it serves.
  static const char* BuiltinOnly() {
    return SystemRegExpServes() ? "checks the built-in component; the system's one serves here"
                                : nullptr;
  }

  static ComObject Item(const ComObject& collection, const Arg& index) {
    return GetProperty(collection, "Item", {index}).ToObject();
  }

  ApartmentScope apartment;
  ComObject regExp;
};

TEST_F(RegExpComponentTest, NewObjectHasTheSystemDefaultsAndNoSingleline) {
  EXPECT_EQ(GetProperty(regExp, "Pattern"), Wide(u""));
  for (const char* flag : {"IgnoreCase", "Global", "Multiline"}) {
    SCOPED_TRACE(flag);
    EXPECT_EQ(GetProperty(regExp, flag), Variant::FromBool(false));
  }

  EXPECT_FALSE(PutProperty(regExp, "Singleline", {true}));
  EXPECT_TRUE(GetProperty(regExp, "Singleline").IsEmpty());

  // Settings take what converts to a boolean, as a typed member would.
  EXPECT_TRUE(PutProperty(regExp, "IgnoreCase", {int32_t{1}}));
  EXPECT_TRUE(PutProperty(regExp, "Multiline", {"True"}));
  EXPECT_TRUE(PutProperty(regExp, "Global", {-1.0}));
  EXPECT_FALSE(PutProperty(regExp, "Global", {regExp}));
  for (const char* flag : {"IgnoreCase", "Global", "Multiline"}) {
    SCOPED_TRACE(flag);
    EXPECT_EQ(GetProperty(regExp, flag), Variant::FromBool(true));
  }
  EXPECT_TRUE(PutProperty(regExp, "Pattern", {int32_t{42}}));
  EXPECT_EQ(GetProperty(regExp, "Pattern"), Wide(u"42"));
  EXPECT_FALSE(PutProperty(regExp, "Pattern", {regExp}));
}

TEST_F(RegExpComponentTest, MatchObjectsAnswerByNameAndKind) {
  ASSERT_TRUE(PutProperty(regExp, "pattern", {"a(b)"}));
  ComObject matches = CallMethod(regExp, "EXECUTE", {"xab ab"}).ToObject();
  ASSERT_FALSE(matches.IsEmpty());
  EXPECT_EQ(GetProperty(matches, "count").ToInt(), 1);  // Global is off
  // Count is a property: a method call does not reach it, as on Windows.
  EXPECT_TRUE(CallMethod(matches, "Count").IsEmpty());

  // Item takes any number that rounds to an index, half to even.
  for (const Arg& index : {Arg(int32_t{0}), Arg(0.0), Arg(0.5), Arg(false), Arg("0")}) {
    ComObject match = Item(matches, index);
    ASSERT_FALSE(match.IsEmpty());
    EXPECT_EQ(GetProperty(match, "Value"), Wide(u"ab"));
    EXPECT_EQ(GetProperty(match, "FirstIndex"), Variant::FromInt(1));
    EXPECT_EQ(GetProperty(match, "Length"), Variant::FromInt(2));
    ComObject subMatches = GetProperty(match, "SubMatches").ToObject();
    EXPECT_EQ(GetProperty(subMatches, "Count"), Variant::FromInt(1));
    EXPECT_EQ(GetProperty(subMatches, "Item", {0.0}), Wide(u"b"));
    EXPECT_TRUE(GetProperty(subMatches, "Item", {1.0}).IsEmpty());
  }
  for (const Arg& index :
       {Arg(int32_t{1}), Arg(-1.0), Arg(1.5), Arg(true), Arg(std::nan("")), Arg("x"), kOmitted}) {
    EXPECT_TRUE(Item(matches, index).IsEmpty());
  }

  EXPECT_EQ(CallMethod(regExp, "Test", {"--ab"}), Variant::FromBool(true));
  EXPECT_EQ(CallMethod(regExp, "test", {"--a-b"}), Variant::FromBool(false));
  // Windows reads a property as "method or property get", so a method answers a read.
  EXPECT_EQ(GetProperty(regExp, "Test", {"ab"}), Variant::FromBool(true));
  EXPECT_TRUE(CallMethod(regExp, "Execute").IsEmpty());
  EXPECT_TRUE(CallMethod(regExp, "Execute", {regExp}).IsEmpty());
  EXPECT_TRUE(CallMethod(regExp, "Execute", {"a", "b"}).IsEmpty());
}

TEST_F(RegExpComponentTest, NumbersAndBooleansGoInAsText) {
  ComObject matches = Execute(R"(\d)", Variant::FromInt(12));
  EXPECT_EQ(GetProperty(matches, "Count").ToInt(), 2);

  ASSERT_TRUE(PutProperty(regExp, "Pattern", {R"(\[(\w+)\])"}));
  EXPECT_EQ(CallMethod(regExp, "Replace", {"- [test] -", true}), Wide(u"- -1 -"));
  EXPECT_EQ(CallMethod(regExp, "Replace", {"- [test] -", int32_t{6}}), Wide(u"- 6 -"));
}

struct ReplaceCase {
  const char* pattern;
  const char* subject;
  bool global;
  const char* replacement;
  const char* expected;
};

TEST_F(RegExpComponentTest, ReplaceSyntax) {
  const ReplaceCase cases[] = {
      {"(a)(b)?", "ac", true, "[$1|$2]", "[a|]c"},  // a group that took no part
      {"x", "x", true, "$1", "$1"},                 // no such group
      {"x", "x", true, "$0|$|$x|$", "$0|$|$x|$"},
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", true, "$10-$1-$11-$01", "j-a-a1-a"},
      {"(a)(b)(c)", "abc", true, "$12", "a2"},  // two digits only while they name a group
      {R"((\$(\d)))", "$1,$2", true, "$$1-$1$2", "$1-$11,$1-$22"},
      {"b", "abcb", true, "[$`|$'|$&]", "a[a|cb|b]c[abc||b]"},
      {"b", "abcb", false, "-", "a-cb"},
      {"xxx", "xxxx", true, "y", "yx"},
      {"", "xxx", true, "y", "yxyxyxy"},
      {"", "xxx", false, "y", "yxxx"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "/" << c.pattern << "/ over \"" << c.subject << "\" with \""
                                    << c.replacement << "\"");
    ASSERT_TRUE(PutProperty(regExp, "Pattern", {c.pattern}));
    ASSERT_TRUE(PutProperty(regExp, "Global", {c.global}));
    EXPECT_EQ(CallMethod(regExp, "Replace", {c.subject, c.replacement}).ToText(), Text(c.expected));
  }
}

TEST_F(RegExpComponentTest, PatternErrorsShowWhenTheExpressionRuns) {
  EXPECT_TRUE(PutProperty(regExp, "Pattern", {"(a"}));
  EXPECT_TRUE(CallMethod(regExp, "Execute", {"aaa"}).IsEmpty());
  if (BuiltinOnly() == nullptr) {
    EXPECT_NE(LastCallFailureReason().find("syntax error"), std::string::npos)
        << LastCallFailureReason();
  }
  EXPECT_TRUE(CallMethod(regExp, "Test", {"aaa"}).IsEmpty());
  EXPECT_TRUE(CallMethod(regExp, "Replace", {"aaa", "b"}).IsEmpty());
  EXPECT_EQ(GetProperty(regExp, "Pattern"), Wide(u"(a"));
}

TEST_F(RegExpComponentTest, CatastrophicBacktrackingStopsAtTheLimit) {
  if (const char* reason = BuiltinOnly()) GTEST_SKIP() << reason;
  // A page-sized subject whose end makes (a+)+$ try every split of 40 letters.
  std::u16string subject(std::u16string::size_type{2} << 20, u'x');
  subject += std::u16string(40, u'a') + u"!";
  ASSERT_TRUE(PutProperty(regExp, "Pattern", {"(a+)+$"}));

  EXPECT_TRUE(CallMethod(regExp, "Execute", {Wide(subject)}).IsEmpty());
  EXPECT_NE(LastCallFailureReason().find("limit"), std::string::npos) << LastCallFailureReason();
  EXPECT_TRUE(CallMethod(regExp, "Test", {Wide(subject)}).IsEmpty());
  EXPECT_TRUE(CallMethod(regExp, "Replace", {Wide(subject), "-"}).IsEmpty());

  // The object itself is unharmed.
  ASSERT_TRUE(PutProperty(regExp, "Pattern", {"a+!"}));
  ComObject matches = CallMethod(regExp, "Execute", {Wide(subject)}).ToObject();
  EXPECT_EQ(GetProperty(Item(matches, 0.0), "Length").ToInt(), 41);
}

TEST_F(RegExpComponentTest, ARepeatedGroupWalksAMultiMegabyteSubject) {
  if (const char* reason = BuiltinOnly()) GTEST_SKIP() << reason;
  // Each repetition of the group takes backtracking stack.
  std::u16string subject;
  while (subject.size() < (std::u16string::size_type{4} << 20)) subject += u"ab";
  subject += u"c";
  ComObject matches = Execute("(a|b)*c", Wide(subject), false);
  ASSERT_FALSE(matches.IsEmpty()) << LastCallFailureReason();
  ComObject match = Item(matches, 0.0);
  EXPECT_EQ(GetProperty(match, "Length").ToInt(), static_cast<int32_t>(subject.size()));
  EXPECT_EQ(GetProperty(GetProperty(match, "SubMatches").ToObject(), "Item", {0.0}), Wide(u"b"));
}

TEST_F(RegExpComponentTest, LoneSurrogatesInTheSubjectAreSteppedOver) {
  if (const char* reason = BuiltinOnly()) GTEST_SKIP() << reason;
  ComObject matches = Execute("ab", Wide(u"\xD800"
                                         u"ab\xDC00"));
  EXPECT_EQ(GetProperty(Item(matches, 0.0), "FirstIndex").ToInt(), 1);

  // A lone surrogate is no character: even the dot does not match it.
  matches = Execute(".", Wide(u"a\xD800"
                              u"b"));
  ASSERT_EQ(GetProperty(matches, "Count").ToInt(), 2);
  EXPECT_EQ(GetProperty(Item(matches, 1.0), "FirstIndex").ToInt(), 2);
}

TEST_F(RegExpComponentTest, MultilineAnchorsLeaveOtherConstructsAlone) {
  if (const char* reason = BuiltinOnly()) GTEST_SKIP() << reason;
  // Multiline widens ^ and $ to CR; text that only looks like an anchor stays as it is.
  ASSERT_TRUE(PutProperty(regExp, "Multiline", {true}));
  struct {
    const char* pattern;
    const char16_t* subject;
    int32_t count;
  } const cases[] = {
      {R"(^\w$)", u"a\rb\r\nc", 3}, {R"((?#^$)a)", u"xa", 1},
      {R"(\Q^$\E)", u"x^$", 1},     {R"([[:alpha:]$])", u"a$(", 2},
      {R"((?^i:A))", u"xa", 1},     {R"([^^]$)", u"^a\r^", 1},
      {R"([^])", u"a\nb", 3},  // as in ECMAScript: any character, the line feed too
      {R"([]a)", u"a", 0},     // an empty class matches nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    ComObject matches = Execute(c.pattern, Wide(c.subject));
    EXPECT_EQ(GetProperty(matches, "Count").ToInt(), c.count) << LastCallFailureReason();
  }
}

}  // namespace
}  // namespace quolvane
