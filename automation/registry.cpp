#include "automation/registry.h"

#include <map>
#include <mutex>
#include <string>

namespace quolvane {
namespace {

std::string FoldCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, ComponentFactory> factories;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterComponent(std::string_view progId, ComponentFactory factory) {
  auto& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.factories[FoldCase(progId)] = std::move(factory);
}

void UnregisterComponent(std::string_view progId) {
  auto& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.factories.erase(FoldCase(progId));
}

std::shared_ptr<Dispatchable> CreateRegisteredComponent(std::string_view progId) {
  ComponentFactory factory;
  {
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.factories.find(FoldCase(progId));
    if (found == registry.factories.end()) return nullptr;
    factory = found->second;
  }
  return factory ? factory() : nullptr;
}

}  // namespace quolvane
