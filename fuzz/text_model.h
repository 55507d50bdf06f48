// A plain reference model of the text operations, written from their contracts: byte
// positions from 1, and a scan that moves a character at a time, a byte of 0x80 or above
// taking the byte after it along. Slow and obvious on purpose; the fuzz targets compare
// the real operations with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quolvane::fuzz::model {

std::string Left(std::string_view text, int32_t n);
std::string Right(std::string_view text, int32_t n);
std::string Mid(std::string_view text, int32_t start, int32_t n);
int32_t Find(std::string_view text, std::string_view subtext, int32_t start, bool ignoreCase);
std::string Replace(std::string_view text, std::string_view subtext, std::string_view replacement,
                    int32_t start, int32_t count, bool caseSensitive);
std::vector<std::string> Split(std::string_view text, std::string_view separator);
std::string Trim(std::string_view text);
std::string RemoveSpaces(std::string_view text);
int32_t CharCode(std::string_view text, int32_t position);

}  // namespace quolvane::fuzz::model
