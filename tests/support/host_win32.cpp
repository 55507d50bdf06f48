#include "tests/support/host.h"

#include <windows.h>

namespace quolvane {

bool RunningUnderWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
}

}  // namespace quolvane
