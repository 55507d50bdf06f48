#include "common/integer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace quolvane {
namespace {

struct BinaryCase {
  int32_t a, b, expected;
};

std::string Trace(const BinaryCase& c) {
  return std::to_string(c.a) + ", " + std::to_string(c.b);
}

TEST(IntegerTest, RemainderHasTheSignOfX) {
  const BinaryCase cases[] = {
      {7, 3, 1},
      {-7, 3, -1},
      {7, -3, 1},
      {-7, -3, -1},
      {6, 3, 0},
      {0, 5, 0},
      {2, 5, 2},
      {-2, 5, -2},
      {5, 0, 0},
      {INT_MIN, -1, 0},
      {INT_MIN, 3, -2},
      {INT_MIN, INT_MAX, -1},
      {INT_MAX, INT_MIN, INT_MAX},
  };
  for (const BinaryCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    EXPECT_EQ(IntRemainder(c.a, c.b), c.expected);
  }
}

TEST(IntegerTest, And) {
  const BinaryCase cases[] = {
      {0x0F0F, 0x00FF, 0x000F},
      {-1, 0x1234, 0x1234},
      {INT_MIN, -1, INT_MIN},
      {-2, 3, 2},
  };
  for (const BinaryCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    EXPECT_EQ(IntAnd(c.a, c.b), c.expected);
  }
}

TEST(IntegerTest, ShiftLeftLosesTheBitsShiftedOut) {
  const BinaryCase cases[] = {
      {1, 0, 1},       {1, 4, 16},  {1, 31, INT_MIN},  {3, 31, INT_MIN}, {0x40000000, 1, INT_MIN},
      {INT_MIN, 1, 0}, {-1, 1, -2}, {-1, 31, INT_MIN}, {1, 32, 0},       {-1, 100, 0},
      {5, -1, 5},
  };
  for (const BinaryCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    EXPECT_EQ(IntShiftLeft(c.a, c.b), c.expected);
  }
}

TEST(IntegerTest, ShiftRightCopiesTheSignBit) {
  const BinaryCase cases[] = {
      {8, 1, 4},
      {-8, 1, -4},
      {-1, 31, -1},
      {INT_MIN, 31, -1},
      {INT_MIN, 1, -0x40000000},
      {INT_MAX, 30, 1},
      {-7, 1, -4},
      {INT_MIN, 32, -1},
      {-5, 40, -1},
      {5, 40, 0},
      {-5, -1, -5},
  };
  for (const BinaryCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    EXPECT_EQ(IntShiftRight(c.a, c.b), c.expected);
  }
}

TEST(IntegerTest, ToByteKeepsTheLowEightBits) {
  const struct {
    int32_t value;
    uint8_t expected;
  } cases[] = {{65, 65}, {0x1FF, 0xFF}, {256, 0}, {-1, 255}, {-128, 128}, {INT_MIN, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(IntToByte(c.value), c.expected);
  }
}

}  // namespace
}  // namespace quolvane
