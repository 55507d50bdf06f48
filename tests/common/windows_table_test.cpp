// Compares the conversions with Windows' own code page 936 table, as Wine ships it in the
// Windows NLS format. Skipped where Wine's data is not installed.
#include <gtest/gtest.h>

#include "tests/common/hex_dump.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/codepage.h"

namespace quolvane {
namespace {

constexpr const char* kTablePath = "/usr/share/wine/nls/c_936.nls";

// A code page file: a header, the multi-byte to Unicode tables (256 single bytes, then
// 256 entries per lead byte), then 65536 Unicode to multi-byte entries.
struct CodePageTable {
  std::vector<uint16_t> single;                // byte -> UTF-16
  std::vector<std::vector<uint16_t>> doubles;  // lead -> trail -> UTF-16, empty if no lead
  std::vector<uint16_t> fromWide;              // UTF-16 -> byte or lead << 8 | trail
};

std::optional<CodePageTable> ReadTable(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return std::nullopt;
  std::vector<uint16_t> words;
  uint8_t pair[2];
  while (std::fread(pair, 1, 2, file) == 2) words.push_back(uint16_t(pair[0] | pair[1] << 8));
  std::fclose(file);
  auto at = [&](size_t i) -> std::optional<uint16_t> {
    if (i >= words.size()) return std::nullopt;
    return words[i];
  };
  const size_t header = 13;
  if (words.size() < header + 1 || words[0] != header || words[1] != 936) return std::nullopt;
  CodePageTable table;
  const size_t wideStart = header + words[header] + 1;
  size_t p = header + 1;
  if (!at(p + 256) || !at(wideStart + 65535)) return std::nullopt;
  table.single.assign(words.begin() + long(p), words.begin() + long(p + 256));
  p += 256;
  if (words[p++] != 0) p += 256;  // glyph table
  p += 1;                         // number of lead bytes
  const size_t offsets = p;
  table.doubles.resize(256);
  for (size_t lead = 0; lead < 256; ++lead) {
    size_t offset = words[offsets + lead];
    if (offset == 0) continue;
    if (!at(offsets + offset + 255)) return std::nullopt;
    auto begin = words.begin() + long(offsets + offset);
    table.doubles[lead].assign(begin, begin + 256);
  }
  table.fromWide.assign(words.begin() + long(wideStart), words.begin() + long(wideStart + 65536));
  return table;
}

bool IsTrail(int b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

TEST(WindowsTableTest, DecodingMatchesWindows) {
  std::optional<CodePageTable> table = ReadTable(kTablePath);
  if (!table) GTEST_SKIP() << kTablePath << " is not there (Wine's data)";
  int failures = 0;
  int checked = 0;
  auto check = [&](const std::string& bytes, uint16_t expected) {
    ++checked;
    std::u16string wide = AnsiToWide(bytes);
    if (wide.size() == 1 && wide[0] == expected) return;
    if (++failures <= 10) ADD_FAILURE() << Hex(bytes) << "-> " << wide.size() << " units";
  };
  for (int byte = 1; byte < 256; ++byte) {
    if (table->doubles[size_t(byte)].empty()) {
      check(std::string(1, char(byte)), table->single[size_t(byte)]);
      continue;
    }
    for (int trail = 0; trail < 256; ++trail) {
      if (!IsTrail(trail)) continue;
      check({char(byte), char(trail)}, table->doubles[size_t(byte)][size_t(trail)]);
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(checked, 0x80 + 1 + 126 * 190);  // ASCII and 0x80, 0xFF, every pair
}

// Every character with a mapping that decodes back to it takes that mapping; every other
// character, Windows' look-alike ("best fit") choices included, becomes "?".
TEST(WindowsTableTest, EncodingMatchesWindowsWithoutBestFit) {
  std::optional<CodePageTable> table = ReadTable(kTablePath);
  if (!table) GTEST_SKIP() << kTablePath << " is not there (Wine's data)";
  int failures = 0;
  int mapped = 0;
  for (uint32_t code = 1; code < 0x10000; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    uint16_t bytes = table->fromWide[code];
    std::string expected;
    uint16_t back;
    if (bytes > 0xFF) {
      expected = {char(bytes >> 8), char(bytes & 0xFF)};
      const auto& trails = table->doubles[bytes >> 8];
      back = trails.empty() ? 0 : trails[bytes & 0xFF];
    } else {
      expected = std::string(1, char(bytes));
      back = table->single[bytes];
    }
    if (back != code) {
      expected = "?";
    } else {
      ++mapped;
    }
    std::string actual(WideToAnsi(std::u16string(1, char16_t(code))).View());
    if (actual != expected && ++failures <= 10) {
      ADD_FAILURE() << "U+" << std::hex << code << " -> " << Hex(actual) << "not " << Hex(expected);
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(mapped, 0x7F + 2 + 126 * 190);
}

}  // namespace
}  // namespace quolvane
