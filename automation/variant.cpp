#include "automation/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/codepage.h"

namespace quolvane {
namespace {

// As VariantChangeType writes a double: whole numbers below 1e15 in full, others with
// up to 15 significant digits.
std::string NumberText(double value) {
  // printf rather than to_chars: the shortest-form tables of to_chars weigh 100 KB in
  // a static Windows program, and neither form needs them.
  char buffer[64];
  bool whole = std::trunc(value) == value && std::fabs(value) < 1e15;
  int length = std::snprintf(buffer, sizeof buffer, whole ? "%.0f" : "%.15g", value);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

std::optional<double> ParseNumber(const std::u16string& wide) {
  std::string ascii;
  for (char16_t c : wide) {
    if (c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  size_t first = ascii.find_first_not_of(' ');
  size_t last = ascii.find_last_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const char* begin = ascii.data() + first;
  const char* end = ascii.data() + last + 1;
  if (*begin == '+') ++begin;
  double value = 0;
  auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

}  // namespace

Variant Variant::FromText(const Text& text) {
  return Variant(AnsiToWide(text.View()));
}

const bool* Variant::AsBool() const {
  const auto* held = std::get_if<BoolValue>(&value_);
  return held != nullptr ? &held->value : nullptr;
}

std::u16string Variant::ToWide() const {
  switch (GetKind()) {
    case Kind::String:
      return *AsWide();
    case Kind::Integer:
      return AnsiToWide(std::to_string(*AsInt()));
    case Kind::Real:
      return AnsiToWide(NumberText(*AsReal()));
    case Kind::Boolean:
      return *AsBool() ? u"-1" : u"0";
    default:
      return {};
  }
}

Text Variant::ToText() const {
  if (const auto* wide = AsWide()) return WideToAnsi(*wide);
  return WideToAnsi(ToWide());
}

std::optional<double> Variant::ToNumber() const {
  switch (GetKind()) {
    case Kind::Empty:
      return 0.0;
    case Kind::Integer:
      return static_cast<double>(*AsInt());
    case Kind::Real:
      return *AsReal();
    case Kind::Boolean:
      return *AsBool() ? -1.0 : 0.0;
    case Kind::String:
      return ParseNumber(*AsWide());
    default:
      return std::nullopt;
  }
}

int32_t Variant::ToInt() const {
  std::optional<double> number = ToNumber();
  if (!number || std::isnan(*number)) return 0;
  double truncated = std::trunc(*number);
  if (truncated >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  if (truncated <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(truncated);
}

std::optional<bool> Variant::ToBool() const {
  if (const bool* flag = AsBool()) return *flag;
  std::optional<double> number = ToNumber();
  if (!number) return std::nullopt;
  return *number != 0.0;
}

Bytes Variant::ToBytes() const {
  if (const Bytes* bytes = AsBytes()) return *bytes;
  return {};
}

ComObject Variant::ToObject() const {
  if (const ComObject* object = AsObject()) return *object;
  return {};
}

}  // namespace quolvane
