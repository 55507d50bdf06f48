// The code page conversions: decoding never stops early (every byte of the input is
// accounted for), and decode-then-encode gives back every character that decoded.
//
// Input: any bytes, read as code page 936, as UTF-8 and as UTF-16 units.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/codepage.h"
#include "fuzz/check.h"

namespace quolvane::fuzz {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
const std::string kReplacementUtf8 = "\xEF\xBF\xBD";

bool IsLead(uint8_t b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrail(uint8_t b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}
bool IsSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Code page 936: a lead byte with a trail byte after it is one double-byte character,
// every other byte a character of its own.
void CheckAnsi(std::string_view ansi) {
  std::u16string wide = AnsiToWide(ansi);
  std::string expectedBack;
  size_t unit = 0;
  for (size_t i = 0; i < ansi.size(); ++unit) {
    const auto b = static_cast<uint8_t>(ansi[i]);
    const size_t size =
        IsLead(b) && i + 1 < ansi.size() && IsTrail(static_cast<uint8_t>(ansi[i + 1])) ? 2 : 1;
    const std::string detail =
        "AnsiToWide(" + Hex(ansi) + ") = " + Hex(wide) + ", character at byte " + std::to_string(i);
    FUZZ_CHECK(unit < wide.size(), detail + ": output ends early");
    const char16_t c = wide[unit];
    if (b < 0x80) {
      FUZZ_CHECK(c == b, detail + ": ASCII changed");
    } else {
      FUZZ_CHECK(c >= 0x80 && !IsSurrogate(c), detail + ": not a basic-plane character");
    }
    if (size == 1 && IsLead(b)) FUZZ_CHECK(c == kReplacement, detail + ": a lead byte alone");
    expectedBack += c == kReplacement ? std::string("?") : std::string(ansi.substr(i, size));
    i += size;
  }
  FUZZ_CHECK(unit == wide.size(), "AnsiToWide(" + Hex(ansi) + ") = " + Hex(wide) + ": " +
                                      std::to_string(wide.size()) + " units for " +
                                      std::to_string(unit) + " characters");
  Text back = WideToAnsi(wide);
  FUZZ_CHECK(back.View() == expectedBack, "WideToAnsi(AnsiToWide(" + Hex(ansi) + ")) = " +
                                              Hex(back.View()) + ", want " + Hex(expectedBack));
  FUZZ_CHECK(AnsiToUtf8(Text(ansi)) == WideToUtf8(wide), Hex(ansi));
}

// One code point in UTF-8.
std::string EncodeUtf8(uint32_t code) {
  std::string out;
  auto put = [&](uint32_t byte) { out.push_back(static_cast<char>(byte)); };
  if (code < 0x80) {
    put(code);
  } else if (code < 0x800) {
    put(0xC0 | (code >> 6));
    put(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    put(0xE0 | (code >> 12));
    put(0x80 | ((code >> 6) & 0x3F));
    put(0x80 | (code & 0x3F));
  } else {
    put(0xF0 | (code >> 18));
    put(0x80 | ((code >> 12) & 0x3F));
    put(0x80 | ((code >> 6) & 0x3F));
    put(0x80 | (code & 0x3F));
  }
  return out;
}

void AppendUtf16(std::u16string& out, uint32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

// Well-formed UTF-8 after Unicode's table of byte sequences; an ill-formed one becomes a
// U+FFFD per maximal subpart (the longest start of a well-formed sequence, at least one
// byte), and decoding goes on after it.
void CheckUtf8(std::string_view utf8) {
  std::u16string expected;
  std::string expectedBack;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<uint8_t>(utf8[i]);
    size_t more = 0;
    uint8_t low = 0x80, high = 0xBF;
    uint32_t code = b;
    if (b < 0x80) {
      more = 0;
    } else if (b >= 0xC2 && b <= 0xDF) {
      more = 1, code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2, code = b & 0x0F;
      low = b == 0xE0 ? 0xA0 : 0x80;
      high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3, code = b & 0x07;
      low = b == 0xF0 ? 0x90 : 0x80;
      high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
      expected.push_back(kReplacement);
      expectedBack += kReplacementUtf8;
      ++i;
      continue;
    }
    size_t taken = 1;
    bool wellFormed = true;
    for (; taken <= more; ++taken) {
      if (i + taken >= utf8.size()) {
        wellFormed = false;
        break;
      }
      const auto next = static_cast<uint8_t>(utf8[i + taken]);
      if (next < (taken == 1 ? low : 0x80) || next > (taken == 1 ? high : 0xBF)) {
        wellFormed = false;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    if (wellFormed) {
      AppendUtf16(expected, code);
      expectedBack += utf8.substr(i, taken);
    } else {
      expected.push_back(kReplacement);
      expectedBack += kReplacementUtf8;
    }
    i += taken;
  }
  std::u16string wide = Utf8ToWide(utf8);
  FUZZ_CHECK(wide == expected,
             "Utf8ToWide(" + Hex(utf8) + ") = " + Hex(wide) + ", want " + Hex(expected));
  std::string back = WideToUtf8(wide);
  FUZZ_CHECK(back == expectedBack, "WideToUtf8(Utf8ToWide(" + Hex(utf8) + ")) = " + Hex(back) +
                                       ", want " + Hex(expectedBack));
  FUZZ_CHECK(Utf8ToAnsi(utf8) == WideToAnsi(wide), Hex(utf8));
}

// Any UTF-16 units: a surrogate pair is one character, a lone surrogate is ill-formed.
void CheckWide(std::u16string_view wide) {
  std::string expectedUtf8;
  std::u16string expectedWide;
  std::string expectedAnsi;
  bool ansiEnded = false;  // a U+0000 ends the Text
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                      wide[i + 1] <= 0xDFFF;
    std::string ansi;
    if (pair) {
      uint32_t code = 0x10000 + ((uint32_t{c} - 0xD800) << 10) + (uint32_t{wide[i + 1]} - 0xDC00);
      expectedUtf8 += EncodeUtf8(code);
      expectedWide += wide.substr(i, 2);
      ansi = WideToAnsi(wide.substr(i, 2)).View();
      FUZZ_CHECK(ansi == "?", "WideToAnsi of " + Hex(wide.substr(i, 2)) + " = " + Hex(ansi));
      ++i;
    } else if (IsSurrogate(c)) {
      expectedUtf8 += kReplacementUtf8;
      expectedWide.push_back(kReplacement);
      ansi = WideToAnsi(wide.substr(i, 1)).View();
      FUZZ_CHECK(ansi == "?", "WideToAnsi of " + Hex(wide.substr(i, 1)) + " = " + Hex(ansi));
    } else {
      expectedUtf8 += EncodeUtf8(c);
      expectedWide.push_back(c);
      ansi = WideToAnsi(wide.substr(i, 1)).View();
      if (c == 0) {
        FUZZ_CHECK(ansi.empty(), "WideToAnsi of U+0000 = " + Hex(ansi));
      } else if (c < 0x80) {
        FUZZ_CHECK(ansi.size() == 1 && ansi[0] == static_cast<char>(c),
                   "WideToAnsi of " + Hex(wide.substr(i, 1)) + " = " + Hex(ansi));
      } else if (ansi != "?") {
        // Whatever encodes decodes back to the same character.
        std::u16string again = AnsiToWide(ansi);
        FUZZ_CHECK(ansi.size() <= 2 && again.size() == 1 && again[0] == c,
                   "WideToAnsi of " + Hex(wide.substr(i, 1)) + " = " + Hex(ansi) +
                       ", which decodes to " + Hex(again));
      }
    }
    if (c == 0) ansiEnded = true;
    if (!ansiEnded) expectedAnsi += ansi;
  }
  std::string utf8 = WideToUtf8(wide);
  FUZZ_CHECK(utf8 == expectedUtf8,
             "WideToUtf8(" + Hex(wide) + ") = " + Hex(utf8) + ", want " + Hex(expectedUtf8));
  std::u16string back = Utf8ToWide(utf8);
  FUZZ_CHECK(back == expectedWide, "Utf8ToWide(WideToUtf8(" + Hex(wide) + ")) = " + Hex(back));
  Text ansi = WideToAnsi(wide);
  FUZZ_CHECK(ansi.View() == expectedAnsi, "WideToAnsi(" + Hex(wide) + ") = " + Hex(ansi.View()) +
                                              ", one character at a time " + Hex(expectedAnsi));
}

}  // namespace
}  // namespace quolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quolvane::fuzz;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // A Text ends at its first zero byte, and so does what WideToAnsi gives back.
  CheckAnsi(bytes.substr(0, bytes.find('\0')));
  CheckUtf8(bytes);
  std::u16string wide(size / 2, u'\0');
  std::memcpy(wide.data(), data, wide.size() * 2);
  CheckWide(wide);
  return 0;
}
