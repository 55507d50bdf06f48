// The integer helpers: 32-bit arithmetic with the edge behaviour spelled out.
#pragma once

#include <cstdint>

namespace quolvane {

// Remainder with the sign of x; 0 when y is 0 (no trap) or when x / y would overflow.
int32_t IntRemainder(int32_t x, int32_t y);
int32_t IntAnd(int32_t a, int32_t b);
// Bits shifted out are lost; shifts of 32 or more give 0 (left) or the sign fill (right).
int32_t IntShiftLeft(int32_t value, int32_t bits);
int32_t IntShiftRight(int32_t value, int32_t bits);
uint8_t IntToByte(int32_t value);

}  // namespace quolvane
