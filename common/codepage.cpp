// The portable half of the conversions: the ASCII fast paths, the structure of code page
// 936 around its table, and UTF-8 <-> UTF-16.
#include "common/codepage.h"

#include <cstdint>
#include <cstring>

#include "common/codepage_platform.h"
#include "common/large_buffer.h"

namespace quolvane {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
// Windows gives the two single bytes that are no lead bytes these characters.
constexpr char16_t kEuro = 0x20AC;       // 0x80
constexpr char16_t kPrivateFF = 0xF8F5;  // 0xFF

bool IsLead(uint8_t b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(uint8_t b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}
bool IsSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}
bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Pages are mostly ASCII: copy runs of it eight bytes at a time, as plain widening, which
// the compiler vectorises. Returns the index of the first byte of 0x80 or above (or n).
size_t WidenAscii(const uint8_t* in, size_t i, size_t n, char16_t* out, size_t& o) {
  for (; i + 8 <= n; i += 8, o += 8) {
    uint64_t block;
    std::memcpy(&block, in + i, sizeof block);
    if ((block & 0x8080808080808080ULL) != 0) break;
    for (size_t k = 0; k < 8; ++k) out[o + k] = in[i + k];
  }
  for (; i < n && in[i] < 0x80; ++i) out[o++] = in[i];
  return i;
}

// The same in the other direction; returns the index of the first unit of 0x80 or above.
size_t NarrowAscii(const char16_t* in, size_t i, size_t n, char* out, size_t& o) {
  for (; i + 4 <= n; i += 4, o += 4) {
    bool ascii = true;
    for (size_t k = 0; k < 4; ++k) ascii &= in[i + k] < 0x80;
    if (!ascii) break;
    for (size_t k = 0; k < 4; ++k) out[o + k] = static_cast<char>(in[i + k]);
  }
  for (; i < n && in[i] < 0x80; ++i) out[o++] = static_cast<char>(in[i]);
  return i;
}

// What the platform table must encode: everything but ASCII, surrogates and the two
// characters of single bytes.
bool NeedsTable(char16_t c) {
  return c >= 0x80 && !IsSurrogate(c) && c != kEuro && c != kPrivateFF;
}

// A string of n units to be overwritten, mapped in before it is filled.
std::u16string WideBuffer(size_t n) {
  std::u16string wide;
  wide.reserve(n);
  AdviseLargeBuffer(wide.data(), n * sizeof(char16_t));
  PrepareForWriting(wide.data(), n * sizeof(char16_t));
  wide.resize(n);
  return wide;
}

}  // namespace

std::u16string AnsiToWide(std::string_view ansi) {
  const auto* in = reinterpret_cast<const uint8_t*>(ansi.data());
  const size_t n = ansi.size();
  std::u16string wide = WideBuffer(n);  // never more units than bytes
  size_t o = 0;
  for (size_t i = 0; i < n;) {
    i = WidenAscii(in, i, n, wide.data(), o);
    if (i == n) break;
    const uint8_t b = in[i];
    if (IsLead(b) && i + 1 < n && IsTrail(in[i + 1])) {
      size_t end = i + 2;
      while (end + 1 < n && IsLead(in[end]) && IsTrail(in[end + 1])) end += 2;
      cp936::DecodePairs(ansi.substr(i, end - i), wide.data() + o);
      o += (end - i) / 2;
      i = end;
      continue;
    }
    // A lead byte without its trail stands for itself alone: decoding goes on with the
    // next byte, so an ASCII run after it comes through intact.
    wide[o++] = b == 0x80 ? kEuro : b == 0xFF ? kPrivateFF : kReplacement;
    ++i;
  }
  wide.resize(o);
  return wide;
}

