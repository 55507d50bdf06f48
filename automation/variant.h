// Variant: an automation value. Text travels inside as wide text (the component's
// form); conversion to and from code page 936 happens at the edges.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "automation/com_object.h"
#include "common/text.h"

namespace quolvane {

class Variant {
 public:
  enum class Kind { Empty, Missing, Integer, Real, Boolean, String, Object, ByteArray };

  Variant() : value_(int32_t{0}) {}  // a new Variant holds the integer 0

  static Variant MakeEmpty() { return Variant(std::monostate{}); }
  // A left-out optional argument (VT_ERROR / DISP_E_PARAMNOTFOUND on Windows).
  static Variant MakeMissing() { return Variant(MissingArgument{}); }
  static Variant FromInt(int32_t value) { return Variant(value); }
  static Variant FromReal(double value) { return Variant(value); }
  static Variant FromBool(bool value) { return Variant(BoolValue{value}); }
  static Variant FromWide(std::u16string value) { return Variant(std::move(value)); }
  static Variant FromText(const Text& text);
  static Variant FromBytes(const Bytes& bytes) { return Variant(bytes); }
  static Variant FromObject(ComObject object) { return Variant(std::move(object)); }

  [[nodiscard]] Kind GetKind() const { return static_cast<Kind>(value_.index()); }
  [[nodiscard]] bool IsEmpty() const { return GetKind() == Kind::Empty; }
  [[nodiscard]] bool IsMissing() const { return GetKind() == Kind::Missing; }

  // Conversions as the automation rules give them; what cannot convert gives the empty value.
  [[nodiscard]] Text ToText() const;
  [[nodiscard]] std::u16string ToWide() const;
  [[nodiscard]] std::optional<double> ToNumber() const;
  // A number truncated toward zero and clamped to the int range; 0 when not a number.
  [[nodiscard]] int32_t ToInt() const;
  [[nodiscard]] std::optional<bool> ToBool() const;
  [[nodiscard]] Bytes ToBytes() const;
  [[nodiscard]] ComObject ToObject() const;

  // Raw access for backends that marshal the value.
  [[nodiscard]] const int32_t* AsInt() const { return std::get_if<int32_t>(&value_); }
  [[nodiscard]] const double* AsReal() const { return std::get_if<double>(&value_); }
  [[nodiscard]] const bool* AsBool() const;
  [[nodiscard]] const std::u16string* AsWide() const {
    return std::get_if<std::u16string>(&value_);
  }
  [[nodiscard]] const Bytes* AsBytes() const { return std::get_if<Bytes>(&value_); }
  [[nodiscard]] const ComObject* AsObject() const { return std::get_if<ComObject>(&value_); }

  void Clear() { value_ = std::monostate{}; }

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  struct MissingArgument {
    friend bool operator==(MissingArgument, MissingArgument) = default;
  };
  struct BoolValue {
    bool value;
    friend bool operator==(BoolValue, BoolValue) = default;
  };
  using Storage = std::variant<std::monostate, MissingArgument, int32_t, double, BoolValue,
                               std::u16string, ComObject, Bytes>;
  template <typename T>
  explicit Variant(T value) : value_(std::move(value)) {}

  Storage value_;
};

}  // namespace quolvane
