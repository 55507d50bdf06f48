// The built-in WinHttp.WinHttpRequest.5.1: the same members and behaviour, on libcurl.
#pragma once

#include <memory>

#include "automation/dispatch.h"

namespace quolvane {

inline constexpr const char* kWinHttpProgId = "WinHttp.WinHttpRequest.5.1";

std::shared_ptr<Dispatchable> MakeWinHttpComponent();
void RegisterWinHttpComponent();

}  // namespace quolvane
