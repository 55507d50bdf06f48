// The built-in VBScript.RegExp: the same members and dialect, on PCRE2.
#pragma once

#include <memory>

#include "automation/dispatch.h"

namespace quolvane {

inline constexpr const char* kRegExpProgId = "VBScript.RegExp";

std::shared_ptr<Dispatchable> MakeRegExpComponent();
void RegisterRegExpComponent();

}  // namespace quolvane
