#include "components/regexp/arguments.h"

#include <cmath>
#include <limits>

namespace quolvane::regexp {
namespace {

bool EqualsWord(const std::u16string& text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<char16_t>(word[i])) return false;
  }
  return true;
}

}  // namespace

TextArgument::TextArgument(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::String:
      view_ = *value.AsWide();
      valid_ = true;
      break;
    case Variant::Kind::Empty:
    case Variant::Kind::Integer:
    case Variant::Kind::Real:
    case Variant::Kind::Boolean:
      converted_ = value.ToWide();
      view_ = converted_;
      valid_ = true;
      break;
    default:
      break;
  }
}

std::optional<bool> BoolArgument(const Variant& value) {
  if (const std::u16string* text = value.AsWide()) {
    if (EqualsWord(*text, "true")) return true;
    if (EqualsWord(*text, "false")) return false;
  }
  return value.ToBool();
}

std::optional<int32_t> IndexArgument(const Variant& value) {
  if (const int32_t* whole = value.AsInt()) return *whole;
  std::optional<double> number = value.ToNumber();
  if (!number || !std::isfinite(*number)) return std::nullopt;
  double rounded = std::nearbyint(*number);  // the default rounding mode: half to even
  if (rounded < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int32_t>(rounded);
}

}  // namespace quolvane::regexp
