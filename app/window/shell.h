// Hands an address to the system, which opens it with the user's default handler
// (normally the web browser). The result is not examined and nothing is shown.
#pragma once

#include "common/text.h"

namespace quolvane {

void OpenInShell(const Text& address);

}  // namespace quolvane
