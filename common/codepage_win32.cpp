// The code page 936 table from the system (MultiByteToWideChar / WideCharToMultiByte).
// The code page is named, not taken from the system's ANSI setting, so a Windows set to
// another code page reads and writes texts the same way.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "common/codepage_platform.h"

namespace quolvane::cp936 {
namespace {

constexpr UINT kCodePage = 936;
constexpr char16_t kReplacement = 0xFFFD;
// Pieces small enough for the int counts of the API.
constexpr size_t kPiece = size_t{1} << 20;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 code units on both sides");

// One unit per pair, or false when the system rejects a pair in the run.
bool DecodeStrict(std::string_view pairs, char16_t* out) {
  int units = static_cast<int>(pairs.size() / 2);
  return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, pairs.data(),
                             static_cast<int>(pairs.size()), reinterpret_cast<wchar_t*>(out),
                             units) == units;
}

}  // namespace

void DecodePairs(std::string_view pairs, char16_t* out) {
  for (size_t start = 0; start < pairs.size(); start += kPiece) {
    std::string_view piece = pairs.substr(start, kPiece);
    char16_t* to = out + start / 2;
    if (DecodeStrict(piece, to)) continue;
    // A pair the table does not have: that one pair becomes U+FFFD.
    for (size_t i = 0; i + 1 < piece.size(); i += 2) {
      if (!DecodeStrict(piece.substr(i, 2), to + i / 2)) to[i / 2] = kReplacement;
    }
  }
}

size_t EncodeChars(std::u16string_view chars, char* out) {
  size_t written = 0;
  for (size_t start = 0; start < chars.size(); start += kPiece) {
    std::u16string_view piece = chars.substr(start, kPiece);
    // No best fit: what has no cell of its own becomes "?", not a look-alike.
    int length = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS,
                                     reinterpret_cast<const wchar_t*>(piece.data()),
                                     static_cast<int>(piece.size()), out + written,
                                     static_cast<int>(piece.size() * 2), "?", nullptr);
    if (length <= 0) {
      std::fill_n(out + written, piece.size(), '?');
      length = static_cast<int>(piece.size());
    }
    written += static_cast<size_t>(length);
  }
  return written;
}

}  // namespace quolvane::cp936
