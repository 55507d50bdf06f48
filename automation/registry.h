// The built-in components, by ProgID. On Linux every component comes from here; on
// Windows it serves only where the system's component cannot be created.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "automation/dispatch.h"

namespace quolvane {

using ComponentFactory = std::function<std::shared_ptr<Dispatchable>()>;

// ProgIDs compare without regard to ASCII case. Registering a ProgID again replaces it.
void RegisterComponent(std::string_view progId, ComponentFactory factory);
void UnregisterComponent(std::string_view progId);
// Empty when nothing is registered under progId or the factory gave nothing.
std::shared_ptr<Dispatchable> CreateRegisteredComponent(std::string_view progId);

}  // namespace quolvane
