// Variant <-> VARIANT, as the automation rules convert arguments and results.
#pragma once

#include "automation/variant.h"
#include "automation/win32/unique.h"

namespace quolvane::win32 {

// False when the value cannot be passed (an object that is not a COM object, say, or
// no memory); out is then left empty.
bool ToNative(const Variant& value, VARIANT& out);

// False when the result has no form a Variant can take; out is then untouched.
bool FromNative(const VARIANT& value, Variant& out);

}  // namespace quolvane::win32
