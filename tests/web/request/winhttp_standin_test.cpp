// What the built-in WinHttp.WinHttpRequest.5.1 promises beyond the system component:
// every phase bounded as a whole (a trickling server cannot stretch an exchange), a
// memory limit on bodies, header values that cannot inject lines, no proxy from the
// environment, credentials kept from other origins on redirects, exactly the system's
// request lines, and failure reasons.
#include <gtest/gtest.h>

#include <cstdlib>

#include "automation/registry.h"
#include "components/winhttp/winhttp_component.h"
#include "tests/web/request/request_client.h"
#include "web/web_request.h"

namespace quolvane::testing {
namespace {

constexpr size_t kBodyLimit = size_t{64} << 20;

// The reason the first failed call of an exchange gave.
std::string ReasonOf(const std::function<void()>& exchange) {
  ClearCallFailureReason();
  exchange();
  return LastCallFailureReason();
}

TEST(WinHttpStandIn, TricklingServersEndWithinTheTimeouts) {
  struct Case {
    const char* name;
    std::string path;
    int32_t resolve, connect, send, receive;
  };
  const Case cases[] = {
      {"trickled body", "/body", 300, 300, 300, 300},
      {"trickled head", "/head", 300, 300, 300, 300},
      // Name resolution unbounded, so there is no overall sum: the receive phase alone
      // ends it, although a byte arrives every second.
      {"trickled body, resolve unbounded", "/body", 0, 5000, 5000, 700},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome outcome;
    std::string reason = ReasonOf([&] {
      outcome = Exchange(LoopbackUrlAt(LoopbackPort::kTrickle, c.path), [&c](const ComObject& r) {
        CallMethod(r, "SetTimeouts", {c.resolve, c.connect, c.send, c.receive});
      });
    });
    EXPECT_TRUE(outcome.Failed());
    EXPECT_NE(reason.find("timed out"), std::string::npos) << reason;
    // The receive phase as a whole, not a wait per byte, and never past the sum.
    EXPECT_GE(outcome.elapsedMs, c.receive * 9 / 10);
    EXPECT_LT(outcome.elapsedMs, c.receive + 1500);
  }
}

// The system component passes such lines through (so Wine's does); this one refuses them.
TEST(WinHttpStandIn, LineBreaksInHeadersInjectNothing) {
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"X-Bad", "1\r\nX-Injected: yes"}, {"X-Bad", "1\nX-Injected: yes"},
      {"X-Bad", "1\rX-Injected: yes"},   {"X-Bad\r\nX-Injected", "yes"},
      {"X-Injected: yes\r\nX-Bad", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("name ") + c.name + ", value " + c.value);
    Outcome outcome = Exchange(LoopbackEchoUrl(), [&c](const ComObject& request) {
      CallMethod(request, "SetRequestHeader", {c.name, c.value});
      CallMethod(request, "SetRequestHeader", {"X-Good", "kept"});
    });
    ReceivedRequest echo = Echoed(outcome);
    EXPECT_EQ(outcome.status, 200);
    EXPECT_FALSE(echo.Has("X-Injected")) << echo.headerBlock;
    EXPECT_FALSE(echo.Has("X-Bad")) << echo.headerBlock;
    EXPECT_EQ(echo.Value("X-Good"), "kept");
  }
}

TEST(WinHttpStandIn, BodiesAreKeptUpToTheLimit) {
  Outcome atLimit = Exchange(LoopbackUrl("/big?size=" + std::to_string(kBodyLimit)));
  EXPECT_EQ(atLimit.status, 200);
  EXPECT_EQ(atLimit.body.size(), kBodyLimit);

  const std::string over = std::to_string(kBodyLimit + 1);
  for (const std::string& path :
       {"/big?size=" + over, "/big?chunked=1&size=" + over, std::string("/endless")}) {
    SCOPED_TRACE(path);
    Outcome outcome;
    std::string reason = ReasonOf([&] { outcome = Exchange(LoopbackUrl(path)); });
    EXPECT_TRUE(outcome.Failed());
    EXPECT_FALSE(reason.empty());
  }
}

TEST(WinHttpStandIn, CredentialsStayWithTheirOrigin) {
  auto prepare = [](const ComObject& request) {
    CallMethod(request, "SetRequestHeader", {"Cookie", "session=secret"});
    CallMethod(request, "SetRequestHeader", {"Authorization", "Basic c2VjcmV0"});
    CallMethod(request, "SetRequestHeader", {"X-Custom", "kept"});
  };
  // Another origin: the echo's port.
  ReceivedRequest elsewhere = Echoed(Exchange(LoopbackRedirectUrl(LoopbackEchoUrl()), prepare));
  EXPECT_EQ(elsewhere.method, "GET");
  EXPECT_FALSE(elsewhere.Has("Cookie")) << elsewhere.headerBlock;
  EXPECT_FALSE(elsewhere.Has("Authorization")) << elsewhere.headerBlock;
  EXPECT_EQ(elsewhere.Value("X-Custom"), "kept");

  // The same origin keeps them.
  ReceivedRequest same = Echoed(Exchange(LoopbackEchoUrl("/hop"), prepare));
  EXPECT_EQ(same.target, "/echo");
  EXPECT_EQ(same.Value("Cookie"), "session=secret");
  EXPECT_EQ(same.Value("Authorization"), "Basic c2VjcmV0");
}

