// WebRequest against the loopback servers: the request as the server saw it (verb,
// header block, cookies, body), what comes back through the out members, the timeout
// rule, the proxy with Basic authorisation through tinyproxy, and the apartment. Where
// Wine's component falls short of Windows' own, that case is skipped under Wine.
#include "web/web_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "tests/support/host.h"
#include "tests/web/request/request_client.h"
#include "web/cookie_merge.h"
#include "web/header_text.h"

namespace quolvane::testing {
namespace {

constexpr const char* kDefaultBlockTail =
    "\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

std::string Str(const Text& text) {
  return std::string(text.View());
}
std::string Str(const Bytes& bytes) {
  return std::string(bytes.AsChars());
}

// The header lines of a block, as name and value, in order; empty lines skipped.
std::vector<std::pair<std::string, std::string>> Lines(const std::string& block) {
  std::vector<std::pair<std::string, std::string>> lines;
  TextArray pieces = SplitText(T(block), "\r\n");
  for (int32_t i = 1; i <= pieces.Count(); ++i) {
    if (pieces.Member(i).IsEmpty()) continue;
    lines.emplace_back(Str(HeaderName(pieces.Member(i))), Str(HeaderValue(pieces.Member(i))));
  }
  return lines;
}

class WebRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { depthBefore_ = ApartmentDepth(); }
  void TearDown() override { EXPECT_EQ(ApartmentDepth(), depthBefore_) << "apartment unbalanced"; }

