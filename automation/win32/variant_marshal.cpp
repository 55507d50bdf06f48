#include "automation/win32/variant_marshal.h"

#include <cstring>
#include <limits>
#include <string>

#include "automation/win32/dispatch_object.h"

namespace quolvane::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "BSTR and std::u16string share code units");

bool BytesToSafeArray(const Bytes& bytes, VARIANT& out) {
  UniqueSafeArray array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.Count())));
  if (!array) return false;
  if (!bytes.IsEmpty()) {
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array.Get(), &data))) return false;
    UniqueSafeArrayAccess access(array.Get());
    std::memcpy(data, bytes.View().data(), bytes.View().size());
  }
  V_VT(&out) = VT_ARRAY | VT_UI1;
  V_ARRAY(&out) = array.Release();
  return true;
}

// Every element of an array of one-byte elements, whatever its bounds and dimensions.
bool SafeArrayToBytes(SAFEARRAY* array, Variant& out) {
  if (array == nullptr) {
    out = Variant::FromBytes(Bytes());
    return true;
  }
  if (SafeArrayGetElemsize(array) != 1) return false;
  size_t count = 1;
  for (UINT dimension = 1; dimension <= SafeArrayGetDim(array); ++dimension) {
    LONG lower = 0;
    LONG upper = 0;
    if (FAILED(SafeArrayGetLBound(array, dimension, &lower)) ||
        FAILED(SafeArrayGetUBound(array, dimension, &upper))) {
      return false;
    }
    count *= upper < lower ? 0 : static_cast<size_t>(upper) - static_cast<size_t>(lower) + 1;
  }
  if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  // Straight into the buffer the Bytes value keeps: a page arrives this way.
  std::string bytes(count, '\0');
  if (count > 0) {
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return false;
    UniqueSafeArrayAccess access(array);
    std::memcpy(bytes.data(), data, count);
  }
  out = Variant::FromBytes(Bytes::Adopt(std::move(bytes)));
  return true;
}

bool ObjectFromUnknown(IUnknown* unknown, Variant& out) {
  if (unknown == nullptr) {
    out = Variant::FromObject(ComObject());
    return true;
  }
  ComPtr<IDispatch> dispatch;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put())))) {
    return false;
  }
  ComObject object = WrapDispatch(std::move(dispatch));
  if (object.IsEmpty()) return false;
  out = Variant::FromObject(std::move(object));
  return true;
}

// Integers of other widths: a 32-bit integer when the value fits, else a double. Done
// here, not by VariantChangeType, whose range checks differ between systems (Wine 8
// wraps a VT_UI4 above 2^31 into a negative VT_I4).
bool ConvertInteger(const VARIANT& value, Variant& out) {
  long long number = 0;
  switch (V_VT(&value)) {
    case VT_I1:
      number = V_I1(&value);
      break;
    case VT_I2:
      number = V_I2(&value);
      break;
    case VT_UI1:
      number = V_UI1(&value);
      break;
    case VT_UI2:
      number = V_UI2(&value);
      break;
    case VT_UI4:
      number = V_UI4(&value);
      break;
    case VT_INT:
      number = V_INT(&value);
      break;
    case VT_UINT:
      number = V_UINT(&value);
      break;
    case VT_I8:
      number = V_I8(&value);
      break;
    case VT_UI8:
      if (V_UI8(&value) > static_cast<ULONGLONG>(std::numeric_limits<int32_t>::max())) {
        out = Variant::FromReal(static_cast<double>(V_UI8(&value)));
        return true;
      }
      number = static_cast<long long>(V_UI8(&value));
      break;
    default:
      return false;
  }
  if (number >= std::numeric_limits<int32_t>::min() &&
      number <= std::numeric_limits<int32_t>::max()) {
    out = Variant::FromInt(static_cast<int32_t>(number));
  } else {
    out = Variant::FromReal(static_cast<double>(number));
  }
  return true;
}

