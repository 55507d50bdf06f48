// Makes the built-in components known by their ProgIDs. Programs and test mains call
// this once at start; on Windows it registers only what the system may lack.
#pragma once

namespace quolvane {

void RegisterBuiltinComponents();

}  // namespace quolvane
