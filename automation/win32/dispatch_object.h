// A COM object reached through IDispatch, as a Dispatchable: member names resolved
// with GetIDsOfNames, calls made with Invoke the way Visual Basic makes them.
#pragma once

#include "automation/com_object.h"
#include "automation/dispatch.h"
#include "automation/win32/unique.h"

namespace quolvane::win32 {

class DispatchObject final : public Dispatchable {
 public:
  explicit DispatchObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override;

  [[nodiscard]] IDispatch* Interface() const { return dispatch_.Get(); }

 private:
  ComPtr<IDispatch> dispatch_;
};

// Empty for a null reference or when there is no memory for the wrapper.
ComObject WrapDispatch(ComPtr<IDispatch> dispatch);

}  // namespace quolvane::win32