// A result of another type the Variant has no kind for: other numbers become doubles,
// the rest (dates, say) text, as the system converts them.
bool ConvertByType(const VARIANT& value, Variant& out) {
  if (ConvertInteger(value, out)) return true;
  VARTYPE type = V_VT(&value);
  bool real = type == VT_R4 || type == VT_CY || type == VT_DECIMAL;
  UniqueVariant converted;
  if (FAILED(VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0,
                               real ? VT_R8 : VT_BSTR))) {
    return false;
  }
  return FromNative(converted.Get(), out);
}

}  // namespace

bool ToNative(const Variant& value, VARIANT& out) {
  VariantInit(&out);
  switch (value.GetKind()) {
    case Variant::Kind::Empty:
      return true;
    case Variant::Kind::Missing:
      V_VT(&out) = VT_ERROR;
      V_ERROR(&out) = DISP_E_PARAMNOTFOUND;
      return true;
    case Variant::Kind::Integer:
      V_VT(&out) = VT_I4;
      V_I4(&out) = *value.AsInt();
      return true;
    case Variant::Kind::Real:
      V_VT(&out) = VT_R8;
      V_R8(&out) = *value.AsReal();
      return true;
    case Variant::Kind::Boolean:
      V_VT(&out) = VT_BOOL;
      V_BOOL(&out) = *value.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case Variant::Kind::String: {
      const std::u16string& wide = *value.AsWide();
      if (wide.size() > std::numeric_limits<UINT>::max() / 2) return false;
      BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                    static_cast<UINT>(wide.size()));
      if (text == nullptr) return false;
      V_VT(&out) = VT_BSTR;
      V_BSTR(&out) = text;
      return true;
    }
    case Variant::Kind::Object: {
      const ComObject& object = *value.AsObject();
      if (object.IsEmpty()) {  // Nothing
        V_VT(&out) = VT_DISPATCH;
        V_DISPATCH(&out) = nullptr;
        return true;
      }
      // A built-in component has no COM identity to hand over.
      const auto* com = dynamic_cast<const DispatchObject*>(object.Get());
      if (com == nullptr || com->Interface() == nullptr) return false;
      com->Interface()->AddRef();
      V_VT(&out) = VT_DISPATCH;
      V_DISPATCH(&out) = com->Interface();
      return true;
    }
    case Variant::Kind::ByteArray:
      return BytesToSafeArray(*value.AsBytes(), out);
  }
  return false;
}

bool FromNative(const VARIANT& value, Variant& out) {
  VARTYPE type = V_VT(&value);
  if ((type & VT_BYREF) != 0) {
    UniqueVariant direct;
    if (FAILED(VariantCopyInd(direct.Put(), const_cast<VARIANT*>(&value)))) return false;
    return FromNative(direct.Get(), out);
  }
  if ((type & VT_ARRAY) != 0) {
    VARTYPE element = static_cast<VARTYPE>(type & VT_TYPEMASK);
    if (element != VT_UI1 && element != VT_I1) return false;
    return SafeArrayToBytes(V_ARRAY(&value), out);
  }
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
      out = Variant::MakeEmpty();
      return true;
    case VT_I4:
      out = Variant::FromInt(V_I4(&value));
      return true;
    case VT_R8:
      out = Variant::FromReal(V_R8(&value));
      return true;
    case VT_BOOL:
      out = Variant::FromBool(V_BOOL(&value) != VARIANT_FALSE);
      return true;
    case VT_BSTR: {
      BSTR text = V_BSTR(&value);
      const auto* units = reinterpret_cast<const char16_t*>(text);
      out = Variant::FromWide(text == nullptr ? std::u16string()
                                              : std::u16string(units, SysStringLen(text)));
      return true;
    }
    case VT_DISPATCH:
      return ObjectFromUnknown(V_DISPATCH(&value), out);
    case VT_UNKNOWN:
      return ObjectFromUnknown(V_UNKNOWN(&value), out);
    default:
      return ConvertByType(value, out);
  }
}

}  // namespace quolvane::win32
