// Bytes may hold zero bytes; turning them into Text stops at the first.
#include <gtest/gtest.h>

#include <string>

#include "common/text.h"

namespace quolvane {
namespace {

Bytes Raw(std::string_view bytes) {
  return Bytes(bytes);
}

std::string AsString(const Bytes& bytes) {
  return std::string(bytes.AsChars());
}

TEST(BytesTest, TextToBytesAndBack) {
  Bytes bytes = TextToBytes("\xD6\xD0x");
  EXPECT_EQ(BytesLength(bytes), 3);
  EXPECT_EQ(AsString(bytes), "\xD6\xD0x");
  EXPECT_EQ(BytesToText(bytes).View(), "\xD6\xD0x");
  EXPECT_TRUE(TextToBytes("").IsEmpty());
  EXPECT_EQ(BytesLength(TextToBytes(Text())), 0);
}

TEST(BytesTest, BytesToTextStopsAtTheFirstZero) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view bytes;
    std::string_view text;
  } cases[] = {
      {"abc"sv, "abc"sv}, {"ab\0cd"sv, "ab"sv}, {"ab\0"sv, "ab"sv},
      {"\0ab"sv, ""sv},   {""sv, ""sv},         {"\x80\xFF"sv, "\x80\xFF"sv},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
    Text text = BytesToText(Raw(c.bytes));
    EXPECT_EQ(text.View(), c.text);
    EXPECT_EQ(TextLength(text), static_cast<int32_t>(c.text.size()));
  }
}

TEST(BytesTest, ZeroBytes) {
  Bytes zeros = ZeroBytes(3);
  EXPECT_EQ(BytesLength(zeros), 3);
  EXPECT_EQ(AsString(zeros), std::string(3, '\0'));
  EXPECT_TRUE(ZeroBytes(0).IsEmpty());
  EXPECT_TRUE(ZeroBytes(-1).IsEmpty());
  EXPECT_TRUE(BytesEqual(ZeroBytes(-5), Bytes()));
}

TEST(BytesTest, BytesEqualComparesCountAndBytes) {
  using namespace std::string_view_literals;
  struct Case {
    Bytes a, b;
    bool equal;
  } cases[] = {
      {Raw("a\0b"sv), Raw("a\0b"sv), true},
      {Raw("a\0b"sv), Raw("a\0c"sv), false},
      {Raw("a"sv), Raw("a\0"sv), false},
      {Raw(""sv), Bytes(), true},
      {ZeroBytes(0), Bytes(std::vector<uint8_t>{}), true},
      {ZeroBytes(2), Raw("\0\0"sv), true},
      {Raw("A"sv), Raw("a"sv), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(AsString(c.a)) +
                 " == " + testing::PrintToString(AsString(c.b)));
    EXPECT_EQ(BytesEqual(c.a, c.b), c.equal);
    EXPECT_EQ(BytesEqual(c.b, c.a), c.equal);
  }
}

TEST(BytesTest, ConcatBytesKeepsZeroBytesAndOrder) {
  using namespace std::string_view_literals;
  Bytes joined = ConcatBytes(Raw("a\0"sv), Bytes(), Raw("b"sv), ZeroBytes(1));
  EXPECT_EQ(AsString(joined), "a\0b\0"sv);
  EXPECT_EQ(BytesLength(joined), 4);
  Bytes nothing = ConcatBytes(Bytes(), ZeroBytes(0));
  EXPECT_TRUE(nothing.IsEmpty());
  EXPECT_TRUE(BytesEqual(nothing, Bytes()));
}

}  // namespace
}  // namespace quolvane
