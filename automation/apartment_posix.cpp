// Without COM there is no apartment to set up; the depth kept by the shared code is
// what the built-in components check.
#include "automation/platform.h"

namespace quolvane::platform {

void ApartmentEnter() {}
void ApartmentLeave() {}
void OleStartup() {}
void OleShutdown() {}

}  // namespace quolvane::platform
