// Build step: writes the code page 936 decoding table, one UTF-16 unit per double-byte
// cell in lead, trail order, as the body of a C++ array.
//   cp936_table_generator OUTPUT
#include <cstdio>
#include <string>
#include <vector>

#include "common/cp936_iconv.h"

using namespace quolvane::cp936;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cp936_table_generator OUTPUT\n");
    return 2;
  }
  Iconv decoder(kWide, "CP936");
  if (!decoder.Valid()) {
    std::fprintf(stderr, "cp936_table_generator: iconv has no CP936\n");
    return 1;
  }
  std::string pairs;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      pairs.push_back(static_cast<char>(lead));
      pairs.push_back(static_cast<char>(trail));
    }
  }
  std::vector<char16_t> cells(pairs.size() / 2, kReplacement);
  DecodeThroughIconv(decoder, pairs, cells.data());

  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "// Written by cp936_table_generator from glibc's CP936; do not edit.\n");
  for (size_t i = 0; i < cells.size(); ++i) {
    std::fprintf(out, "0x%04X,%c", static_cast<unsigned>(cells[i]), i % 12 == 11 ? '\n' : ' ');
  }
  std::fprintf(out, "\n");
  return std::fclose(out) == 0 ? 0 : 1;
}
