#include "tests/regex/serving_regexp.h"

#include "automation/win32/unique.h"
#include "automation/win32/windows_api.h"

namespace quolvane {

bool SystemRegExpServes() {
  static const bool system = [] {
    const win32::UniqueCoUninitializeCall apartment(SUCCEEDED(CoInitialize(nullptr)));
    bool made = false;
    CLSID classId{};
    if (SUCCEEDED(CLSIDFromProgID(L"VBScript.RegExp", &classId))) {
      win32::ComPtr<IDispatch> dispatch;
      made =
          SUCCEEDED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                     IID_IDispatch, reinterpret_cast<void**>(dispatch.Put())));
    }
    return made;
  }();
  return system;
}

}  // namespace quolvane
