// The code page 936 table behind AnsiToWide and WideToAnsi, one implementation per platform.
// codepage.cpp does everything else (ASCII, the two single-byte characters, sequences that
// are not well-formed, characters outside the basic plane), so both halves see only what
// the table itself decides and give the same results.
#pragma once

#include <cstddef>
#include <string_view>

namespace quolvane::cp936 {

// Writes one UTF-16 unit for each pair of `pairs`, a run of well-formed double-byte
// characters (lead 0x81-0xFE, trail 0x40-0x7E or 0x80-0xFE): U+FFFD where the table has none.
void DecodePairs(std::string_view pairs, char16_t* out);

// Writes the bytes of `chars`, basic-plane characters that are neither ASCII, surrogates,
// U+20AC nor U+F8F5, and "?" for each the table cannot map (no best fit). Returns the
// number of bytes written, at most two per character.
size_t EncodeChars(std::u16string_view chars, char* out);

}  // namespace quolvane::cp936
