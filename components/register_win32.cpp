#include "components/register.h"

namespace quolvane {

// Windows supplies both components itself.
void RegisterBuiltinComponents() {}

}  // namespace quolvane
