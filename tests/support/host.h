// What the test program runs on, for the few cases where Wine's components are known to
// differ from Windows' own: such a case is skipped there, with the reason, instead of
// being weakened for every platform.
#pragma once

namespace quolvane {

// True when this is a Windows program running under Wine (ntdll exports
// wine_get_version there, and nowhere on Windows).
bool RunningUnderWine();

}  // namespace quolvane
