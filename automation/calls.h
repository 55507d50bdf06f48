// Late-bound calls by member name. Every failure is silent: a read or call gives an
// empty Variant, a write gives false, and the caller goes on.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "automation/com_object.h"
#include "automation/variant.h"
#include "common/text.h"

namespace quolvane {

// One argument of a call, converted as the automation rules say. A default-constructed
// Arg is a left-out optional argument: dropped at the end, passed as missing inside.
struct Arg {
  Arg() : value(Variant::MakeMissing()) {}
  Arg(const Text& text) : value(Variant::FromText(text)) {}             // NOLINT
  Arg(const char* text) : value(Variant::FromText(text)) {}             // NOLINT
  Arg(int32_t number) : value(Variant::FromInt(number)) {}              // NOLINT
  Arg(double number) : value(Variant::FromReal(number)) {}              // NOLINT
  Arg(bool flag) : value(Variant::FromBool(flag)) {}                    // NOLINT
  Arg(const Bytes& bytes) : value(Variant::FromBytes(bytes)) {}         // NOLINT
  Arg(const ComObject& object) : value(Variant::FromObject(object)) {}  // NOLINT
  Arg(const Variant& variant) : value(variant) {}                       // NOLINT
  Variant value;
};
inline const Arg kOmitted{};

// Makes a new object by ProgID. On success the old reference is released and object
// holds the new one; on failure object keeps what it held.
bool CreateObject(ComObject& object, const Text& progId);

Variant CallMethod(const ComObject& object, std::string_view member,
                   std::initializer_list<Arg> args = {});
// The same for arguments already held as Variants, passed on as they are: a multi-
// megabyte text goes to the component without the copies an Arg list makes.
Variant CallMethod(const ComObject& object, std::string_view member, std::span<const Variant> args);
Variant GetProperty(const ComObject& object, std::string_view member,
                    std::initializer_list<Arg> indexes = {});
// indexesThenValue: the property's indexes, then the value to store.
bool PutProperty(const ComObject& object, std::string_view member,
                 std::initializer_list<Arg> indexesThenValue);

}  // namespace quolvane
