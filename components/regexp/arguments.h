// How the built-in RegExp objects read their arguments: the conversions a typed
// automation member applies to the Variant it is given (text, boolean, index).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace quolvane::regexp {

// Text held by the argument itself is viewed in place, so a multi-megabyte subject is
// not copied just to be searched; numbers and booleans are converted as text.
class TextArgument {
 public:
  explicit TextArgument(const Variant& value);
  [[nodiscard]] bool IsValid() const { return valid_; }
  [[nodiscard]] std::u16string_view View() const { return view_; }

 private:
  bool valid_ = false;
  std::u16string converted_;
  std::u16string_view view_;
};

// Booleans, numbers (non-zero is true) and the words "True" and "False".
std::optional<bool> BoolArgument(const Variant& value);

// A collection index: whole numbers as they are, others rounded half to even as a
// conversion to a 32-bit integer does; nothing for what is not a number.
std::optional<int32_t> IndexArgument(const Variant& value);

}  // namespace quolvane::regexp
