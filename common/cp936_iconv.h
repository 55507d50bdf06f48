// Code page 936 on glibc's iconv ("CP936"), shared by the conversions and by the build
// step that writes their decoding table. glibc's table is Windows' table less the
// private-use cells, which Windows maps and glibc rejects; those are filled in here.
#pragma once

#include <iconv.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quolvane::cp936 {

inline constexpr char16_t kReplacement = 0xFFFD;
inline constexpr const char* kWide =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (Valid()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts until the input ends (true) or the first sequence iconv rejects (false); the
  // pointers are left just after what was converted.
  bool Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    if (!Valid()) return false;
    char* source = const_cast<char*>(in);  // iconv's signature; it never writes the input
    size_t result = iconv(cd_, &source, &inLeft, &out, &outLeft);
    in = source;
    if (result != static_cast<size_t>(-1)) return true;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return false;
  }

  [[nodiscard]] bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

 private:
  iconv_t cd_;
};

// The cells Windows maps to U+E000 onward, in this order, one character each: the three
// user-defined areas, then the cells GBK leaves empty.
struct Cells {
  uint8_t lead, firstTrail, lastTrail;
};
inline constexpr Cells kPrivateUseCells[] = {
    {0xAA, 0xA1, 0xFE}, {0xAB, 0xA1, 0xFE}, {0xAC, 0xA1, 0xFE}, {0xAD, 0xA1, 0xFE},
    {0xAE, 0xA1, 0xFE}, {0xAF, 0xA1, 0xFE},  // U+E000
    {0xF8, 0xA1, 0xFE}, {0xF9, 0xA1, 0xFE}, {0xFA, 0xA1, 0xFE}, {0xFB, 0xA1, 0xFE},
    {0xFC, 0xA1, 0xFE}, {0xFD, 0xA1, 0xFE}, {0xFE, 0xA1, 0xFE},  // U+E234
    {0xA1, 0x40, 0xA0}, {0xA2, 0x40, 0xA0}, {0xA3, 0x40, 0xA0}, {0xA4, 0x40, 0xA0},
    {0xA5, 0x40, 0xA0}, {0xA6, 0x40, 0xA0}, {0xA7, 0x40, 0xA0},                      // U+E4C6
    {0xA2, 0xAB, 0xB0}, {0xA2, 0xE3, 0xE4}, {0xA2, 0xEF, 0xF0}, {0xA2, 0xFD, 0xFE},  // U+E766
    {0xA4, 0xF4, 0xFE}, {0xA5, 0xF7, 0xFE}, {0xA6, 0xB9, 0xC0}, {0xA6, 0xD9, 0xDF},
    {0xA6, 0xEC, 0xED}, {0xA6, 0xF3, 0xF3}, {0xA6, 0xF6, 0xFE}, {0xA7, 0xC2, 0xD0},
    {0xA7, 0xF2, 0xFE}, {0xA8, 0x96, 0xA0}, {0xA8, 0xBC, 0xBC}, {0xA8, 0xBF, 0xBF},
    {0xA8, 0xC1, 0xC4}, {0xA8, 0xEA, 0xFE}, {0xA9, 0x58, 0x58}, {0xA9, 0x5B, 0x5B},
    {0xA9, 0x5D, 0x5F}, {0xA9, 0x89, 0x95}, {0xA9, 0x97, 0xA3}, {0xA9, 0xF0, 0xFE},
    {0xD7, 0xFA, 0xFE}, {0xFE, 0x50, 0x7E}, {0xFE, 0x80, 0xA0},  // ... U+E864
};
inline constexpr char16_t kFirstPrivateUse = 0xE000;

// The trail byte's number among the valid trails 0x40-0x7E, 0x80-0xFE.
inline int TrailIndex(uint8_t trail) {
  return trail < 0x7F ? trail - 0x40 : trail - 0x41;
}
inline int CellCount(const Cells& cells) {
  return TrailIndex(cells.lastTrail) - TrailIndex(cells.firstTrail) + 1;
}

inline char16_t PrivateUseOf(uint8_t lead, uint8_t trail) {
  int code = kFirstPrivateUse;
  for (const Cells& cells : kPrivateUseCells) {
    if (cells.lead == lead && trail >= cells.firstTrail && trail <= cells.lastTrail) {
      return static_cast<char16_t>(code + TrailIndex(trail) - TrailIndex(cells.firstTrail));
    }
    code += CellCount(cells);
  }
  return kReplacement;
}

// Writes the pair for a private-use character, or "?" when it has none.
inline size_t EncodePrivateUse(char16_t c, char* out) {
  int offset = c - kFirstPrivateUse;
  if (offset >= 0) {
    for (const Cells& cells : kPrivateUseCells) {
      int count = CellCount(cells);
      if (offset < count) {
        int index = TrailIndex(cells.firstTrail) + offset;
        out[0] = static_cast<char>(cells.lead);
        out[1] = static_cast<char>(index < 0x3F ? index + 0x40 : index + 0x41);
        return 2;
      }
      offset -= count;
    }
  }
  out[0] = '?';
  return 1;
}

// Decodes a run of pairs through iconv, filling in the cells it rejects.
inline void DecodeThroughIconv(Iconv& decoder, std::string_view pairs, char16_t* out) {
  const char* in = pairs.data();
  size_t inLeft = pairs.size();
  char* to = reinterpret_cast<char*>(out);
  size_t outLeft = pairs.size();  // one unit, two bytes, per pair
  while (inLeft >= 2 && outLeft >= sizeof(char16_t)) {
    if (decoder.Convert(in, inLeft, to, outLeft)) break;
    // iconv stopped at a pair it does not know: one character for the pair, then on.
    char16_t c = PrivateUseOf(static_cast<uint8_t>(in[0]), static_cast<uint8_t>(in[1]));
    std::memcpy(to, &c, sizeof c);
    to += sizeof c, outLeft -= sizeof c;
    in += 2, inLeft -= 2;
  }
}

inline constexpr int kLeadCount = 0xFE - 0x81 + 1;
inline constexpr int kTrailCount = 0xFE - 0x40;  // 0x40-0x7E and 0x80-0xFE

inline size_t PairIndex(uint8_t lead, uint8_t trail) {
  return static_cast<size_t>((lead - 0x81) * kTrailCount + TrailIndex(trail));
}

}  // namespace quolvane::cp936
