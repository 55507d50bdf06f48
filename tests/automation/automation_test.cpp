// The call rules every component is reached through: creation by ProgID, arguments
// dropped or passed as missing, conversions, silent failure and apartment pairing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "automation/dispatch.h"
#include "automation/registry.h"

namespace quolvane {
namespace {

constexpr const char* kRecorderProgId = "Quolvane.Test.Recorder";

// Records each call it gets. Knows one method "Echo" (up to three arguments, returns
// the first), one property "Value" and one indexed property "Option".
class Recorder : public Dispatchable {
 public:
  struct Call {
    std::string member;
    CallKind kind;
    std::vector<Variant> args;
  };
  std::vector<Call> calls;
  Variant value;
  Variant options[8];

  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    calls.push_back({std::string(member), kind, {args.begin(), args.end()}});
    if (MemberNameEquals(member, "Echo") && kind == CallKind::Method) {
      if (args.size() > 3) return false;
      result = args.empty() ? Variant::MakeEmpty() : args[0];
      return true;
    }
    if (MemberNameEquals(member, "Value")) {
      if (kind == CallKind::PropertyGet && args.empty()) return result = value, true;
      if (kind == CallKind::PropertyPut && args.size() == 1) return value = args[0], true;
      return false;
    }
    if (MemberNameEquals(member, "Option") && !args.empty()) {
      int32_t index = args[0].ToInt();
      if (index < 0 || index >= 8) return false;
      if (kind == CallKind::PropertyGet && args.size() == 1) {
        result = options[index];
        return true;
      }
      if (kind == CallKind::PropertyPut && args.size() == 2) {
        options[index] = args[1];
        return true;
      }
    }
    return false;
  }
};

class AutomationTest : public testing::Test {
 protected:
  void SetUp() override {
    recorder_ = std::make_shared<Recorder>();
    RegisterComponent(kRecorderProgId, [this] { return recorder_; });
    ApartmentEnter();
  }
  void TearDown() override {
    ApartmentLeave();
    UnregisterComponent(kRecorderProgId);
  }
  ComObject MakeRecorder() {
    ComObject object;
    EXPECT_TRUE(CreateObject(object, kRecorderProgId));
    return object;
  }
  std::shared_ptr<Recorder> recorder_;
};

TEST_F(AutomationTest, CreationByProgIdIgnoresCaseAndKeepsTheOldObjectOnFailure) {
  ComObject object;
  ASSERT_TRUE(CreateObject(object, "quolvane.test.RECORDER"));
  ComObject before = object;
  EXPECT_FALSE(CreateObject(object, "Quolvane.Test.NoSuchThing"));
  EXPECT_EQ(object, before);
  EXPECT_FALSE(object.IsEmpty());
}

TEST_F(AutomationTest, CreationOutsideAnApartmentFails) {
  ApartmentLeave();
  ComObject object;
  EXPECT_FALSE(CreateObject(object, kRecorderProgId));
  EXPECT_TRUE(object.IsEmpty());
  ApartmentEnter();
}

TEST_F(AutomationTest, TrailingLeftOutArgumentsAreDroppedAndInnerOnesGoAsMissing) {
  ComObject object = MakeRecorder();
  CallMethod(object, "Echo", {1, kOmitted, "x", kOmitted, kOmitted});
  ASSERT_EQ(recorder_->calls.size(), 1u);
  const auto& args = recorder_->calls[0].args;
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].ToInt(), 1);
  EXPECT_TRUE(args[1].IsMissing());
  EXPECT_EQ(args[2].ToText(), Text("x"));
}

TEST_F(AutomationTest, ArgumentsConvertByType) {
  ComObject object = MakeRecorder();
  Bytes bytes(std::string_view("a\0b", 3));
  CallMethod(object, "Echo", {true, 2.5, bytes});
  const auto& args = recorder_->calls.at(0).args;
  ASSERT_NE(args[0].AsBool(), nullptr);
  EXPECT_TRUE(*args[0].AsBool());
  EXPECT_EQ(args[0].ToText(), Text("-1"));  // an automation true reads as -1
  EXPECT_EQ(args[0].ToInt(), -1);
  ASSERT_NE(args[1].AsReal(), nullptr);
  EXPECT_EQ(args[1].ToInt(), 2);  // truncated toward zero
  EXPECT_EQ(args[2].ToBytes(), bytes);
}

TEST_F(AutomationTest, FailuresAreSilentAndGiveEmptyValues) {
  ComObject object = MakeRecorder();
  ComObject empty;
  struct Case {
    const char* what;
    Variant result;
  } cases[] = {
      {"unknown member", CallMethod(object, "NoSuchMember", {1})},
      {"too many arguments", CallMethod(object, "Echo", {1, 2, 3, 4})},
      {"method called as a property", GetProperty(object, "Echo")},
      {"index out of range", GetProperty(object, "Option", {99})},
      {"empty object", CallMethod(empty, "Echo", {1})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(c.result.IsEmpty());
    EXPECT_EQ(c.result.ToText(), Text());
    EXPECT_EQ(c.result.ToInt(), 0);
    EXPECT_TRUE(c.result.ToObject().IsEmpty());
    EXPECT_TRUE(c.result.ToBytes().IsEmpty());
  }
  EXPECT_FALSE(PutProperty(empty, "Value", {1}));
  EXPECT_FALSE(PutProperty(object, "NoSuchMember", {1}));
  EXPECT_FALSE(PutProperty(object, "Value", {}));
}

TEST_F(AutomationTest, IndexedWritesTakeIndexesFirstAndTheValueLast) {
  ComObject object = MakeRecorder();
  EXPECT_TRUE(PutProperty(object, "option", {4, 0x3300}));
  EXPECT_EQ(GetProperty(object, "OPTION", {4}).ToInt(), 0x3300);
  EXPECT_TRUE(PutProperty(object, "Value", {Text("abc")}));
  EXPECT_EQ(GetProperty(object, "value").ToText(), Text("abc"));
}

TEST(VariantTest, ConversionsFollowTheAutomationRules) {
  EXPECT_EQ(Variant().ToInt(), 0);  // a new Variant holds the integer 0
  EXPECT_EQ(Variant().GetKind(), Variant::Kind::Integer);
  struct Case {
    const char* what;
    Variant value;
    const char* text;
    int32_t number;
  } cases[] = {
      {"string of digits", Variant::FromText("42"), "42", 42},
      {"string with spaces", Variant::FromText(" -7 "), " -7 ", -7},
      {"not a number", Variant::FromText("abc"), "abc", 0},
      {"negative real", Variant::FromReal(-2.9), "-2.9", -2},
      {"huge real clamps", Variant::FromReal(1e12), "1000000000000", 2147483647},
      {"fifteen significant digits", Variant::FromReal(1.0 / 3), "0.333333333333333", 0},
      {"whole number beyond 1e15", Variant::FromReal(1e20), "1e+20", 2147483647},
      {"false", Variant::FromBool(false), "0", 0},
      {"empty", Variant::MakeEmpty(), "", 0},
      {"bytes are not text", Variant::FromBytes(Bytes(std::string_view("ab"))), "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.value.ToText(), Text(c.text));
    EXPECT_EQ(c.value.ToInt(), c.number);
  }
}

TEST(ApartmentTest, EntriesAndExitsPairPerThread) {
  int start = ApartmentDepth();
  {
    ApartmentScope outer;
    ApartmentScope inner;
    EXPECT_EQ(ApartmentDepth(), start + 2);
  }
  EXPECT_EQ(ApartmentDepth(), start);
}

}  // namespace
}  // namespace quolvane
