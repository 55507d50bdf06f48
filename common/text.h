// Text, Bytes and TextArray: the value types every layer passes around.
//
// Text holds bytes in code page 936 (GBK) and never a zero byte; lengths and
// positions count bytes and positions start at 1. Absent and empty are one value.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quolvane {

class Text {
 public:
  Text() = default;
  // Takes the bytes up to the first zero byte, so the invariant holds whatever the source.
  Text(const char* bytes);  // NOLINT(google-explicit-constructor): literals read naturally
  explicit Text(std::string_view bytes);
  // Takes the buffer over, cut at its first zero byte, instead of copying it.
  static Text Adopt(std::string bytes);

  [[nodiscard]] std::string_view View() const { return bytes_; }
  [[nodiscard]] const char* CStr() const { return bytes_.c_str(); }
  [[nodiscard]] bool IsEmpty() const { return bytes_.empty(); }
  [[nodiscard]] int32_t Length() const { return static_cast<int32_t>(bytes_.size()); }

  friend bool operator==(const Text&, const Text&) = default;

 private:
  std::string bytes_;
};

// Immutable once made, so copies share one buffer: a response body passes from the
// component through a Variant to its reader without being copied on the way.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(std::string_view bytes);
  explicit Bytes(std::vector<uint8_t> bytes);
  // Takes the buffer over instead of copying it.
  static Bytes Adopt(std::string bytes);

  [[nodiscard]] std::span<const uint8_t> View() const {
    std::string_view chars = AsChars();
    return {reinterpret_cast<const uint8_t*>(chars.data()), chars.size()};
  }
  [[nodiscard]] std::string_view AsChars() const {
    if (!bytes_) return {};
    return *bytes_;
  }
  [[nodiscard]] bool IsEmpty() const { return AsChars().empty(); }
  [[nodiscard]] int32_t Count() const { return static_cast<int32_t>(AsChars().size()); }

  friend bool operator==(const Bytes& a, const Bytes& b) { return a.AsChars() == b.AsChars(); }

 private:
  friend Text BytesToText(Bytes&& bytes);
  std::shared_ptr<std::string> bytes_;  // null for the empty value; never written once made
};

// Members are numbered from 1; appending stores a copy.
class TextArray {
 public:
  [[nodiscard]] int32_t Count() const { return static_cast<int32_t>(members_.size()); }
  [[nodiscard]] const Text& Member(int32_t number) const {
    return members_.at(static_cast<size_t>(number) - 1);
  }
  void Append(const Text& member) { members_.push_back(member); }

  friend bool operator==(const TextArray&, const TextArray&) = default;

 private:
  std::vector<Text> members_;
};

// Writes the bytes as they are (test failures and diagnostics).
std::ostream& operator<<(std::ostream& out, const Text& text);
std::ostream& operator<<(std::ostream& out, const Bytes& bytes);

// ReplaceText's count for "every occurrence"; any negative count means the same.
inline constexpr int32_t kAllOccurrences = -1;

int32_t TextLength(const Text& text);
Text TextLeft(const Text& text, int32_t n);
Text TextRight(const Text& text, int32_t n);
Text TextMid(const Text& text, int32_t start, int32_t n);
int32_t FindText(const Text& text, const Text& subtext, int32_t start = 1, bool ignoreCase = false);
Text ReplaceText(const Text& text, const Text& subtext, const Text& replacement, int32_t start,
                 int32_t count, bool caseSensitive);
TextArray SplitText(const Text& text, const Text& separator);
Text TrimSpaces(const Text& text);
Text RemoveSpaces(const Text& text);
bool TextEqual(const Text& a, const Text& b);
Text ConcatTextList(std::initializer_list<std::string_view> parts);
namespace detail {
inline std::string_view TextView(const Text& text) {
  return text.View();
}
}  // namespace detail
// A literal argument becomes a temporary Text that lives until the call returns.
template <typename... T>
Text ConcatText(const T&... parts) {
  return ConcatTextList({detail::TextView(parts)...});
}
int32_t CharCode(const Text& text, int32_t position = 1);

Bytes TextToBytes(const Text& text);
Text BytesToText(const Bytes& bytes);
// The same; takes the buffer over when no other value shares it.
Text BytesToText(Bytes&& bytes);
int32_t BytesLength(const Bytes& bytes);
Bytes ZeroBytes(int32_t n);
bool BytesEqual(const Bytes& a, const Bytes& b);
Bytes ConcatBytesList(std::initializer_list<std::span<const uint8_t>> parts);
template <typename... B>
Bytes ConcatBytes(const B&... parts) {
  return ConcatBytesList({std::span<const uint8_t>(parts.View())...});
}

}  // namespace quolvane
