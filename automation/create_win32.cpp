// Creation by ProgID: the system's component through COM when Windows has it, else
// the built-in one registered under the same ProgID.
#include "automation/apartment.h"
#include "automation/calls.h"
#include "automation/registry.h"
#include "automation/win32/dispatch_object.h"
#include "common/codepage.h"

namespace quolvane {
namespace {

ComObject CreateSystemComponent(const Text& progId) {
  std::u16string wide = AnsiToWide(progId.View());
  CLSID classId{};
  if (FAILED(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(wide.c_str()), &classId))) return {};
  win32::ComPtr<IDispatch> dispatch;
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(dispatch.Put())))) {
    return {};
  }
  return win32::WrapDispatch(std::move(dispatch));
}

}  // namespace

bool CreateObject(ComObject& object, const Text& progId) {
  // Outside an apartment nothing is created, the built-in components included, so
  // both kinds fail alike.
  if (ApartmentDepth() <= 0 || progId.IsEmpty()) return false;
  try {
    ComObject created = CreateSystemComponent(progId);
    if (created.IsEmpty()) {
      if (auto builtin = CreateRegisteredComponent(progId.View())) {
        created = ComObject(std::move(builtin));
      }
    }
    if (created.IsEmpty()) return false;
    object = std::move(created);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace quolvane