TEST(WinHttpStandIn, TheEnvironmentNamesNoProxy) {
  const std::string dead = "http://" + LoopbackHostPort(LoopbackPort::kClosed);
  const char* variables[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                             "HTTPS_PROXY", "all_proxy",  "ALL_PROXY"};
  for (const char* name : variables) setenv(name, dead.c_str(), 1);
  Outcome plain = Exchange(LoopbackUrl("/text?body=direct"));
  Outcome secure = Exchange(LoopbackHttpsUrl("/text?body=direct"), [](const ComObject& request) {
    PutProperty(request, "Option", {4, 0x3300});
  });
  for (const char* name : variables) unsetenv(name);
  EXPECT_EQ(plain.body, "direct");
  EXPECT_EQ(secure.body, "direct");
}

TEST(WinHttpStandIn, RequestCarriesOnlyWhatTheSystemComponentSends) {
  struct Case {
    const char* verb;
    std::vector<std::pair<std::string, std::string>> lines;
  };
  const std::string agent = "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";
  const std::string host = LoopbackHostPort(LoopbackPort::kEcho);
  const Case cases[] = {
      {"GET", {{"Host", host}, {"User-Agent", agent}}},
      {"POST", {{"Host", host}, {"User-Agent", agent}, {"Content-Length", "0"}}},
      {"DELETE", {{"Host", host}, {"User-Agent", agent}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verb);
    ReceivedRequest echo = Echoed(Exchange(LoopbackEchoUrl(), {}, c.verb));
    EXPECT_EQ(echo.method, c.verb);
    EXPECT_EQ(echo.headers, c.lines) << echo.headerBlock;
  }
  ReceivedRequest text = Echoed(Exchange(LoopbackEchoUrl(), {}, "POST", "x"));
  EXPECT_EQ(text.Value("Content-Type"), "text/plain; Charset=UTF-8");
}

TEST(WinHttpStandIn, FailedCallsSayWhy) {
  struct Case {
    const char* name;
    std::string url;
    std::function<void(const ComObject&)> prepare;
    const char* reasonPart;
  };
  const Case cases[] = {
      {"refused", LoopbackUrlAt(LoopbackPort::kClosed, "/"), {}, "refused"},
      {"silent", LoopbackUrlAt(LoopbackPort::kSilent, "/"),
       [](const ComObject& r) {
         CallMethod(r, "SetTimeouts", {200, 200, 200, 200});
       },
       "timed out"},
      {"file redirect",
       LoopbackRedirectUrl("file:///etc/passwd"),
       {},
       "redirect to a file: address refused"},
      {"redirect loop", LoopbackUrl("/loop"), {}, "more than 10 redirects"},
      {"scheme", "ftp://127.0.0.1/", {}, "only http and https"},
      {"certificate", LoopbackHttpsUrl("/text"), {}, "certificate"},
      {"header before Open", "", {}, "before Open"},
      {"line break", LoopbackEchoUrl(),
       [](const ComObject& r) {
         CallMethod(r, "SetRequestHeader", {"X-A", "1\r\nX-B: 2"});
       },
       "line breaks"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string reason;
    if (c.url.empty()) {
      ApartmentScope apartment;
      ComObject request;
      ASSERT_TRUE(CreateObject(request, kRequestProgId));
      reason = ReasonOf([&] { CallMethod(request, "SetRequestHeader", {"X-Early", "1"}); });
    } else {
      reason = ReasonOf([&] { Exchange(c.url, c.prepare); });
    }
    EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << reason;
  }
}

TEST(WinHttpStandIn, OptionsRefuseWhatTheyDoNotKnow) {
  ApartmentScope apartment;
  ComObject request;
  ASSERT_TRUE(CreateObject(request, kRequestProgId));
  EXPECT_TRUE(PutProperty(request, "Option", {4, 0x3300}));
  EXPECT_EQ(GetProperty(request, "Option", {4}).ToInt(), 0x3300);
  EXPECT_FALSE(PutProperty(request, "Option", {4, 0x0400}));
  EXPECT_EQ(GetProperty(request, "Option", {4}).ToInt(), 0x3300);
  EXPECT_TRUE(PutProperty(request, "Option", {6, false}));
  EXPECT_EQ(GetProperty(request, "Option", {6}).ToText(), Text("0"));
  EXPECT_FALSE(PutProperty(request, "Option", {99, 1}));
  CallMethod(request, "Open", {"GET", T(LoopbackUrl("/a b")), false});
  EXPECT_EQ(GetProperty(request, "Option", {1}).ToText(), T(LoopbackUrl("/a%20b")));
  EXPECT_TRUE(GetProperty(request, "Status").IsEmpty()) << "no response before Send";
}

TEST(WinHttpStandIn, WebRequestWithoutTheComponentTouchesNothing) {
  UnregisterComponent(kWinHttpProgId);
  const int depth = ApartmentDepth();
  WebRequestOptions options;
  options.headers = "X-Mine: 1";
  options.responseHeaders = "before";
  options.responseCookies = "before=1";
  options.status = 7;
  options.cookies = Text("c=1");
  Bytes body = WebRequest(T(LoopbackUrl("/text")), options);
  RegisterWinHttpComponent();

  EXPECT_TRUE(body.IsEmpty());
  EXPECT_EQ(ApartmentDepth(), depth);
  EXPECT_EQ(options.headers, Text("X-Mine: 1"));
  EXPECT_EQ(options.responseHeaders, Text("before"));
  EXPECT_EQ(options.responseCookies, Text("before=1"));
  EXPECT_EQ(options.status, 7);
  EXPECT_EQ(options.cookies, std::optional<Text>(Text("c=1")));
  EXPECT_EQ(WebRequest(T(LoopbackUrl("/text?body=back"))), Bytes("back"));
}

}  // namespace
}  // namespace quolvane::testing
