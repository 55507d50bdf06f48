// What every fuzz target shares: a failed property prints what it saw and traps, so
// libFuzzer stops and keeps the input; and the input cut into zero-separated parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quolvane::fuzz {

// The bytes as hex, with printable ASCII shown as itself, for failure messages.
inline std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\' && b != '"') {
      out.push_back(c);
    } else {
      out += "\\x";
      out.push_back(kDigits[b >> 4]);
      out.push_back(kDigits[b & 0xF]);
    }
  }
  return out + "\"";
}

inline std::string Hex(std::u16string_view units) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "u\"";
  for (char16_t u : units) {
    if (u >= 0x20 && u < 0x7F && u != '\\' && u != '"') {
      out.push_back(static_cast<char>(u));
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(u >> shift) & 0xF]);
    }
  }
  return out + "\"";
}

[[noreturn]] inline void Fail(const char* file, int line, const char* what,
                              const std::string& detail) {
  std::fprintf(stderr, "\n%s:%d: property failed: %s\n%s\n", file, line, what, detail.c_str());
  std::fflush(stderr);
  __builtin_trap();
}

// The second argument is a std::string built only when the check fails.
#define FUZZ_CHECK(condition, detail)                                                 \
  do {                                                                                \
    if (!(condition)) ::quolvane::fuzz::Fail(__FILE__, __LINE__, #condition, detail); \
  } while (false)

// The input's parts between zero bytes: a Text never holds a zero byte, so the zero
// is a separator that seeds can be written with. Missing parts are empty.
inline std::vector<std::string_view> SplitInput(const uint8_t* data, size_t size, size_t parts) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> out;
  while (out.size() + 1 < parts) {
    size_t zero = rest.find('\0');
    if (zero == std::string_view::npos) break;
    out.push_back(rest.substr(0, zero));
    rest.remove_prefix(zero + 1);
  }
  out.push_back(rest);
  out.resize(parts);
  return out;
}

// A signed byte of the input as a position or count, with its two extremes standing
// for the extremes of int32_t.
inline int32_t SmallInt(uint8_t byte) {
  auto value = static_cast<int8_t>(byte);
  if (value == INT8_MIN) return INT32_MIN;
  if (value == INT8_MAX) return INT32_MAX;
  return value;
}

}  // namespace quolvane::fuzz
