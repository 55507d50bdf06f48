// The resolution behind the Parse button: share text -> link -> page -> identifier ->
// play address. The window and the command-line resolver call the same code.
#pragma once

#include <cstdint>

#include "common/text.h"

namespace quolvane {

// From the first "http" (any letter case) up to, not including, the first character
// that cannot stand in a URL: a space, a control character or a non-ASCII byte.
inline constexpr const char* kLinkPattern = "http[!-~]*";
inline constexpr const char* kIdentifierPattern = R"(uri":"(\w{32}))";
inline constexpr const char* kPlayAddressPrefix =
    "https://aweme.snssdk.com/aweme/v1/play/?video_id=";

struct ShareResolution {
  Text link;           // empty: no link in the share text
  int32_t status = 0;  // the page's HTTP status; 0: no answer
  Text failureReason;  // why there was no answer, where the HTTP component said
  Text identifier;     // empty: no identifier in the page
  Text playAddress;    // the prefix and the identifier; the bare prefix on failure
};

// timeoutSeconds 0 leaves the request's timeout out (15 s for each phase).
ShareResolution ResolveShareLink(const Text& shareText, int32_t timeoutSeconds = 0);
// The play address alone, as the window shows it.
Text ResolveShareText(const Text& shareText);

}  // namespace quolvane
