// Small text routines of the request: one header line split at its first colon, and a
// text cut out between two markers.
#pragma once

#include <cstdint>

#include "common/text.h"

namespace quolvane {

Text HeaderName(const Text& line);
Text HeaderValue(const Text& line);
// "#引号" in either marker stands for a double quote. startPosition 0 and 1 both mean
// the first byte.
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 int32_t startPosition = 0, bool caseInsensitive = false);
// The items of every Set-Cookie line of a response header block, joined with "; ".
Text CollectResponseCookies(const Text& responseHeaders);

}  // namespace quolvane
