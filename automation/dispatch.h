// Dispatchable: the one small interface every automation object answers, whether it is
// a Windows IDispatch behind COM or a built-in component.
#pragma once

#include <span>
#include <string_view>

#include "automation/variant.h"

namespace quolvane {

enum class CallKind { Method, PropertyGet, PropertyPut };

class Dispatchable {
 public:
  Dispatchable() = default;
  Dispatchable(const Dispatchable&) = delete;
  Dispatchable& operator=(const Dispatchable&) = delete;
  virtual ~Dispatchable() = default;

  // args are in call order: property indexes first, a written value last. Inner
  // left-out arguments arrive as Missing. Returns false on any failure, and then
  // result is left untouched.
  virtual bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
                      Variant& result) = 0;
};

// Member names match without regard to ASCII letter case.
bool MemberNameEquals(std::string_view a, std::string_view b);

}  // namespace quolvane

namespace quolvane {

// Why a call on this thread failed, where the component said (a network error, say),
// for diagnostics only: callers still get the empty value. A component sets it before
// it returns false. The first reason since the last Clear is kept, so the failure
// that started a chain is not hidden by the empty reads that follow it.
void SetCallFailureReason(std::string_view reason);
[[nodiscard]] std::string LastCallFailureReason();
void ClearCallFailureReason();

}  // namespace quolvane