  int depthBefore_ = 0;
};

TEST_F(WebRequestTest, EveryOptionLeftOutSendsTheDefaultBlock) {
  const std::string url = LoopbackEchoUrl("/echo/defaults?q=1");
  WebRequestOptions options;
  Bytes body = WebRequest(T(url), options);
  ReceivedRequest echo = ParseEcho(Str(body)).value_or(ReceivedRequest{});

  const std::string block = "Accept: */*\r\nReferer: " + url + kDefaultBlockTail;
  EXPECT_EQ(Str(options.headers), block);
  EXPECT_EQ(echo.method, "GET");
  EXPECT_EQ(echo.target, "/echo/defaults?q=1");
  EXPECT_EQ(echo.Values("Accept"), std::vector<std::string>{"*/*"});
  EXPECT_EQ(echo.Value("Referer"), url);
  EXPECT_EQ(echo.Value("Accept-Language"), "zh-cn");
  EXPECT_EQ(echo.Value("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_FALSE(echo.Has("Cookie"));
  EXPECT_FALSE(echo.Has("Content-Type"));
  EXPECT_EQ(options.status, 200);
  EXPECT_NE(Str(options.responseHeaders).find("Content-Type: application/octet-stream"),
            std::string::npos);
  EXPECT_TRUE(options.responseCookies.IsEmpty());

  // The short form is the same request.
  EXPECT_EQ(ParseEcho(Str(WebRequest(T(url)))).value_or(ReceivedRequest{}).headerBlock,
            echo.headerBlock);
}

TEST_F(WebRequestTest, DefaultsFollowRedirectsAndIgnoreCertificateErrors) {
  EXPECT_EQ(Str(WebRequest(T(LoopbackUrl("/chain/3")))), kChainEndBody);
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's winhttp: no HTTPS with the test certificates (Option 4 not "
                    "implemented)";
  }
  for (LoopbackPort port : {LoopbackPort::kHttps, LoopbackPort::kHttpsWrongName,
                            LoopbackPort::kHttpsExpired, LoopbackPort::kHttpsWrongUsage}) {
    SCOPED_TRACE("port +" + std::to_string(static_cast<int>(port)));
    EXPECT_EQ(Str(WebRequest(T(LoopbackUrlAt(port, "/text?body=tls", "https")))), "tls");
  }
}

TEST_F(WebRequestTest, HeaderBlockIsCompletedAndAppliedLineByLine) {
  struct Case {
    const char* headers;
    int32_t method;
    std::string applied;  // the block handed back; "<url>" stands for the address
    std::vector<std::pair<std::string, std::string>> seen;  // among the echo's lines
    std::vector<std::string> absent;
  };
  const Case cases[] = {
      {"",
       1,
       "Accept: */*\r\nReferer: <url>" + std::string(kDefaultBlockTail) +
           "\r\nContent-Type: application/x-www-form-urlencoded",
       {{"Content-Type", "application/x-www-form-urlencoded"}},
       {}},
      {"accept: text/html",
       0,
       "accept: text/html\r\nAccept: */*\r\nReferer: <url>" + std::string(kDefaultBlockTail),
       {{"Accept", "*/*"}},
       {}},
      {"X-Referer: 1",
       0,
       "X-Referer: 1\r\nAccept: */*" + std::string(kDefaultBlockTail),
       {{"X-Referer", "1"}},
       {"Referer"}},
      {"A: 1\r\n\r\nB: 2",
       0,
       "A: 1\r\n\r\nB: 2\r\nAccept: */*\r\nReferer: <url>" + std::string(kDefaultBlockTail),
       {{"A", "1"}, {"B", "2"}},
       {}},
      {"no colon here\r\nX-Kept: yes",
       0,
       "no colon here\r\nX-Kept: yes\r\nAccept: */*\r\nReferer: <url>" +
           std::string(kDefaultBlockTail),
       {{"X-Kept", "yes"}},
       {"no colon here"}},
      {"  X-Spaced  :  v a l  ",
       0,
       "  X-Spaced  :  v a l  \r\nAccept: */*\r\nReferer: <url>" + std::string(kDefaultBlockTail),
       {{"X-Spaced", "v a l"}},
       {}},
      {"Accept: text/plain\r\nReferer: http://elsewhere.invalid/\r\nAccept-Language: en\r\n"
       "User-Agent: probe/1\r\nContent-Type: text/csv",
       1,
       "Accept: text/plain\r\nReferer: http://elsewhere.invalid/\r\nAccept-Language: en\r\n"
       "User-Agent: probe/1\r\nContent-Type: text/csv",
       {{"Accept", "text/plain"},
        {"Referer", "http://elsewhere.invalid/"},
        {"Accept-Language", "en"},
        {"User-Agent", "probe/1"},
        {"Content-Type", "text/csv"}},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    const std::string url = LoopbackEchoUrl();
    WebRequestOptions options;
    options.headers = c.headers;
    options.method = c.method;
    ReceivedRequest echo = ParseEcho(Str(WebRequest(T(url), options))).value_or(ReceivedRequest{});

    std::string applied = c.applied;
    if (size_t mark = applied.find("<url>"); mark != std::string::npos)
      applied.replace(mark, 5, url);
    EXPECT_EQ(Str(options.headers), applied);
    for (const auto& [name, value] : c.seen) {
      std::vector<std::string> values = echo.Values(name);
      EXPECT_NE(std::find(values.begin(), values.end(), value), values.end())
          << name << ": " << value << " not in\n"
          << echo.headerBlock;
    }
    for (const std::string& name : c.absent) EXPECT_FALSE(echo.Has(name)) << echo.headerBlock;
    // Every line the server got came from the applied block (plus the transport's own).
    for (const auto& [name, value] : echo.headers) {
      if (name == "Host" || name == "Content-Length" || name == "Connection") continue;
      auto lines = Lines(applied);
      bool fromBlock = std::any_of(lines.begin(), lines.end(), [&](const auto& line) {
        return ReceivedRequest::SameName(line.first, name) && line.second == value;
      });
      EXPECT_TRUE(fromBlock) << name << ": " << value;
    }
  }
}

TEST_F(WebRequestTest, MethodIndexPicksTheVerb) {
  struct Case {
    int32_t method;
    const char* verb;
  };
  const Case cases[] = {{0, "GET"},     {1, "POST"},   {2, "HEAD"},     {3, "PUT"},
                        {4, "OPTIONS"}, {5, "DELETE"}, {6, "TRACE"},    {7, "CONNECT"},
                        {8, "GET"},     {-1, "GET"},   {INT_MIN, "GET"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    std::string token = LoopbackToken();
    WebRequestOptions options;
    options.method = c.method;
    WebRequest(T(LoopbackEchoUrl("/echo?t=" + token)), options);
    std::vector<ReceivedRequest> received = ReceivedUnder(token);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, c.verb);
    EXPECT_EQ(Str(MethodVerb(c.method)), c.verb);
  }
}

TEST_F(WebRequestTest, BytesGoInsteadOfText) {
  const std::string bytes("\0\x01zero\0inside\xff", 14);
  WebRequestOptions options;
  options.method = 1;
  options.bodyText = "ignored=1";
  options.bodyBytes = Bytes(bytes);
  ReceivedRequest echo =
      ParseEcho(Str(WebRequest(T(LoopbackEchoUrl()), options))).value_or(ReceivedRequest{});
  EXPECT_EQ(echo.method, "POST");
  EXPECT_EQ(echo.body, bytes);

  WebRequestOptions text;
  text.method = 1;
  text.bodyText = "a=1&b=%E4";
  echo = ParseEcho(Str(WebRequest(T(LoopbackEchoUrl()), text))).value_or(ReceivedRequest{});
  EXPECT_EQ(echo.body, "a=1&b=%E4");
  EXPECT_EQ(echo.Value("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(WebRequestTest, ResponseCookiesAreCollectedInAnyLetterCase) {
  WebRequestOptions options;
  Bytes body = WebRequest(T(LoopbackUrl("/cookies")), options);
  EXPECT_EQ(Str(body), "cookies");
  const std::string headers = Str(options.responseHeaders);
  EXPECT_NE(headers.find("Set-Cookie: a=1; path=/\r\n"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Set-Cookie: b=2\r\n"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Set-Cookie: c=3; HttpOnly\r\n"), std::string::npos) << headers;
  EXPECT_EQ(headers.find("set-cookie"), std::string::npos);
  EXPECT_EQ(headers.find("SET-COOKIE"), std::string::npos);
  EXPECT_EQ(Str(options.responseCookies), "a=1; b=2; c=3");
}

TEST_F(WebRequestTest, CookiesAreSentAndMergedWhenGiven) {
  const Text collected = "a=1; b=2; c=3";
  struct Case {
    const char* name;
    std::optional<Text> cookies;
    std::optional<bool> merge;
    bool merges;
  };
  const Case cases[] = {
      {"given, merge left out", Text("x=9; a=0"), std::nullopt, true},
      {"given, merge true", Text("x=9"), true, true},
      {"given empty, merge left out", Text(""), std::nullopt, true},
      {"given, merge false", Text("x=9"), false, false},
      {"left out", std::nullopt, std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string token = LoopbackToken();
    WebRequestOptions options;
    options.cookies = c.cookies;
    options.mergeCookies = c.merge;
    WebRequest(T(LoopbackUrl("/cookies?t=" + token)), options);

    std::vector<ReceivedRequest> received = ReceivedUnder(token);
    ASSERT_EQ(received.size(), 1u);
    Text sent = c.cookies.value_or(Text());
    EXPECT_EQ(received[0].Value("Cookie"), Str(sent));
    EXPECT_EQ(received[0].Has("Cookie"), !sent.IsEmpty());

    if (c.merges) {
      Text expectedCookies = sent;
      Text collectedCopy = collected;
      Text merged = CookieMerge(expectedCookies, collectedCopy);
      EXPECT_EQ(Str(options.responseCookies), Str(merged));
      ASSERT_TRUE(options.cookies.has_value());
      EXPECT_EQ(Str(*options.cookies), Str(merged));
    } else {
      EXPECT_EQ(Str(options.responseCookies), Str(collected));
      EXPECT_EQ(options.cookies, c.cookies);
    }
  }
}

TEST_F(WebRequestTest, CookieLineOfTheBlockComesAfterTheCookieText) {
  WebRequestOptions options;
  options.cookies = Text("from=option");
  options.headers = "Cookie: from=block";
  ReceivedRequest echo =
      ParseEcho(Str(WebRequest(T(LoopbackEchoUrl()), options))).value_or(ReceivedRequest{});
  std::vector<std::string> values = echo.Values("Cookie");
  ASSERT_FALSE(values.empty()) << echo.headerBlock;
  EXPECT_TRUE(std::string_view(values.back()).ends_with("from=block")) << values.back();
}

TEST_F(WebRequestTest, ErrorAnswersAreHandledLikeAnyOther) {
  WebRequestOptions options;
  Bytes body = WebRequest(T(LoopbackUrl("/text?status=503&body=busy%20now")), options);
  EXPECT_EQ(Str(body), "busy now");
  EXPECT_EQ(options.status, 503);
  EXPECT_FALSE(options.responseHeaders.IsEmpty());
}

TEST_F(WebRequestTest, FailedExchangesLeaveEmptyResults) {
  struct Case {
    const char* name;
    std::string url;
  };
  const Case cases[] = {
      {"nothing listening", LoopbackUrlAt(LoopbackPort::kClosed, "/")},
      {"not HTTP", LoopbackUrlAt(LoopbackPort::kGarbage, "/")},
      {"not an http address", "ftp://127.0.0.1/"},
      {"empty address", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WebRequestOptions options;
    options.responseHeaders = "stale";
    options.responseCookies = "stale=1";
    options.status = 99;
    options.timeoutSeconds = 2;
    EXPECT_TRUE(WebRequest(T(c.url), options).IsEmpty());
    EXPECT_TRUE(options.responseHeaders.IsEmpty());
    EXPECT_TRUE(options.responseCookies.IsEmpty());
    EXPECT_EQ(options.status, 0);

    // With cookies given the merge still runs, over nothing received.
    WebRequestOptions withCookies;
    withCookies.cookies = Text("a=1; b=2");
    withCookies.timeoutSeconds = 2;
    WebRequest(T(c.url), withCookies);
    EXPECT_EQ(Str(withCookies.responseCookies), "a=1; b=2");
  }
}

TEST_F(WebRequestTest, TimeoutSecondsBoundEachPhase) {
  using Clock = std::chrono::steady_clock;
  struct Case {
    int32_t timeoutSeconds;
    int serverDelayMs;
    bool answers;
  };
  const Case cases[] = {
      {1, 2500, false},      // 1000 ms
      {3, 1500, true},       // 3000 ms, not 3 ms or 1 s
      {0, 1500, true},       // 15 s
      {-5, 1500, true},      // 15 s
      {INT_MAX, 300, true},  // far too many milliseconds for an int: the longest wait
      {2147484, 300, true},  // the first value whose milliseconds overflow
  };
  bool skipped = false;
  for (const Case& c : cases) {
    if (!c.answers && RunningUnderWine()) {
      skipped = true;
      continue;
    }
    SCOPED_TRACE("timeoutSeconds " + std::to_string(c.timeoutSeconds));
    WebRequestOptions options;
    options.timeoutSeconds = c.timeoutSeconds;
    auto start = Clock::now();
    WebRequest(T(LoopbackUrl("/slow?ms=" + std::to_string(c.serverDelayMs))), options);
    auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(options.status == 200, c.answers) << "status " << options.status;
    if (!c.answers) {
      EXPECT_LT(elapsed, c.serverDelayMs);
    }
  }
  if (skipped) GTEST_SKIP() << "Wine's winhttp: ignores the receive timeout";
}

TEST_F(WebRequestTest, TimeoutMinusOneKeepsTheObjectsOwn) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's winhttp: ignores the receive timeout, so no timeout shows";
  }
  ApartmentScope apartment;
  ComObject request;
  ASSERT_TRUE(CreateObject(request, kRequestProgId));
  CallMethod(request, "SetTimeouts", {400, 400, 400, 400});

  WebRequestOptions keep;
  keep.timeoutSeconds = -1;
  keep.requestObject = request;
  WebRequest(T(LoopbackUrl("/slow?ms=1500")), keep);
  EXPECT_EQ(keep.status, 0) << "the object's 400 ms were replaced";

  WebRequestOptions replace;
  replace.timeoutSeconds = 0;
  replace.requestObject = request;
  WebRequest(T(LoopbackUrl("/slow?ms=1500")), replace);
  EXPECT_EQ(replace.status, 200);
}

TEST_F(WebRequestTest, GivenRequestObjectIsUsedAndKeepsItsState) {
  ApartmentScope apartment;
  ComObject request;
  ASSERT_TRUE(CreateObject(request, kRequestProgId));
  WebRequestOptions options;
  options.requestObject = request;
  Bytes body = WebRequest(T(LoopbackUrl("/text?body=on%20the%20caller%27s%20object")), options);
  EXPECT_EQ(Str(body), "on the caller's object");
  // The caller's reference stays valid and the response is still there to read.
  ASSERT_FALSE(request.IsEmpty());
  EXPECT_EQ(GetProperty(request, "Status").ToInt(), 200);
  EXPECT_EQ(GetProperty(request, "ResponseBody").ToBytes(), body);

  // A given empty object fails every call: the outcome of a failed request.
  WebRequestOptions empty;
  empty.requestObject = ComObject{};
  empty.cookies = Text("k=v");
  EXPECT_TRUE(WebRequest(T(LoopbackUrl("/text")), empty).IsEmpty());
  EXPECT_EQ(empty.status, 0);
  EXPECT_TRUE(empty.responseHeaders.IsEmpty());
  EXPECT_EQ(Str(empty.responseCookies), "k=v");
  EXPECT_EQ(Str(empty.headers),
            "Accept: */*\r\nReferer: " + LoopbackUrl("/text") + kDefaultBlockTail);
}

TEST_F(WebRequestTest, NoRedirectAnswersWithTheRedirect) {
  std::string token = LoopbackToken();
  WebRequestOptions options;
  options.noRedirect = true;
  WebRequest(T(LoopbackUrl("/chain/2?t=" + token)), options);
  EXPECT_EQ(options.status, 302);
  EXPECT_NE(Str(options.responseHeaders).find("Location: /chain/1"), std::string::npos);
  EXPECT_EQ(ReceivedUnder(token).size(), 1u);
}

TEST_F(WebRequestTest, ProxyCredentialsReachOnlyTheProxy) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's winhttp: ignores SetProxy and goes straight to the server";
  }
  struct Case {
    const char* name;
    const char* user;
    const char* password;
    std::optional<int32_t> authMode;
    bool passes;
  };
  const Case cases[] = {
      {"right credentials", kProxyUser, kProxyPassword, std::nullopt, true},
      {"right credentials, mode 1", kProxyUser, kProxyPassword, 1, true},
      {"wrong password", kProxyUser, "wrong", std::nullopt, false},
      {"no user", "", kProxyPassword, std::nullopt, false},
      {"mode 0 suppresses the header", kProxyUser, kProxyPassword, 0, false},
      {"mode 2 suppresses the header", kProxyUser, kProxyPassword, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string token = LoopbackToken();
    WebRequestOptions options;
    options.proxy = T(LoopbackProxy());
    options.proxyUser = c.user;
    options.proxyPassword = c.password;
    options.proxyAuthMode = c.authMode;
    Bytes body = WebRequest(T(LoopbackEchoUrl("/echo?t=" + token)), options);
    std::vector<ReceivedRequest> atOrigin = ReceivedUnder(token);
    if (c.passes) {
      EXPECT_EQ(options.status, 200);
      ReceivedRequest echo = ParseEcho(Str(body)).value_or(ReceivedRequest{});
      EXPECT_EQ(echo.method, "GET");
      EXPECT_FALSE(echo.Has("Proxy-Authorization")) << echo.headerBlock;
      EXPECT_EQ(echo.Value("Accept-Language"), "zh-cn") << "the request's own headers get through";
      EXPECT_EQ(atOrigin.size(), 1u);
    } else {
      // tinyproxy answers a missing header with 407, wrong credentials with 401.
      EXPECT_TRUE(options.status == 407 || options.status == 401) << options.status;
      EXPECT_TRUE(atOrigin.empty()) << "the proxy let the request through";
    }
    // The credentials never show in the header block handed back.
    EXPECT_EQ(Str(options.headers).find("Proxy-Authorization"), std::string::npos);
  }
}

TEST_F(WebRequestTest, ProxyTunnelsHttps) {
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine's winhttp: ignores SetProxy and goes straight to the server";
  }
  WebRequestOptions options;
  options.proxy = T(LoopbackProxy());
  options.proxyUser = kProxyUser;
  options.proxyPassword = kProxyPassword;
  Bytes body = WebRequest(T(LoopbackHttpsUrl("/text?body=through%20the%20tunnel")), options);
  EXPECT_EQ(options.status, 200);
  EXPECT_EQ(Str(body), "through the tunnel");
}

}  // namespace
}  // namespace quolvane::testing
