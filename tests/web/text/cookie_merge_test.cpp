#include "web/cookie_merge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quolvane {
namespace {

struct MergeCase {
  const char* cookies;
  const char* received;
  const char* merged;
  const char* receivedAfter;  // received as it stands on return: without spaces
};

void CheckMerge(const MergeCase& c) {
  SCOPED_TRACE(std::string("cookies [") + c.cookies + "] received [" + c.received + "]");
  Text cookies(c.cookies);
  Text received(c.received);
  Text result = CookieMerge(cookies, received);
  EXPECT_EQ(result.View(), c.merged);
  EXPECT_EQ(cookies.View(), c.merged);
  EXPECT_EQ(received.View(), c.receivedAfter);
}

TEST(CookieMergeTest, WorkedExamples) {
  const MergeCase cases[] = {
      {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
      {"a=1; sid=abc", "sid=deleted", "a=1", "sid=deleted"},
      {"a=1;b=2", "", "a=1; b=2", ""},
      {"", "x=1; y=2", "x=1; y=2", "x=1;y=2"},
      {"a=1; a=2", "b=3", "b=3; a=1", "b=3"},
      {"lang=en; flag", "flag; k=v", "flag; k=v; lang=en", "flag;k=v"},
      {"z=9", "a=1; a=2; a=1", "a=1; a=2; z=9", "a=1;a=2;a=1"},
  };
  for (const MergeCase& c : cases) CheckMerge(c);
}

TEST(CookieMergeTest, NormalisesCookiesWithoutReceived) {
  const MergeCase cases[] = {
      {"", "", "", ""},
      {"a=1;a=2", "", "a=1", ""},
      {" a = 1 ;b=2 ;  c=3 ", "", "a=1; b=2; c=3", ""},
      // Spaces inside values go too, full-width ones included; tabs are not spaces.
      {"a=hello world; b=x\xA1\xA1y; c=\t1", "", "a=helloworld; b=xy; c=\t1", ""},
      {"a=1;;b=2", "", "a=1; ; b=2", ""},
      {"a=1;", "", "a=1", ""},
      {";a=1", "", "; a=1", ""},
      {";", "", "", ""},
      // Code page 936 characters in a value pass unchanged.
      {"n=\xD5\xC5\xC8\xFD", "", "n=\xD5\xC5\xC8\xFD", ""},
  };
  for (const MergeCase& c : cases) CheckMerge(c);
}

TEST(CookieMergeTest, ReplacesOldItemsByName) {
  const MergeCase cases[] = {
      {"a=1; b=2", "b=3", "b=3; a=1", "b=3"},
      // Names are case-sensitive.
      {"SID=1", "sid=2", "sid=2; SID=1", "sid=2"},
      // An item without "=" is its own name.
      {"flag; a=1", "flag=1", "flag=1; a=1", "flag=1"},
      {"flag=1; a=1", "flag", "flag; a=1", "flag"},
      // Only the first "=" ends the name.
      {"a=b=c", "a=d", "a=d", "a=d"},
      // The empty name is a name like any other.
      {"=x; =y", "", "=x", ""},
      {"=x", "=z", "=z", "=z"},
      // Received items are not compared by name, only collapsed when identical.
      {"", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
      {"", "a=1; a=1", "a=1", "a=1;a=1"},
      {"a=0", "a = 1; a=1", "a=1", "a=1;a=1"},
      {"c=3", "b = x y", "b=xy; c=3", "b=xy"},
  };
  for (const MergeCase& c : cases) CheckMerge(c);
}

TEST(CookieMergeTest, DropsDeletionMarkers) {
  const MergeCase cases[] = {
      // A received marker removes the old cookie and itself.
      {"a=1; sid=abc", "sid=deleted", "a=1", "sid=deleted"},
      // An old marker that was not received goes as well.
      {"a=1; old=deleted", "", "a=1", ""},
      // Case-sensitive, and only the last 8 bytes count.
      {"a=Deleted; b=deleted1; c=b=deleted", "", "a=Deleted; b=deleted1", ""},
      {"=deleted; deleted; x=1", "", "deleted; x=1", ""},
      // The name test runs before markers are dropped, so an old marker still
      // shadows a later old item of its name.
      {"a=deleted; a=1; b=2", "", "b=2", ""},
      {"", "a=deleted", "", "a=deleted"},
  };
  for (const MergeCase& c : cases) CheckMerge(c);
}

TEST(JoinUniqueTest, KeepsFirstOccurrenceOfEachMember) {
  struct Case {
    const char* text;
    const char* separator;
    const char* joined;
  } const cases[] = {
      {"a; b; a; b; c", "; ", "a; b; c"},
      {"", "; ", ""},
      {"A; a", "; ", "A; a"},
      // The separator matches as a whole.
      {"a;b; a;b", "; ", "a;b"},
      {"a;b; a", "; ", "a;b; a"},
      // An empty member is kept once, like any other.
      {"a,,b,,a", ",", "a,,b"},
      {"abc", "", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.text + "] at [" + c.separator + "]");
    EXPECT_EQ(JoinUnique(Text(c.text), Text(c.separator)).View(), c.joined);
  }
}

TextArray MakeArray(const std::vector<const char*>& members) {
  TextArray array;
  for (const char* member : members) array.Append(Text(member));
  return array;
}

TEST(FindMemberTest, GivesIndexOfFirstEqualMember) {
  const TextArray members = MakeArray({"a", "", "b", "a", "B"});
  struct Case {
    const char* text;
    int32_t index;
  } const cases[] = {{"a", 1}, {"", 2}, {"b", 3}, {"B", 5}, {"c", -1}, {"a ", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.text + "]");
    EXPECT_EQ(FindMember(members, Text(c.text)), c.index);
  }
  EXPECT_EQ(FindMember(TextArray(), Text()), -1);
  EXPECT_EQ(FindMember(MakeArray({"a"}), Text()), -1);
}

TEST(CookieNameTest, IsTrimmedTextBeforeFirstEquals) {
  struct Case {
    const char* item;
    const char* name;
  } const cases[] = {
      {"a=1", "a"},       {" a =1", "a"},   {"a=b=c", "a"}, {"flag", "flag"},
      {" flag ", "flag"}, {"=x", ""},       {"", ""},       {"\xA1\xA1n\xA1\xA1=1", "n"},
      {"\tn=1", "\tn"},   {"Sid=1", "Sid"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.item + "]");
    EXPECT_EQ(CookieName(Text(c.item)).View(), c.name);
  }
}

TEST(CookieNameExistsTest, ComparesNamesOfMembers) {
  const TextArray items = MakeArray({"a=1", "flag", " b =2", "c=x=y"});
  struct Case {
    const char* name;
    bool exists;
  } const cases[] = {{"a", true},  {"flag", true}, {"b", true},    {"c", true},
                     {"A", false}, {"", false},    {"a=1", false}, {"x", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.name + "]");
    EXPECT_EQ(CookieNameExists(items, Text(c.name)), c.exists);
  }
  EXPECT_TRUE(CookieNameExists(MakeArray({"a=1", "=v"}), Text()));
  EXPECT_FALSE(CookieNameExists(TextArray(), Text()));
}

}  // namespace
}  // namespace quolvane
