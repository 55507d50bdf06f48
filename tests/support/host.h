// What the test program runs on, for the few cases where Wine's components are known to
// differ from Windows' own: such a case is skipped there, with the reason, instead of
// being weakened for every platform.
#pragma once

#include <string>

namespace quolvane {

// True when this is a Windows program running under Wine (ntdll exports
// wine_get_version there, and nowhere on Windows).
bool RunningUnderWine();

// A file path written into the program when it was built, as this system's file functions
// take it: under Wine a cross build's Unix path becomes a drive path; elsewhere unchanged.
std::string HostPath(const std::string& buildPath);

}  // namespace quolvane
