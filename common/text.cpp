#include "common/text.h"

#include <algorithm>
#include <cstring>

namespace quolvane {
namespace {

using std::string_view;

bool IsHighByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

// The width of the character at byte i: a high byte takes the next byte with it, except as
// the very last byte, where it stands alone as half a character.
size_t CharWidth(string_view text, size_t i) {
  return IsHighByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

bool IsLonelyHalf(string_view text, size_t i) {
  return IsHighByte(text[i]) && i + 1 == text.size();
}

// The width of the space (ASCII or full-width A1 A1) at byte i, or 0 when none starts there.
size_t SpaceWidth(string_view text, size_t i) {
  if (text[i] == ' ') return 1;
  if (text[i] == '\xA1' && i + 1 < text.size() && text[i + 1] == '\xA1') return 2;
  return 0;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether sub occurs at byte i of text. Ignoring case folds only ASCII letters that stand
// as characters of their own in sub: the trail byte of a double-byte character is no letter.
// Where sub has a high byte the text must have the same byte, so both walk the same
// character boundaries.
bool MatchesAt(string_view text, size_t i, string_view sub, bool ignoreCase) {
  if (sub.size() > text.size() - i) return false;
  if (!ignoreCase) return std::memcmp(text.data() + i, sub.data(), sub.size()) == 0;
  for (size_t j = 0; j < sub.size();) {
    if (IsHighByte(sub[j])) {
      size_t width = CharWidth(sub, j);
      if (std::memcmp(text.data() + i + j, sub.data() + j, width) != 0) return false;
      j += width;
    } else {
      if (AsciiLower(text[i + j]) != AsciiLower(sub[j])) return false;
      ++j;
    }
  }
  return true;
}

// The 0-based byte of the first match at or after from, stepping by characters from from.
size_t FindFrom(string_view text, string_view sub, size_t from, bool ignoreCase) {
  if (sub.size() > text.size()) return string_view::npos;
  const size_t lastStart = text.size() - sub.size();
  // A cheap test of the first byte before the full comparison.
  const bool foldFirst = ignoreCase && !IsHighByte(sub[0]);
  const char first = foldFirst ? AsciiLower(sub[0]) : sub[0];
  for (size_t i = from; i <= lastStart; i += CharWidth(text, i)) {
    char c = foldFirst ? AsciiLower(text[i]) : text[i];
    if (c == first && MatchesAt(text, i, sub, ignoreCase)) return i;
  }
  return string_view::npos;
}

Text Slice(string_view text, size_t begin, size_t count) {
  return Text(text.substr(begin, count));
}

}  // namespace

Text::Text(const char* bytes) : bytes_(bytes != nullptr ? bytes : "") {}

Text::Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}

Text Text::Adopt(std::string bytes) {
  size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  Text text;
  text.bytes_ = std::move(bytes);
  return text;
}

Bytes::Bytes(std::string_view bytes) : Bytes(Adopt(std::string(bytes))) {}

Bytes::Bytes(std::vector<uint8_t> bytes) : Bytes(Adopt(std::string(bytes.begin(), bytes.end()))) {}

Bytes Bytes::Adopt(std::string bytes) {
  Bytes adopted;
  if (!bytes.empty()) adopted.bytes_ = std::make_shared<std::string>(std::move(bytes));
  return adopted;
}

int32_t TextLength(const Text& text) {
  return text.Length();
}

Text TextLeft(const Text& text, int32_t n) {
  if (n <= 0) return Text();
  return Slice(text.View(), 0, static_cast<size_t>(n));
}

Text TextRight(const Text& text, int32_t n) {
  if (n <= 0) return Text();
  if (n >= text.Length()) return text;
  return Slice(text.View(), static_cast<size_t>(text.Length() - n), static_cast<size_t>(n));
}

Text TextMid(const Text& text, int32_t start, int32_t n) {
  if (start < 1 || start > text.Length() || n <= 0) return Text();
  return Slice(text.View(), static_cast<size_t>(start - 1), static_cast<size_t>(n));
}

int32_t FindText(const Text& text, const Text& subtext, int32_t start, bool ignoreCase) {
  start = std::max(start, 1);
  if (start > text.Length()) return -1;
  if (subtext.IsEmpty()) return 1;
  size_t at = FindFrom(text.View(), subtext.View(), static_cast<size_t>(start - 1), ignoreCase);
  return at == string_view::npos ? -1 : static_cast<int32_t>(at) + 1;
}

Text ReplaceText(const Text& text, const Text& subtext, const Text& replacement, int32_t start,
                 int32_t count, bool caseSensitive) {
  start = std::max(start, 1);
  if (text.IsEmpty() || subtext.IsEmpty() || start > text.Length() || count == 0) return text;
  const string_view source = text.View();
  const string_view sub = subtext.View();
  std::string result(source.substr(0, static_cast<size_t>(start - 1)));
  size_t done = static_cast<size_t>(start - 1);  // bytes of source already accounted for
  int32_t left = count;                          // negative: no limit
  while (left != 0) {
    size_t at = FindFrom(source, sub, done, !caseSensitive);
    if (at == string_view::npos) break;
    result.append(source.substr(done, at - done)).append(replacement.View());
    done = at + sub.size();
    if (left > 0) --left;
  }
  result.append(source.substr(done));
  return Text(result);
}

TextArray SplitText(const Text& text, const Text& separator) {
  TextArray pieces;
  if (text.IsEmpty()) return pieces;
  if (separator.IsEmpty()) {
    pieces.Append(text);
    return pieces;
  }
  const string_view source = text.View();
  size_t pieceStart = 0;
  while (true) {
    size_t at = FindFrom(source, separator.View(), pieceStart, false);
    if (at == string_view::npos) break;
    pieces.Append(Slice(source, pieceStart, at - pieceStart));
    pieceStart = at + separator.View().size();
  }
  if (pieceStart < source.size()) pieces.Append(Slice(source, pieceStart, string_view::npos));
  return pieces;
}

Text TrimSpaces(const Text& text) {
  const string_view source = text.View();
  size_t i = 0;
  for (size_t width; i < source.size() && (width = SpaceWidth(source, i)) != 0;) i += width;
  const size_t begin = i;
  size_t end = i;  // just after the last character that is no space
  while (i < source.size() && !IsLonelyHalf(source, i)) {
    size_t width = SpaceWidth(source, i);
    if (width == 0) {
      width = CharWidth(source, i);
      end = i + width;
    }
    i += width;
  }
  return Slice(source, begin, end - begin);
}

Text RemoveSpaces(const Text& text) {
  const string_view source = text.View();
  std::string result;
  result.reserve(source.size());
  for (size_t i = 0; i < source.size() && !IsLonelyHalf(source, i);) {
    size_t width = SpaceWidth(source, i);
    if (width == 0) {
      width = CharWidth(source, i);
      result.append(source.substr(i, width));
    }
    i += width;
  }
  return Text(result);
}

bool TextEqual(const Text& a, const Text& b) {
  return a.View() == b.View();
}

Text ConcatTextList(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (string_view part : parts) total += part.size();
  std::string result;
  result.reserve(total);
  for (string_view part : parts) result.append(part);
  return Text(result);
}

int32_t CharCode(const Text& text, int32_t position) {
  if (position < 1 || position > text.Length()) return 0;
  return static_cast<int8_t>(text.View()[static_cast<size_t>(position - 1)]);
}

Bytes TextToBytes(const Text& text) {
  return Bytes(text.View());
}

Text BytesToText(const Bytes& bytes) {
  return Text(bytes.AsChars());
}

Text BytesToText(Bytes&& bytes) {
  // A value no other one shares may give its buffer away: a whole page is not copied.
  if (bytes.bytes_ && bytes.bytes_.use_count() == 1) {
    std::string taken = std::move(*bytes.bytes_);
    bytes.bytes_.reset();
    return Text::Adopt(std::move(taken));
  }
  return BytesToText(static_cast<const Bytes&>(bytes));
}

int32_t BytesLength(const Bytes& bytes) {
  return bytes.Count();
}

Bytes ZeroBytes(int32_t n) {
  if (n <= 0) return Bytes();
  return Bytes::Adopt(std::string(static_cast<size_t>(n), '\0'));
}

bool BytesEqual(const Bytes& a, const Bytes& b) {
  return a == b;
}

Bytes ConcatBytesList(std::initializer_list<std::span<const uint8_t>> parts) {
  std::string result;
  size_t total = 0;
  for (auto part : parts) total += part.size();
  result.reserve(total);
  for (auto part : parts) result.append(reinterpret_cast<const char*>(part.data()), part.size());
  return Bytes::Adopt(std::move(result));
}

}  // namespace quolvane
