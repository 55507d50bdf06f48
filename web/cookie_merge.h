// CookieMerge: folds the cookies a response set into the cookie text that was sent.
#pragma once

#include <cstdint>

#include "common/text.h"

namespace quolvane {

// On return cookies holds the merged text, received its entry value without spaces,
// and the result is a copy of the merged text.
Text CookieMerge(Text& cookies, Text& received);
Text CookieName(const Text& item);
bool CookieNameExists(const TextArray& items, const Text& name);
Text JoinUnique(const Text& text, const Text& separator);
int32_t FindMember(const TextArray& members, const Text& text);

}  // namespace quolvane
