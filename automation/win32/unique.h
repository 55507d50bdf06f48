// Owners for the Win32 and COM resources the backend makes: interface references,
// BSTRs, VARIANTs, SAFEARRAYs and their data locks, and the pairing of CoInitialize
// with CoUninitialize. One move-only template over a traits type, in the manner of
// microsoft/wil: the owner closes what it holds exactly once, and copying is deleted.
#pragma once

#include <utility>
#include <vector>

#include "automation/win32/windows_api.h"

namespace quolvane::win32 {

// Traits give Type, Invalid() (the value that holds nothing), IsValid(value) and
// Close(value).
template <typename Traits>
class Unique {
 public:
  using Type = typename Traits::Type;

  Unique() noexcept = default;
  explicit Unique(Type value) noexcept : value_(std::move(value)) {}
  Unique(Unique&& other) noexcept : value_(other.Release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  ~Unique() { Reset(); }

  [[nodiscard]] const Type& Get() const noexcept { return value_; }
  // Access for calls that read or update the value in place; ownership stays here.
  [[nodiscard]] Type& Ref() noexcept { return value_; }
  // For out-parameters: closes what is held and gives the slot to fill.
  [[nodiscard]] Type* Put() noexcept {
    Reset();
    return &value_;
  }
  [[nodiscard]] Type Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  void Reset(Type value = Traits::Invalid()) noexcept {
    Type old = std::exchange(value_, std::move(value));
    if (Traits::IsValid(old)) Traits::Close(old);
  }
  explicit operator bool() const noexcept { return Traits::IsValid(value_); }

 private:
  Type value_ = Traits::Invalid();
};

template <typename T>
struct PointerTraits {
  using Type = T*;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type value) noexcept { return value != nullptr; }
};

template <typename Interface>
struct InterfaceTraits : PointerTraits<Interface> {
  static void Close(Interface* value) noexcept { value->Release(); }
};

// A counted interface reference. Taking one over (the constructor) does not AddRef;
// Copy does.
template <typename Interface>
class ComPtr : public Unique<InterfaceTraits<Interface>> {
 public:
  using Unique<InterfaceTraits<Interface>>::Unique;

  Interface* operator->() const noexcept { return this->Get(); }

  [[nodiscard]] ComPtr Copy() const noexcept {
    if (this->Get() != nullptr) this->Get()->AddRef();
    return ComPtr(this->Get());
  }
  // Empty when the object does not answer To.
  template <typename To>
  [[nodiscard]] ComPtr<To> Query() const noexcept {
    ComPtr<To> result;
    if (this->Get() != nullptr) {
      this->Get()->QueryInterface(__uuidof(To), reinterpret_cast<void**>(result.Put()));
    }
    return result;
  }
};

struct BstrTraits : PointerTraits<OLECHAR> {
  static void Close(BSTR value) noexcept { SysFreeString(value); }
};
using UniqueBstr = Unique<BstrTraits>;

struct VariantTraits {
  using Type = VARIANT;
  static VARIANT Invalid() noexcept {
    VARIANT value;
    VariantInit(&value);
    return value;
  }
  static bool IsValid(const VARIANT& value) noexcept { return V_VT(&value) != VT_EMPTY; }
  static void Close(VARIANT& value) noexcept { VariantClear(&value); }
};
using UniqueVariant = Unique<VariantTraits>;

// Call arguments as DISPPARAMS wants them: one contiguous block of VARIANTARGs.
struct VariantArrayTraits {
  using Type = std::vector<VARIANTARG>;
  static Type Invalid() noexcept { return {}; }
  static bool IsValid(const Type& values) noexcept { return !values.empty(); }
  static void Close(Type& values) noexcept {
    for (VARIANTARG& value : values) VariantClear(&value);
  }
};
using UniqueVariantArray = Unique<VariantArrayTraits>;

struct SafeArrayTraits : PointerTraits<SAFEARRAY> {
  static void Close(SAFEARRAY* value) noexcept { SafeArrayDestroy(value); }
};
using UniqueSafeArray = Unique<SafeArrayTraits>;

// SafeArrayAccessData's lock, released by SafeArrayUnaccessData.
struct SafeArrayAccessTraits : PointerTraits<SAFEARRAY> {
  static void Close(SAFEARRAY* value) noexcept { SafeArrayUnaccessData(value); }
};
using UniqueSafeArrayAccess = Unique<SafeArrayAccessTraits>;

// A CoInitialize that succeeded, to be matched by exactly one CoUninitialize.
struct CoUninitializeTraits {
  using Type = bool;
  static bool Invalid() noexcept { return false; }
  static bool IsValid(bool entered) noexcept { return entered; }
  static void Close(bool) noexcept { CoUninitialize(); }
};
using UniqueCoUninitializeCall = Unique<CoUninitializeTraits>;

}  // namespace quolvane::win32