Text WideToAnsi(std::u16string_view wide) {
  const size_t n = wide.size();
  std::string ansi(2 * n, '\0');  // at most two bytes per unit
  size_t o = 0;
  for (size_t i = 0; i < n;) {
    i = NarrowAscii(wide.data(), i, n, ansi.data(), o);
    if (i == n) break;
    const char16_t c = wide[i];
    if (NeedsTable(c)) {
      size_t end = i + 1;
      while (end < n && NeedsTable(wide[end])) ++end;
      o += cp936::EncodeChars(wide.substr(i, end - i), ansi.data() + o);
      i = end;
      continue;
    }
    if (c == kEuro) {
      ansi[o++] = '\x80';
    } else if (c == kPrivateFF) {
      ansi[o++] = '\xFF';
    } else {
      // The code page has nothing outside the basic plane: one "?" per character, that is
      // per surrogate pair, and one per lone surrogate.
      ansi[o++] = '?';
      if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(wide[i + 1])) ++i;
    }
    ++i;
  }
  ansi.resize(o);
  return Text(ansi);  // a U+0000 ends the text there
}

std::u16string Utf8ToWide(std::string_view utf8) {
  const auto* in = reinterpret_cast<const uint8_t*>(utf8.data());
  const size_t n = utf8.size();
  std::u16string wide = WideBuffer(n);  // never more units than bytes
  size_t o = 0;
  for (size_t i = 0; i < n;) {
    i = WidenAscii(in, i, n, wide.data(), o);
    if (i == n) break;
    const uint8_t b = in[i];
    size_t more;
    uint32_t code;
    // The bounds of the second byte rule out overlong forms, surrogates and code points
    // above U+10FFFF at the earliest byte, which makes each maximal invalid subpart
    // (Unicode's recommended practice) one U+FFFD.
    uint8_t low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      more = 1, code = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2, code = b & 0x0Fu;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3, code = b & 0x07u;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      wide[o++] = kReplacement;
      ++i;
      continue;
    }
    ++i;
    bool complete = true;
    for (; more > 0; --more, ++i, low = 0x80, high = 0xBF) {
      if (i == n || in[i] < low || in[i] > high) {
        complete = false;  // the offending byte starts afresh
        break;
      }
      code = (code << 6) | (in[i] & 0x3Fu);
    }
    if (!complete) {
      wide[o++] = kReplacement;
    } else if (code >= 0x10000) {
      code -= 0x10000;
      wide[o++] = static_cast<char16_t>(0xD800 + (code >> 10));
      wide[o++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      wide[o++] = static_cast<char16_t>(code);
    }
  }
  wide.resize(o);
  return wide;
}

std::string WideToUtf8(std::u16string_view wide) {
  const size_t n = wide.size();
  std::string utf8(3 * n, '\0');  // at most three bytes per unit
  size_t o = 0;
  auto put = [&](uint32_t byte) { utf8[o++] = static_cast<char>(byte); };
  for (size_t i = 0; i < n;) {
    i = NarrowAscii(wide.data(), i, n, utf8.data(), o);
    if (i == n) break;
    uint32_t code = wide[i++];
    if (IsHighSurrogate(static_cast<char16_t>(code)) && i < n && IsLowSurrogate(wide[i])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (wide[i++] - 0xDC00u);
    } else if (IsSurrogate(static_cast<char16_t>(code))) {
      code = kReplacement;
    }
    if (code < 0x800) {
      put(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
      put(0xE0 | (code >> 12));
      put(0x80 | ((code >> 6) & 0x3F));
    } else {
      put(0xF0 | (code >> 18));
      put(0x80 | ((code >> 12) & 0x3F));
      put(0x80 | ((code >> 6) & 0x3F));
    }
    put(0x80 | (code & 0x3F));
  }
  utf8.resize(o);
  return utf8;
}

Text Utf8ToAnsi(std::string_view utf8) {
  return WideToAnsi(Utf8ToWide(utf8));
}

std::string AnsiToUtf8(const Text& text) {
  return WideToUtf8(AnsiToWide(text.View()));
}

}  // namespace quolvane
