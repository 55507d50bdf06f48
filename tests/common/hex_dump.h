// Code units and bytes as hex, so a failed comparison shows what differs.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quolvane {

inline std::string Units(std::u16string_view wide) {
  std::string out;
  char unit[8];
  for (char16_t c : wide) {
    std::snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(c));
    out += unit;
  }
  return out;
}

inline std::string Hex(std::string_view bytes) {
  std::string out;
  char byte[4];
  for (unsigned char c : bytes) {
    std::snprintf(byte, sizeof byte, "%02X ", c);
    out += byte;
  }
  return out;
}

}  // namespace quolvane
