#include "common/integer.h"

namespace quolvane {

int32_t IntRemainder(int32_t x, int32_t y) {
  // y of -1 always leaves 0; testing it first keeps INT32_MIN % -1 from trapping.
  if (y == 0 || y == -1) return 0;
  return x % y;
}

int32_t IntAnd(int32_t a, int32_t b) {
  return a & b;
}

// A negative count shifts nothing.
int32_t IntShiftLeft(int32_t value, int32_t bits) {
  if (bits <= 0) return value;
  if (bits >= 32) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(value) << bits);
}

int32_t IntShiftRight(int32_t value, int32_t bits) {
  if (bits <= 0) return value;
  if (bits >= 32) return value < 0 ? -1 : 0;
  return value >> bits;  // arithmetic: the sign bit is copied in
}

uint8_t IntToByte(int32_t value) {
  return static_cast<uint8_t>(value);
}

}  // namespace quolvane
