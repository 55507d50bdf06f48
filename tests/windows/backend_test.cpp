// The Windows backend of the automation calls: what reaches IDispatch::Invoke (checked
// on a hand-made IDispatch that records it), what comes back, reference counting, and
// the real thing against components Wine supplies.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "automation/registry.h"
#include "automation/win32/dispatch_object.h"
#include "automation/win32/unique.h"

namespace quolvane {
namespace {

using win32::ComPtr;
using win32::UniqueBstr;
using win32::UniqueSafeArray;
using win32::UniqueVariant;

// "你好" in code page 936 and in UTF-16.
const Text kNihaoAnsi("\xC4\xE3\xBA\xC3");
const std::u16string kNihaoWide = u"\u4F60\u597D";

UniqueSafeArray MakeByteArray(std::string_view bytes) {
  UniqueSafeArray array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
  void* data = nullptr;
  if (array && SUCCEEDED(SafeArrayAccessData(array.Get(), &data))) {
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    SafeArrayUnaccessData(array.Get());
  }
  return array;
}

std::string ByteArrayContents(SAFEARRAY* array) {
  void* data = nullptr;
  if (array == nullptr || FAILED(SafeArrayAccessData(array, &data))) return "<no data>";
  std::string bytes(static_cast<const char*>(data), array->rgsabound[0].cElements);
  SafeArrayUnaccessData(array);
  return bytes;
}

// An IDispatch that knows "Echo" (DISPID 1), "Value" (2) and "Fail" (3), records each
// Invoke and answers it with reply (or, for "Fail", with failure). It lives on the
// test's stack; references are only counted, so leaks and double releases show.
// COM objects end through Release, never by delete through the interface, so the
// interface's non-virtual destructor is as COM means it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Probe final : public IDispatch {
 public:
  struct Call {
    DISPID id;
    WORD flags;
    UINT namedCount;
    DISPID namedId;
    bool wantsResult;
    std::vector<UniqueVariant> args;  // as received: last argument first
  };

  ULONG refs = 1;
  std::vector<std::u16string> namesAsked;
  std::vector<Call> calls;
  UniqueVariant reply;
  HRESULT failure = DISP_E_EXCEPTION;
  const wchar_t* failureDescription = nullptr;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    std::u16string name(reinterpret_cast<const char16_t*>(names[0]));
    namesAsked.push_back(name);
    for (char16_t& c : name) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    ids[0] = name == u"echo" ? 1 : name == u"value" ? 2 : name == u"fail" ? 3 : DISPID_UNKNOWN;
    return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    Call call{id,
              flags,
              params->cNamedArgs,
              params->cNamedArgs > 0 ? params->rgdispidNamedArgs[0] : DISPID_UNKNOWN,
              result != nullptr,
              {}};
    for (UINT i = 0; i < params->cArgs; ++i) {
      UniqueVariant copy;
      VariantCopy(copy.Put(), &params->rgvarg[i]);
      call.args.push_back(std::move(copy));
    }
    calls.push_back(std::move(call));
    if (id == 3) {
      if (failure == DISP_E_EXCEPTION && info != nullptr) {
        *info = {};
        info->scode = E_FAIL;
        info->bstrSource = SysAllocString(L"Probe");
        info->bstrDescription =
            failureDescription != nullptr ? SysAllocString(failureDescription) : nullptr;
      }
      return failure;
    }
    if (result != nullptr) return VariantCopy(result, &reply.Ref());
    return S_OK;
  }
};
#pragma GCC diagnostic pop

ComObject Wrap(Probe& probe) {
  probe.AddRef();
  return win32::WrapDispatch(ComPtr<IDispatch>(&probe));
}

class DispatchCallTest : public testing::Test {
 protected:
  void SetUp() override {
    ApartmentEnter();
    ClearCallFailureReason();
  }
  void TearDown() override {
    // Every reference the backend took has been given back, and no more than that.
    EXPECT_EQ(probe_.refs, 1u);
    ApartmentLeave();
  }
  Probe probe_;
};

