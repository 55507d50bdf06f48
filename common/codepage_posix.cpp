// Code page 936 on glibc: decoding by the table made at build time, encoding through
// iconv (a character at a time is rare: only non-ASCII text goes back to the code page).
#include <iterator>

#include "common/codepage_platform.h"
#include "common/cp936_iconv.h"

namespace quolvane::cp936 {
namespace {

// A descriptor has state, so threads cannot share one, and opening one costs more than
// most conversions: each thread opens its encoder once, on first use, and closes it when
// it ends.
Iconv& ThreadEncoder() {
  thread_local Iconv encoder{"CP936", kWide};
  return encoder;
}

// The decoding table, written at build time from iconv by cp936_table_generator: a
// page goes through the decoder whole, so it is a lookup per pair, with no converter to
// open and no table to read at run time.
constexpr char16_t kDecodeTable[] = {
#include "cp936_decode_table.inc"
};
static_assert(std::size(kDecodeTable) == size_t{kLeadCount} * kTrailCount);

}  // namespace

void DecodePairs(std::string_view pairs, char16_t* out) {
  const auto* in = reinterpret_cast<const uint8_t*>(pairs.data());
  for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
    *out++ = kDecodeTable[PairIndex(in[i], in[i + 1])];
  }
}

size_t EncodeChars(std::u16string_view chars, char* out) {
  Iconv& encoder = ThreadEncoder();
  const char* in = reinterpret_cast<const char*>(chars.data());
  size_t inLeft = chars.size() * sizeof(char16_t);
  char* to = out;
  size_t outLeft = chars.size() * 2;
  while (inLeft >= sizeof(char16_t) && outLeft >= 2) {
    if (encoder.Convert(in, inLeft, to, outLeft)) break;
    char16_t c;
    std::memcpy(&c, in, sizeof c);
    size_t written = EncodePrivateUse(c, to);
    to += written, outLeft -= written;
    in += sizeof c, inLeft -= sizeof c;
  }
  return static_cast<size_t>(to - out);
}

}  // namespace quolvane::cp936
