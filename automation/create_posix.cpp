#include "automation/apartment.h"
#include "automation/calls.h"
#include "automation/registry.h"

namespace quolvane {

bool CreateObject(ComObject& object, const Text& progId) {
  // As with CoCreateInstance, creation outside an apartment fails, so a caller that
  // forgets to enter one is caught here and not only on Windows.
  if (ApartmentDepth() <= 0) return false;
  auto created = CreateRegisteredComponent(progId.View());
  if (!created) return false;
  object = ComObject(std::move(created));
  return true;
}

}  // namespace quolvane
