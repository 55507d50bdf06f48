#include "components/register.h"

#include "components/regexp/regexp_component.h"

namespace quolvane {

// VBScript is an optional Windows feature, due to go, and VBScript.RegExp goes with
// it; creation asks the system first and takes this one only when that fails.
// WinHttp is part of Windows itself and has no stand-in here.
void RegisterBuiltinComponents() {
  RegisterRegExpComponent();
}

}  // namespace quolvane
