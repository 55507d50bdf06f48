// The platform half of the automation layer: each backend file implements these.
#pragma once

namespace quolvane::platform {

void ApartmentEnter();
void ApartmentLeave();
void OleStartup();
void OleShutdown();

}  // namespace quolvane::platform
