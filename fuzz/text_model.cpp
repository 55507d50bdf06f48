#include "fuzz/text_model.h"

namespace quolvane::fuzz::model {
namespace {

bool IsHigh(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

// Bytes of the character that starts at zero-based i: two for a high byte with a byte
// after it, else one (a high byte at the very end is half a character).
size_t CharSize(std::string_view text, size_t i) {
  return IsHigh(text[i]) && i + 1 < text.size() ? 2 : 1;
}

char Fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether subtext stands at zero-based i, stepping through subtext by characters: only
// single-byte characters fold, the second byte of a character is compared exactly.
bool MatchesAt(std::string_view text, size_t i, std::string_view subtext, bool ignoreCase) {
  if (i + subtext.size() > text.size()) return false;
  for (size_t j = 0; j < subtext.size();) {
    if (IsHigh(subtext[j])) {
      size_t size = j + 1 < subtext.size() ? 2 : 1;
      if (text.substr(i + j, size) != subtext.substr(j, size)) return false;
      j += size;
      continue;
    }
    char a = text[i + j], b = subtext[j];
    if (ignoreCase ? Fold(a) != Fold(b) : a != b) return false;
    ++j;
  }
  return true;
}

struct Piece {
  size_t offset, size;
};

// The characters of text from its start.
std::vector<Piece> Characters(std::string_view text) {
  std::vector<Piece> out;
  for (size_t i = 0; i < text.size(); i += out.back().size) out.push_back({i, CharSize(text, i)});
  return out;
}

bool IsSpace(std::string_view text, Piece c) {
  std::string_view bytes = text.substr(c.offset, c.size);
  return bytes == " " || bytes == "\xA1\xA1";
}

// The characters without a half character at the very end.
std::vector<Piece> WholeCharacters(std::string_view text) {
  std::vector<Piece> chars = Characters(text);
  if (!chars.empty() && chars.back().size == 1 && IsHigh(text[chars.back().offset])) {
    chars.pop_back();
  }
  return chars;
}

}  // namespace

std::string Left(std::string_view text, int32_t n) {
  if (n <= 0) return {};
  return std::string(text.substr(0, static_cast<size_t>(n)));
}

std::string Right(std::string_view text, int32_t n) {
  if (n <= 0) return {};
  size_t count = static_cast<size_t>(n) < text.size() ? static_cast<size_t>(n) : text.size();
  return std::string(text.substr(text.size() - count));
}

std::string Mid(std::string_view text, int32_t start, int32_t n) {
  const auto length = static_cast<int64_t>(text.size());
  if (start < 1 || start > length || n <= 0) return {};
  return std::string(text.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(n)));
}

int32_t Find(std::string_view text, std::string_view subtext, int32_t start, bool ignoreCase) {
  const auto length = static_cast<int64_t>(text.size());
  if (start < 1) start = 1;
  if (start > length) return -1;
  if (subtext.empty()) return 1;
  for (size_t i = static_cast<size_t>(start) - 1; i < text.size(); i += CharSize(text, i)) {
    if (MatchesAt(text, i, subtext, ignoreCase)) return static_cast<int32_t>(i + 1);
  }
  return -1;
}

std::string Replace(std::string_view text, std::string_view subtext, std::string_view replacement,
                    int32_t start, int32_t count, bool caseSensitive) {
  const auto length = static_cast<int64_t>(text.size());
  if (start < 1) start = 1;
  if (text.empty() || subtext.empty() || start > length || count == 0) return std::string(text);
  size_t i = static_cast<size_t>(start) - 1;
  std::string out(text.substr(0, i));
  int64_t replaced = 0;
  while (i < text.size()) {
    if ((count < 0 || replaced < count) && MatchesAt(text, i, subtext, !caseSensitive)) {
      out += replacement;
      i += subtext.size();
      ++replaced;
      continue;
    }
    size_t size = CharSize(text, i);
    out += text.substr(i, size);
    i += size;
  }
  return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  if (text.empty()) return {};
  if (separator.empty()) return {std::string(text)};
  std::vector<std::string> pieces;
  size_t pieceStart = 0;
  for (size_t i = 0; i < text.size();) {
    if (MatchesAt(text, i, separator, false)) {
      pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
      i += separator.size();
      pieceStart = i;
      continue;
    }
    i += CharSize(text, i);
  }
  if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

std::string Trim(std::string_view text) {
  std::vector<Piece> chars = WholeCharacters(text);
  size_t first = 0, last = chars.size();
  while (first < last && IsSpace(text, chars[first])) ++first;
  while (last > first && IsSpace(text, chars[last - 1])) --last;
  std::string out;
  for (size_t k = first; k < last; ++k) out += text.substr(chars[k].offset, chars[k].size);
  return out;
}

std::string RemoveSpaces(std::string_view text) {
  std::string out;
  for (Piece c : WholeCharacters(text)) {
    if (!IsSpace(text, c)) out += text.substr(c.offset, c.size);
  }
  return out;
}

int32_t CharCode(std::string_view text, int32_t position) {
  if (position < 1 || position > static_cast<int64_t>(text.size())) return 0;
  return static_cast<int8_t>(text[static_cast<size_t>(position) - 1]);
}

}  // namespace quolvane::fuzz::model
