#include "web/proxy.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/dispatch.h"

namespace quolvane {
namespace {

TEST(Base64EncodeTest, Rfc4648Vectors) {
  struct Case {
    const char* data;
    const char* encoded;
  } const cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.data + "]");
    EXPECT_EQ(Base64Encode(Bytes(std::string_view(c.data))).View(), c.encoded);
  }
}

TEST(Base64EncodeTest, ZeroAndHighBytesAreOrdinaryInput) {
  struct Case {
    std::vector<uint8_t> data;
    const char* encoded;
  } const cases[] = {
      {{0}, "AA=="},
      {{0, 0}, "AAA="},
      {{0, 0, 0}, "AAAA"},
      {{'a', 0, 'b'}, "YQBi"},
      {{'a', 0, 'b', 0}, "YQBiAA=="},
      {{0xFF}, "/w=="},
      {{0xFB, 0xEF}, "++8="},
      {{0xFF, 0xFF, 0xFF}, "////"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoded);
    EXPECT_EQ(Base64Encode(Bytes(c.data)).View(), c.encoded);
  }
}

// Stands in for the HTTP request component and records the calls made on it.
class RecordingRequest : public Dispatchable {
 public:
  struct Call {
    std::string member;
    CallKind kind;
    std::vector<Variant> args;
  };

  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& /*result*/) override {
    calls.push_back({std::string(member), kind, std::vector<Variant>(args.begin(), args.end())});
    return true;
  }

  std::vector<Call> calls;
};

TEST(ProxyTest, SetsProxyAndBasicAuthorisationAsAsked) {
  const char* proxy = "127.0.0.1:3128";
  struct Case {
    const char* name;
    const char* proxy;
    const char* user;
    const char* password;
    std::optional<int32_t> mode;
    bool setsProxy;
    const char* authorization;  // nullptr: no header
  } const cases[] = {
      {"no proxy", "", "", "", std::nullopt, false, nullptr},
      {"no proxy, user given", "", "user", "pass", 1, false, nullptr},
      {"no user", proxy, "", "pass", std::nullopt, true, nullptr},
      {"mode left out", proxy, "user", "pass", std::nullopt, true, "Basic dXNlcjpwYXNz"},
      {"mode 1", proxy, "user", "pass", 1, true, "Basic dXNlcjpwYXNz"},
      {"mode 0", proxy, "user", "pass", 0, true, nullptr},
      {"mode 2", proxy, "user", "pass", 2, true, nullptr},
      {"empty password", proxy, "user", "", std::nullopt, true, "Basic dXNlcjo="},
      // The user name's code page 936 bytes (张三) are encoded as they are.
      {"GBK user", proxy, "\xD5\xC5\xC8\xFD", "pw", 1, true, "Basic 1cXI/Tpwdw=="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto recorder = std::make_shared<RecordingRequest>();
    ComObject request(recorder);
    // The order WebRequest uses: the proxy before Open, the header after it.
    ApplyProxy(request, Text(c.proxy));
    ApplyProxyAuthorization(request, Text(c.proxy), Text(c.user), Text(c.password), c.mode);

    size_t expected = (c.setsProxy ? 1U : 0U) + (c.authorization != nullptr ? 1U : 0U);
    ASSERT_EQ(recorder->calls.size(), expected);
    size_t next = 0;
    if (c.setsProxy) {
      const RecordingRequest::Call& call = recorder->calls[next++];
      EXPECT_EQ(call.member, "SetProxy");
      EXPECT_EQ(call.kind, CallKind::Method);
      // The bypass list is left out altogether.
      ASSERT_EQ(call.args.size(), 2U);
      ASSERT_NE(call.args[0].AsInt(), nullptr);
      EXPECT_EQ(*call.args[0].AsInt(), 2);
      ASSERT_EQ(call.args[1].GetKind(), Variant::Kind::String);
      EXPECT_EQ(call.args[1].ToText().View(), c.proxy);
    }
    if (c.authorization != nullptr) {
      const RecordingRequest::Call& call = recorder->calls[next++];
      EXPECT_EQ(call.member, "SetRequestHeader");
      EXPECT_EQ(call.kind, CallKind::Method);
      ASSERT_EQ(call.args.size(), 2U);
      EXPECT_EQ(call.args[0].ToText().View(), "Proxy-Authorization");
      EXPECT_EQ(call.args[1].ToText().View(), c.authorization);
    }
  }
}

}  // namespace
}  // namespace quolvane