TEST_F(DispatchCallTest, ArgumentsGoLastToFirstWithTheirAutomationTypes) {
  {
    ComObject object = Wrap(probe_);
    Bytes bytes(std::string_view("a\0b", 3));
    CallMethod(object, "echo", {kNihaoAnsi, kOmitted, 7, 2.5, true, bytes, kOmitted});
  }
  ASSERT_EQ(probe_.namesAsked, std::vector<std::u16string>{u"echo"});
  ASSERT_EQ(probe_.calls.size(), 1u);
  const Probe::Call& call = probe_.calls[0];
  EXPECT_EQ(call.flags, DISPATCH_METHOD);
  EXPECT_EQ(call.namedCount, 0u);
  EXPECT_TRUE(call.wantsResult);
  ASSERT_EQ(call.args.size(), 6u);  // the trailing left-out argument is dropped
  const VARIANT& text = call.args[5].Get();
  ASSERT_EQ(V_VT(&text), VT_BSTR);
  EXPECT_EQ(
      std::u16string(reinterpret_cast<const char16_t*>(V_BSTR(&text)), SysStringLen(V_BSTR(&text))),
      kNihaoWide);
  const VARIANT& missing = call.args[4].Get();
  ASSERT_EQ(V_VT(&missing), VT_ERROR);
  EXPECT_EQ(V_ERROR(&missing), DISP_E_PARAMNOTFOUND);
  ASSERT_EQ(V_VT(&call.args[3].Get()), VT_I4);
  EXPECT_EQ(V_I4(&call.args[3].Get()), 7);
  ASSERT_EQ(V_VT(&call.args[2].Get()), VT_R8);
  EXPECT_EQ(V_R8(&call.args[2].Get()), 2.5);
  ASSERT_EQ(V_VT(&call.args[1].Get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(&call.args[1].Get()), VARIANT_TRUE);
  const VARIANT& array = call.args[0].Get();
  ASSERT_EQ(V_VT(&array), VT_ARRAY | VT_UI1);
  EXPECT_EQ(SafeArrayGetDim(V_ARRAY(&array)), 1u);
  EXPECT_EQ(ByteArrayContents(V_ARRAY(&array)), std::string("a\0b", 3));
}

TEST_F(DispatchCallTest, PropertiesAreReadAndWrittenAsVisualBasicDoes) {
  {
    ComObject object = Wrap(probe_);
    V_VT(probe_.reply.Put()) = VT_I4;
    V_I4(&probe_.reply.Ref()) = 11;
    EXPECT_EQ(GetProperty(object, "Value", {4}).ToInt(), 11);
    EXPECT_TRUE(PutProperty(object, "VALUE", {4, 0x3300}));
  }
  ASSERT_EQ(probe_.calls.size(), 2u);
  const Probe::Call& get = probe_.calls[0];
  EXPECT_EQ(get.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(get.namedCount, 0u);
  ASSERT_EQ(get.args.size(), 1u);
  EXPECT_EQ(V_I4(&get.args[0].Get()), 4);

  const Probe::Call& put = probe_.calls[1];
  EXPECT_EQ(put.id, 2);
  EXPECT_EQ(put.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(put.namedCount, 1u);
  EXPECT_EQ(put.namedId, DISPID_PROPERTYPUT);
  EXPECT_FALSE(put.wantsResult);
  ASSERT_EQ(put.args.size(), 2u);
  EXPECT_EQ(V_I4(&put.args[0].Get()), 0x3300);  // the value is the named argument, first
  EXPECT_EQ(V_I4(&put.args[1].Get()), 4);
}

TEST_F(DispatchCallTest, ResultsConvertToTheVariantsKinds) {
  UniqueSafeArray bytes = MakeByteArray(std::string_view("x\0y", 3));
  UniqueSafeArray noBytes = MakeByteArray("");
  UniqueSafeArray variants(SafeArrayCreateVector(VT_VARIANT, 0, 2));
  LONG byRefTarget = 9;
  struct Case {
    const char* what;
    VARTYPE type;
    void (*fill)(VARIANT&, void*);
    void* context;
    Variant::Kind kind;
    Text text;  // compared for kinds other than numbers, whose text is Variant's own
    std::optional<double> number;
  } cases[] = {
      {"VT_I4", VT_I4, [](VARIANT& v, void*) { V_I4(&v) = -5; }, nullptr, Variant::Kind::Integer,
       "", -5.0},
      {"VT_R8", VT_R8, [](VARIANT& v, void*) { V_R8(&v) = 2.75; }, nullptr, Variant::Kind::Real, "",
       2.75},
      {"VT_BOOL", VT_BOOL, [](VARIANT& v, void*) { V_BOOL(&v) = VARIANT_TRUE; }, nullptr,
       Variant::Kind::Boolean, "-1", -1.0},
      {"VT_BSTR", VT_BSTR, [](VARIANT& v, void*) { V_BSTR(&v) = SysAllocString(L"\u4F60\u597D"); },
       nullptr, Variant::Kind::String, kNihaoAnsi, std::nullopt},
      {"null BSTR", VT_BSTR, [](VARIANT& v, void*) { V_BSTR(&v) = nullptr; }, nullptr,
       Variant::Kind::String, "", std::nullopt},
      {"VT_I2", VT_I2, [](VARIANT& v, void*) { V_I2(&v) = -300; }, nullptr, Variant::Kind::Integer,
       "", -300.0},
      {"VT_UI1", VT_UI1, [](VARIANT& v, void*) { V_UI1(&v) = 200; }, nullptr,
       Variant::Kind::Integer, "", 200.0},
      {"VT_UI4 beyond int", VT_UI4, [](VARIANT& v, void*) { V_UI4(&v) = 4000000000u; }, nullptr,
       Variant::Kind::Real, "", 4e9},
      {"VT_I8", VT_I8, [](VARIANT& v, void*) { V_I8(&v) = -12; }, nullptr, Variant::Kind::Integer,
       "", -12.0},
      {"VT_R4", VT_R4, [](VARIANT& v, void*) { V_R4(&v) = 1.5f; }, nullptr, Variant::Kind::Real, "",
       1.5},
      {"VT_CY", VT_CY, [](VARIANT& v, void*) { V_CY(&v).int64 = 123400; }, nullptr,
       Variant::Kind::Real, "", 12.34},
      {"VT_EMPTY", VT_EMPTY, [](VARIANT&, void*) {}, nullptr, Variant::Kind::Empty, "", 0.0},
      {"VT_NULL", VT_NULL, [](VARIANT&, void*) {}, nullptr, Variant::Kind::Empty, "", 0.0},
      {"VT_BYREF|VT_I4", VT_BYREF | VT_I4,
       [](VARIANT& v, void* target) { V_I4REF(&v) = static_cast<LONG*>(target); }, &byRefTarget,
       Variant::Kind::Integer, "", 9.0},
      {"byte array", VT_ARRAY | VT_UI1,
       [](VARIANT& v, void* array) { V_ARRAY(&v) = static_cast<SAFEARRAY*>(array); }, bytes.Get(),
       Variant::Kind::ByteArray, "", std::nullopt},
      {"empty byte array", VT_ARRAY | VT_UI1,
       [](VARIANT& v, void* array) { V_ARRAY(&v) = static_cast<SAFEARRAY*>(array); }, noBytes.Get(),
       Variant::Kind::ByteArray, "", std::nullopt},
      // No Variant kind holds an array of variants: the call fails, silently.
      {"variant array", VT_ARRAY | VT_VARIANT,
       [](VARIANT& v, void* array) { V_ARRAY(&v) = static_cast<SAFEARRAY*>(array); },
       variants.Get(), Variant::Kind::Empty, "", 0.0},
  };
  ComObject object = Wrap(probe_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The probe hands out a copy; its own reply holds only a borrowed array.
    VARIANT& reply = *probe_.reply.Put();
    V_VT(&reply) = c.type;
    c.fill(reply, c.context);
    Variant result = CallMethod(object, "Echo");
    if ((c.type & VT_ARRAY) != 0) V_VT(&probe_.reply.Ref()) = VT_EMPTY;  // not ours to free
    EXPECT_EQ(result.GetKind(), c.kind);
    if (c.kind != Variant::Kind::Integer && c.kind != Variant::Kind::Real) {
      EXPECT_EQ(result.ToText(), c.text);
    }
    EXPECT_EQ(result.ToNumber(), c.number);
  }
  V_VT(probe_.reply.Put()) = VT_ARRAY | VT_UI1;
  V_ARRAY(&probe_.reply.Ref()) = bytes.Get();
  EXPECT_EQ(CallMethod(object, "Echo").ToBytes(), Bytes(std::string_view("x\0y", 3)));
  V_VT(&probe_.reply.Ref()) = VT_EMPTY;
}

TEST_F(DispatchCallTest, DatesComeBackAsTheSystemWritesThem) {
  ComObject object = Wrap(probe_);
  V_VT(probe_.reply.Put()) = VT_DATE;
  V_DATE(&probe_.reply.Ref()) = 45000.0;  // 15 March 2023
  Variant result = CallMethod(object, "Echo");
  UniqueBstr expected;
  ASSERT_HRESULT_SUCCEEDED(VarBstrFromDate(45000.0, LOCALE_USER_DEFAULT, 0, expected.Put()));
  EXPECT_EQ(result.GetKind(), Variant::Kind::String);
  EXPECT_EQ(result.ToWide(), std::u16string(reinterpret_cast<const char16_t*>(expected.Get())));
}

TEST_F(DispatchCallTest, ObjectResultsCanBeCalledAndPassedBack) {
  Probe child;
  {
    ComObject object = Wrap(probe_);
    V_VT(probe_.reply.Put()) = VT_DISPATCH;
    V_DISPATCH(&probe_.reply.Ref()) = &child;
    child.AddRef();  // the reply's own reference

    ComObject got = CallMethod(object, "Echo").ToObject();
    ASSERT_FALSE(got.IsEmpty());
    EXPECT_EQ(child.refs, 3u);  // the test's, the reply's, and the result's
    CallMethod(got, "Echo");
    EXPECT_EQ(child.calls.size(), 1u);

    probe_.reply.Reset();
    CallMethod(object, "Echo", {got, ComObject()});
    ASSERT_EQ(probe_.calls.back().args.size(), 2u);
    const VARIANT& passed = probe_.calls.back().args[1].Get();
    ASSERT_EQ(V_VT(&passed), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&passed), static_cast<IDispatch*>(&child));  // the same object
    const VARIANT& nothing = probe_.calls.back().args[0].Get();
    ASSERT_EQ(V_VT(&nothing), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&nothing), nullptr);  // an empty object goes as Nothing
    probe_.calls.clear();                      // drops the recorded copies and their references
  }
  EXPECT_EQ(child.refs, 1u);
}

// A component of the built-in kind: no COM object behind it.
class BuiltIn : public Dispatchable {
 public:
  bool Invoke(std::string_view member, CallKind, std::span<const Variant>,
              Variant& result) override {
    if (!MemberNameEquals(member, "Name")) return false;
    result = Variant::FromText("built-in");
    return true;
  }
};

TEST_F(DispatchCallTest, FailuresAreSilentAndKeepTheComponentsReason) {
  ComObject object = Wrap(probe_);
  probe_.failureDescription = L"Verbindung abgebrochen \u4F60";
  EXPECT_TRUE(CallMethod(object, "Fail", {1}).IsEmpty());
  EXPECT_EQ(LastCallFailureReason(), std::string("Verbindung abgebrochen \xC4\xE3"));

  // Without a description the code is named.
  ClearCallFailureReason();
  probe_.failure = HRESULT_FROM_WIN32(12029);  // WinHTTP: cannot connect
  EXPECT_TRUE(GetProperty(object, "Fail").IsEmpty());
  EXPECT_NE(LastCallFailureReason().find("0x80072EFD"), std::string::npos)
      << LastCallFailureReason();

  ClearCallFailureReason();
  probe_.failure = DISP_E_EXCEPTION;
  probe_.failureDescription = nullptr;
  EXPECT_FALSE(PutProperty(object, "Fail", {1}));
  EXPECT_NE(LastCallFailureReason().find("0x80004005"), std::string::npos)  // EXCEPINFO's scode
      << LastCallFailureReason();

  size_t callsBefore = probe_.calls.size();
  ComObject builtIn(std::make_shared<BuiltIn>());
  struct Case {
    const char* what;
    Variant result;
  } cases[] = {
      {"unknown member", CallMethod(object, "NoSuchMember")},
      {"member name not ASCII", CallMethod(object, "Echo\xC4\xE3")},
      {"empty member name", CallMethod(object, "")},
      {"object without COM identity as argument", CallMethod(object, "Echo", {builtIn})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(c.result.IsEmpty());
  }
  EXPECT_EQ(probe_.calls.size(), callsBefore);  // none of them reached Invoke
  // Names that cannot be members are not even asked for.
  ASSERT_GE(probe_.namesAsked.size(), 2u);
  EXPECT_EQ(probe_.namesAsked.end()[-2], u"NoSuchMember");
  EXPECT_EQ(probe_.namesAsked.end()[-1], u"Echo");
}

// What Wine itself supplies: Scripting.Dictionary stores any value under a key, so
// each conversion makes the round trip through a real component.
class SystemComponentTest : public testing::Test {
 protected:
  void SetUp() override { ApartmentEnter(); }
  void TearDown() override { ApartmentLeave(); }
};

TEST_F(SystemComponentTest, ValuesMakeTheRoundTripThroughARealComponent) {
  ComObject dictionary;
  ASSERT_TRUE(CreateObject(dictionary, "Scripting.Dictionary"));
  ComObject other;
  ASSERT_TRUE(CreateObject(other, "scripting.dictionary"));
  Bytes bytes(std::string_view("\0\xFF\x01z", 4));
  EXPECT_TRUE(PutProperty(dictionary, "Item", {"text", kNihaoAnsi}));
  EXPECT_TRUE(PutProperty(dictionary, "ITEM", {"number", 0x3300}));
  EXPECT_TRUE(PutProperty(dictionary, "item", {"bytes", bytes}));
  CallMethod(dictionary, "Add", {"object", other});
  CallMethod(other, "Add", {"inner", 1});

  EXPECT_EQ(GetProperty(dictionary, "Count").ToInt(), 4);
  EXPECT_EQ(GetProperty(dictionary, "Item", {"text"}).ToText(), kNihaoAnsi);
  EXPECT_EQ(GetProperty(dictionary, "Item", {"number"}).ToInt(), 0x3300);
  EXPECT_EQ(GetProperty(dictionary, "Item", {"bytes"}).ToBytes(), bytes);
  ComObject back = GetProperty(dictionary, "Item", {"object"}).ToObject();
  EXPECT_EQ(GetProperty(back, "Count").ToInt(), 1);
  EXPECT_EQ(CallMethod(dictionary, "Exists", {"text"}).ToText(), Text("-1"));
  EXPECT_EQ(CallMethod(dictionary, "Exists", {"nothing"}).ToText(), Text("0"));

  // The component's own error: a key added twice.
  ClearCallFailureReason();
  EXPECT_TRUE(CallMethod(dictionary, "Add", {"text", 1}).IsEmpty());
  EXPECT_FALSE(LastCallFailureReason().empty());
  EXPECT_TRUE(CallMethod(dictionary, "NoSuchMember").IsEmpty());
  EXPECT_FALSE(PutProperty(dictionary, "Count", {1}));  // read-only
}

TEST_F(SystemComponentTest, TheSystemsComponentComesFirstAndBuiltInsFillTheGaps) {
  // Windows lacks this one: the built-in serves.
  RegisterComponent("Quolvane.Test.BuiltIn", [] { return std::make_shared<BuiltIn>(); });
  ComObject builtIn;
  EXPECT_TRUE(CreateObject(builtIn, "Quolvane.Test.BuiltIn"));
  EXPECT_EQ(GetProperty(builtIn, "Name").ToText(), Text("built-in"));
  UnregisterComponent("Quolvane.Test.BuiltIn");

  // Windows has this one: the built-in registered under its ProgID is not used.
  RegisterComponent("Scripting.Dictionary", [] { return std::make_shared<BuiltIn>(); });
  ComObject system;
  EXPECT_TRUE(CreateObject(system, "Scripting.Dictionary"));
  EXPECT_EQ(GetProperty(system, "Count").ToInt(), 0);
  EXPECT_TRUE(GetProperty(system, "Name").IsEmpty());
  UnregisterComponent("Scripting.Dictionary");

  // Failure keeps what the object held.
  EXPECT_FALSE(CreateObject(system, "Quolvane.Test.NoSuchThing"));
  EXPECT_FALSE(CreateObject(system, ""));
  EXPECT_EQ(GetProperty(system, "Count").ToInt(), 0);
}

// CoInitialize answers S_FALSE on a thread already in the apartment, S_OK on a fresh
// one; each probe is undone at once.
bool AlreadyInitialised() {
  HRESULT hr = CoInitialize(nullptr);
  win32::UniqueCoUninitializeCall undo(SUCCEEDED(hr));
  return hr == S_FALSE;
}

TEST(ApartmentWin32Test, EntriesInitialiseComAndExitsUndoThem) {
  ASSERT_FALSE(AlreadyInitialised());
  {
    ApartmentScope outer;
    EXPECT_TRUE(AlreadyInitialised());
    {
      ApartmentScope inner;
      EXPECT_TRUE(AlreadyInitialised());
    }
    EXPECT_TRUE(AlreadyInitialised());  // the inner exit undid only its own entry
  }
  EXPECT_FALSE(AlreadyInitialised());

  OleStartup();
  EXPECT_TRUE(AlreadyInitialised());
  ComObject object;
  EXPECT_TRUE(CreateObject(object, "Scripting.Dictionary"));
  object.Clear();
  OleShutdown();
  EXPECT_FALSE(AlreadyInitialised());

  // Outside an apartment even the system's components are not created.
  EXPECT_FALSE(CreateObject(object, "Scripting.Dictionary"));
  EXPECT_TRUE(object.IsEmpty());
}

TEST(ApartmentWin32Test, EachThreadEntersAndLeavesItsOwnApartment) {
  constexpr int kThreads = 6;
  constexpr int kRounds = 20;
  std::atomic<int> right{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&right] {
      for (int round = 0; round < kRounds; ++round) {
        bool fresh = !AlreadyInitialised();
        bool created = false;
        {
          ApartmentScope apartment;
          ComObject dictionary;
          created = AlreadyInitialised() && CreateObject(dictionary, "Scripting.Dictionary") &&
                    PutProperty(dictionary, "Item", {"k", round}) &&
                    GetProperty(dictionary, "Item", {"k"}).ToInt() == round;
        }
        if (fresh && created && !AlreadyInitialised()) ++right;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(right.load(), kThreads * kRounds);
  EXPECT_FALSE(AlreadyInitialised());  // the other threads' entries were never this one's
}

}  // namespace
}  // namespace quolvane
