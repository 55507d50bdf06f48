#include "automation/win32/dispatch_object.h"

#include <cstdio>
#include <memory>
#include <string>

#include "automation/win32/variant_marshal.h"
#include "common/codepage.h"

namespace quolvane::win32 {
namespace {

// Member names are ASCII; anything else cannot name a member.
bool WideName(std::string_view member, std::wstring& name) {
  if (member.empty()) return false;
  name.clear();
  for (char c : member) {
    if (c <= 0 || c > 0x7E) return false;
    name.push_back(static_cast<wchar_t>(c));
  }
  return true;
}

WORD InvokeFlags(CallKind kind) {
  switch (kind) {
    case CallKind::Method:
      return DISPATCH_METHOD;
    case CallKind::PropertyGet:
      // As Visual Basic reads a property: a method of that name answers as well.
      return DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    case CallKind::PropertyPut:
      return DISPATCH_PROPERTYPUT;
  }
  return DISPATCH_METHOD;
}

std::string SystemMessage(HRESULT code) {
  // WinHTTP's own errors (12001-12199) have their texts in winhttp.dll.
  DWORD win32Code = HRESULT_FACILITY(code) == FACILITY_WIN32 ? HRESULT_CODE(code) : 0;
  HMODULE module = nullptr;
  if (win32Code >= 12000 && win32Code < 12200) module = GetModuleHandleW(L"winhttp.dll");
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                (module != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : 0);
  wchar_t buffer[512];
  DWORD length = FormatMessageW(flags, module, module != nullptr ? win32Code : DWORD(code), 0,
                                buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                        buffer[length - 1] == L' ' || buffer[length - 1] == L'.')) {
    --length;
  }
  char number[32];
  std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
  std::string reason(number);
  if (length > 0) {
    Text message =
        WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), length));
    reason = std::string(message.View()) + " (" + reason + ")";
  }
  return reason;
}

// The component's description when it gave one, else the system's text for the code.
void ReportFailure(HRESULT code, const UniqueBstr& description) {
  if (description && SysStringLen(description.Get()) > 0) {
    Text text = WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(description.Get()),
                                               SysStringLen(description.Get())));
    SetCallFailureReason(text.View());
    return;
  }
  SetCallFailureReason(SystemMessage(code));
}

}  // namespace

bool DispatchObject::Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
                            Variant& result) {
  std::wstring name;
  if (!dispatch_ || !WideName(member, name)) return false;
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    return false;
  }

  // DISPPARAMS holds the arguments last to first.
  UniqueVariantArray native;
  native.Ref().resize(args.size());
  for (VARIANTARG& slot : native.Ref()) VariantInit(&slot);
  for (size_t i = 0; i < args.size(); ++i) {
    if (!ToNative(args[i], native.Ref()[args.size() - 1 - i])) return false;
  }
  DISPPARAMS params{};
  params.rgvarg = native.Ref().empty() ? nullptr : native.Ref().data();
  params.cArgs = static_cast<UINT>(native.Ref().size());
  DISPID putId = DISPID_PROPERTYPUT;
  if (kind == CallKind::PropertyPut) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }

  UniqueVariant out;
  EXCEPINFO info{};
  UINT argumentError = 0;
  HRESULT hr =
      dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, InvokeFlags(kind), &params,
                        kind == CallKind::PropertyPut ? nullptr : out.Put(), &info, &argumentError);
  if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  // EXCEPINFO's strings are ours to free once the call has filled them in.
  UniqueBstr source(info.bstrSource);
  UniqueBstr description(info.bstrDescription);
  UniqueBstr helpFile(info.bstrHelpFile);
  if (FAILED(hr)) {
    ReportFailure(hr == DISP_E_EXCEPTION && FAILED(info.scode) ? info.scode : hr, description);
    return false;
  }
  if (kind == CallKind::PropertyPut) return true;
  return FromNative(out.Get(), result);
}

ComObject WrapDispatch(ComPtr<IDispatch> dispatch) {
  if (!dispatch) return {};
  try {
    return ComObject(std::make_shared<DispatchObject>(std::move(dispatch)));
  } catch (...) {
    return {};
  }
}

}  // namespace quolvane::win32
