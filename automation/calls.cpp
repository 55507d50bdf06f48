#include "automation/calls.h"

#include <algorithm>
#include <string>
#include <vector>

#include "automation/dispatch.h"

namespace quolvane {
namespace {

// Trailing left-out arguments are dropped; inner ones stay as Missing.
std::vector<Variant> Marshal(std::initializer_list<Arg> args) {
  std::vector<Variant> values;
  values.reserve(args.size());
  for (const Arg& arg : args) values.push_back(arg.value);
  while (!values.empty() && values.back().IsMissing()) values.pop_back();
  return values;
}

bool Dispatch(const ComObject& object, std::string_view member, CallKind kind,
              std::initializer_list<Arg> args, Variant& result) {
  if (object.IsEmpty()) return false;
  try {
    std::vector<Variant> values = Marshal(args);
    if (kind == CallKind::PropertyPut && values.empty()) return false;
    Variant out = Variant::MakeEmpty();
    if (!object.Get()->Invoke(member, kind, values, out)) return false;
    result = std::move(out);
    return true;
  } catch (...) {
    // A component that throws (out of memory, say) fails like any other call.
    return false;
  }
}

// Plain storage: a thread_local with a destructor is unsafe at thread exit with the
// mingw-w64 toolchain, and worker threads end while the program runs.
constexpr size_t kReasonCapacity = 512;
thread_local char tFailureReason[kReasonCapacity];
thread_local size_t tFailureReasonLength = 0;

}  // namespace

void SetCallFailureReason(std::string_view reason) {
  if (tFailureReasonLength != 0) return;
  tFailureReasonLength = std::min(reason.size(), kReasonCapacity);
  std::copy_n(reason.data(), tFailureReasonLength, tFailureReason);
}
std::string LastCallFailureReason() {
  return std::string(tFailureReason, tFailureReasonLength);
}
void ClearCallFailureReason() {
  tFailureReasonLength = 0;
}

bool MemberNameEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

Variant CallMethod(const ComObject& object, std::string_view member,
                   std::initializer_list<Arg> args) {
  Variant result = Variant::MakeEmpty();
  if (!Dispatch(object, member, CallKind::Method, args, result)) return Variant::MakeEmpty();
  return result;
}

Variant CallMethod(const ComObject& object, std::string_view member,
                   std::span<const Variant> args) {
  if (object.IsEmpty()) return Variant::MakeEmpty();
  while (!args.empty() && args.back().IsMissing()) args = args.first(args.size() - 1);
  try {
    Variant out = Variant::MakeEmpty();
    if (!object.Get()->Invoke(member, CallKind::Method, args, out)) return Variant::MakeEmpty();
    return out;
  } catch (...) {
    return Variant::MakeEmpty();
  }
}

Variant GetProperty(const ComObject& object, std::string_view member,
                    std::initializer_list<Arg> indexes) {
  Variant result = Variant::MakeEmpty();
  if (!Dispatch(object, member, CallKind::PropertyGet, indexes, result)) {
    return Variant::MakeEmpty();
  }
  return result;
}

bool PutProperty(const ComObject& object, std::string_view member,
                 std::initializer_list<Arg> indexesThenValue) {
  Variant ignored = Variant::MakeEmpty();
  return Dispatch(object, member, CallKind::PropertyPut, indexesThenValue, ignored);
}

}  // namespace quolvane
