#include "components/register.h"

#include "components/regexp/regexp_component.h"
#include "components/winhttp/winhttp_component.h"

namespace quolvane {

void RegisterBuiltinComponents() {
  RegisterRegExpComponent();
  RegisterWinHttpComponent();
}

}  // namespace quolvane
