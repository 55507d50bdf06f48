// The component's arguments as the automation layer coerces them: a missing argument
// or one that does not convert gives nullopt, and the call fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "automation/variant.h"

namespace quolvane::winhttp {

inline std::optional<std::u16string> WideArgument(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Empty:
      return std::u16string();
    case Variant::Kind::String:
    case Variant::Kind::Integer:
    case Variant::Kind::Real:
    case Variant::Kind::Boolean:
      return value.ToWide();
    default:
      return std::nullopt;
  }
}

inline std::optional<int64_t> IntegerArgument(const Variant& value) {
  if (value.IsMissing()) return std::nullopt;
  std::optional<double> number = value.ToNumber();
  if (!number || !(*number > -9.0e15 && *number < 9.0e15)) return std::nullopt;
  return static_cast<int64_t>(*number);
}

inline std::optional<bool> BoolArgument(const Variant& value) {
  if (value.IsMissing()) return std::nullopt;
  return value.ToBool();
}

}  // namespace quolvane::winhttp
