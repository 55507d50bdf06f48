// Hostile input end to end: quolvane-resolve, run through real pipes as a user runs it,
// against share texts and servers built to break it. Each case checks what the user
// sees (the line on standard output, the words on standard error, the exit status) and
// that the program ended; how long each took and its peak memory are measured by
// bench/hostile/run.sh, not asserted here.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/resolve.h"
#include "automation/apartment.h"
#include "tests/support/loopback.h"
#include "tests/support/run_program.h"
#include "web/web_request.h"

namespace quolvane {
namespace {

using testing_support::ProgramRun;
using testing_support::RunProgram;

const std::string kPrefix = "https://aweme.snssdk.com/aweme/v1/play/?video_id=";
const std::string kIdentifier = "v0200fg10000hostilecase000000042";
// Far beyond every bound of a case; only there so a hang fails one case, not the run.
constexpr int kWatchdogSeconds = 300;
constexpr size_t kTwentyMegabytes = size_t{20} << 20;

std::string GoodPage() {
  return LoopbackUrl("/text?body=" + LoopbackQueryEncode("{\"uri\":\"" + kIdentifier + "\"}"));
}

// A page of size bytes of unit repeated, then tail.
std::string RepeatPage(const std::string& unit, size_t size, const std::string& tail = "") {
  return LoopbackUrl("/repeat?unit=" + LoopbackQueryEncode(unit) + "&size=" + std::to_string(size) +
                     "&tail=" + LoopbackQueryEncode(tail));
}

std::string Repeated(const std::string& unit, size_t size) {
  std::string text;
  text.reserve(size + unit.size());
  while (text.size() < size) text += unit;
  return text;
}

struct Case {
  std::string what;
  std::vector<std::string> args;  // --timeout and the share text, or empty for stdin
  std::string input;              // standard input
  int exitStatus;
  bool resolves;                        // stdout holds the play address, else an empty line
  std::vector<std::string> errorWords;  // each must stand in standard error
};

std::vector<Case> Cases() {
  const std::string good = GoodPage();
  const std::string missTail = "\"uri\":\"" + kIdentifier + "\"";
  // uri":" followed by 31 word characters and a quote: a near miss at every place.
  const std::string nearMiss = "uri\":\"" + std::string(31, 'a') + "\"";
  const std::string failed = "input 1: the request to ";
  auto port = [](LoopbackPort which, const char* path, const char* scheme = "http") {
    return LoopbackUrlAt(which, path, scheme);
  };
  return {
      // Pastes.
      {"20 MB paste of Chinese text and near misses of http, link at the end",
       {},
       Repeated("看 ht htt HTT:// ", kTwentyMegabytes) + " " + good + "\n",
       0,
       true,
       {}},
      {"invalid UTF-8 before the link",
       {},
       "\xff\xfe\xc0\xaf\x80 " + good + "\n",
       0,
       true,
       {"input 1: bytes that are not UTF-8 were read as \"?\""}},
      {"NUL bytes before the link",
       {},
       std::string("a\0b\0", 4) + " " + good + "\n",
       0,
       true,
       {"input 1: NUL bytes were read as spaces"}},
      {"lone high surrogate (WTF-8)",
       {},
       "\xed\xa0\x80 " + good + "\n",
       0,
       true,
       {"input 1: bytes that are not UTF-8 were read as \"?\""}},
      {"lone low surrogate (WTF-8)",
       {},
       "\xed\xbf\xbf " + good + "\n",
       0,
       true,
       {"input 1: bytes that are not UTF-8 were read as \"?\""}},
      {"surrogate pair encoded as CESU-8",
       {},
       "\xed\xa0\xbd\xed\xb8\x80 " + good + "\n",
       0,
       true,
       {"input 1: bytes that are not UTF-8 were read as \"?\""}},
      {"emoji around the link (valid UTF-8, no code page 936 form)",
       {},
       "\xf0\x9f\x98\x80\xf0\x9f\x8e\xac " + good + " \xf0\x9f\x91\x8d\n",
       0,
       true,
       {}},
      {"20 MB line of bare http words: the first one is the link",
       {},
       Repeated("http ", kTwentyMegabytes) + "\n",
       1,
       false,
       {failed + "http failed (", "only http and https addresses are supported"}},
      // Pages.
      {"20 MB of uri key near misses (31 word characters)",
       {"--timeout", "10", RepeatPage(nearMiss, kTwentyMegabytes)},
       "",
       1,
       false,
       {"input 1: the server answered with status 200 but the page holds no video identifier"}},
      {"20 MB of near misses, then the identifier",
       {"--timeout", "10", RepeatPage(nearMiss, kTwentyMegabytes, missTail)},
       "",
       0,
       true,
       {}},
      {"body above the cap, announced by Content-Length",
       {"--timeout", "10", LoopbackUrl("/big?size=" + std::to_string((64 << 20) + 1))},
       "",
       1,
       false,
       {failed, "the response body is larger than 64 MiB"}},
      {"body above the cap, chunked",
       {"--timeout", "10", LoopbackUrl("/big?chunked=1&size=" + std::to_string((64 << 20) + 1))},
       "",
       1,
       false,
       {failed, "the response body is larger than 64 MiB"}},
      {"body that never ends",
       {"--timeout", "10", LoopbackUrl("/endless")},
       "",
       1,
       false,
       {failed, "the response body is larger than 64 MiB"}},
      // Redirects.
      {"endless redirect loop",
       {"--timeout", "5", LoopbackUrl("/loop")},
       "",
       1,
       false,
       {failed, "more than 10 redirects"}},
      {"redirect to file:///etc/passwd",
       {"--timeout", "5", LoopbackRedirectUrl("file:///etc/passwd")},
       "",
       1,
       false,
       {failed, "redirect to a file: address refused"}},
      {"redirect to FILE: in capitals, over https",
       {"--timeout", "5", LoopbackRedirectUrl("FILE:///etc/passwd", 301, true)},
       "",
       1,
       false,
       {failed, "redirect to a file: address refused"}},
      // Servers that misbehave.
      {"server that trickles the body",
       {"--timeout", "1", port(LoopbackPort::kTrickle, "/body")},
       "",
       1,
       false,
       {failed, "timed out after 1000 ms waiting for the response"}},
      {"server that trickles the header block",
       {"--timeout", "1", port(LoopbackPort::kTrickle, "/head")},
       "",
       1,
       false,
       {failed, "timed out after 1000 ms waiting for the response"}},
      {"server that accepts and never answers",
       {"--timeout", "1", port(LoopbackPort::kSilent, "/")},
       "",
       1,
       false,
       {failed, "timed out after 1000 ms waiting for the response"}},
      {"server that answers bytes that are not HTTP",
       {"--timeout", "2", port(LoopbackPort::kGarbage, "/")},
       "",
       1,
       false,
       {failed, "HTTP/0.9"}},
      {"100 000 header lines",
       {"--timeout", "5", LoopbackUrl("/header-flood?count=100000&length=1")},
       "",
       1,
       false,
       {failed, "Too large response headers"}},
      {"one header line of 1 MB",
       {"--timeout", "5", LoopbackUrl("/header-flood?count=1&length=1048576")},
       "",
       1,
       false,
       {failed, "a response header line is longer than curl accepts"}},
      {"TLS handshake that fails",
       {"--timeout", "2", port(LoopbackPort::kTlsFailure, "/", "https")},
       "",
       1,
       false,
       {failed, "handshake failure"}},
      {"port with nothing listening",
       {"--timeout", "2", port(LoopbackPort::kClosed, "/")},
       "",
       1,
       false,
       {failed, "connection refused"}},
  };
}

TEST(HostileInputTest, EveryCaseEndsWithWhatTheUserShouldSee) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    ProgramRun run = RunProgram(QUOLVANE_RESOLVE_PROGRAM, c.args, c.input, false, kWatchdogSeconds);
    ASSERT_FALSE(run.killed) << "did not end";
    EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
    EXPECT_EQ(run.out, c.resolves ? kPrefix + kIdentifier + "\n" : "\n") << run.out.substr(0, 200);
    for (const std::string& words : c.errorWords) {
      EXPECT_NE(run.err.find(words), std::string::npos) << "missing \"" << words << "\" in\n"
                                                        << run.err;
    }
    if (c.errorWords.empty()) {
      EXPECT_EQ(run.err, "");
    }
    // One message line per input at most, never a dump of what came back, and nothing
    // a terminal would act on.
    EXPECT_LT(run.err.size(), 1000u) << run.err.substr(0, 300);
    for (const std::string* stream : {&run.out, &run.err}) {
      EXPECT_EQ(
          std::count_if(stream->begin(), stream->end(),
                        [](char ch) { return (ch >= 0 && ch < 0x20 && ch != '\n') || ch == 0x7f; }),
          0)
          << stream->substr(0, 300);
    }
  }
}

// The JSON line echoes the input after the same conversion the resolver saw: invalid
// bytes as U+FFFD, emoji intact, and the result is one line of valid UTF-8.
TEST(HostileInputTest, JsonLinesStayValidUtf8) {
  const std::string good = GoodPage();
  struct JsonCase {
    const char* what;
    std::string input;
    std::string inputField;  // the start of the echoed input
  } cases[] = {
      {"emoji", "\xf0\x9f\x98\x80 " + good, "\"input\":\"\xf0\x9f\x98\x80 http"},
      {"lone surrogate", "\xed\xa0\x80 " + good,
       "\"input\":\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd http"},
      {"invalid byte", "\xff " + good, "\"input\":\"\xef\xbf\xbd http"},
  };
  for (const JsonCase& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramRun run = RunProgram(QUOLVANE_RESOLVE_PROGRAM, {"--json", "--timeout", "5"},
                                c.input + "\n", false, kWatchdogSeconds);
    ASSERT_FALSE(run.killed) << "did not end";
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
    EXPECT_NE(run.out.find(c.inputField), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"identifier\":\"" + kIdentifier + "\""), std::string::npos) << run.out;
  }
}

// What the command line cannot show: the link taken out of a 20 MB paste is exactly
// the link, without the text around it.
TEST(HostileInputTest, ResolutionDirectly) {
  const std::string good = GoodPage();
  ShareResolution pasted =
      ResolveShareLink(Text(Repeated("x htt\t", kTwentyMegabytes) + " " + good + " tail"), 5);
  EXPECT_EQ(std::string(pasted.link.View()), good);
  EXPECT_EQ(std::string(pasted.identifier.View()), kIdentifier);
}

// A page, even one served behind a certificate that fails every check, chooses no more
// than 32 word characters: the play address keeps its scheme, host and path.
TEST(HostileInputTest, APageChoosesOnlyTheIdentifier) {
  const std::string id(32, 'Z');
  struct PageCase {
    const char* what;
    std::string body;
    std::string identifier;  // empty: the bare prefix
  } cases[] = {
      {"an address in place of the identifier",
       "{\"uri\":\"https://evil.example/aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"}", ""},
      {"path and host after 32 word characters", "{\"uri\":\"" + id + "/../../@evil.example/x?y\"}",
       id},
      {"quotes and markup after the identifier",
       "{\"uri\":\"" + id + "\\\"><script>alert(1)</script>\"}", id},
      {"line breaks after the identifier",
       "\"uri\":\"" + id + "\r\nLocation: https://evil.example/", id},
      {"full-width and non-ASCII word-like characters", "\"uri\":\"\xef\xbc\xa1" + id + "\"", ""},
  };
  for (const PageCase& c : cases) {
    for (LoopbackPort port : {LoopbackPort::kHttp, LoopbackPort::kHttpsWrongName}) {
      SCOPED_TRACE(std::string(c.what) + (port == LoopbackPort::kHttp ? "" : ", wrong-name TLS"));
      const std::string path = "/text?body=" + LoopbackQueryEncode(c.body);
      ShareResolution result = ResolveShareLink(
          Text(LoopbackUrlAt(port, path, port == LoopbackPort::kHttp ? "http" : "https")), 5);
      EXPECT_EQ(result.status, 200) << result.failureReason.View();
      EXPECT_EQ(std::string(result.playAddress.View()), kPrefix + c.identifier);
    }
  }
}

TEST(HostileInputTest, Ipv6Loopback) {
  ApartmentScope apartment;
  Bytes state = WebRequest(Text(LoopbackUrl("/_ipv6")));
  std::string listening(state.AsChars());
  if (listening != kIpv6Listening)
    GTEST_SKIP() << "the servers have no [::1] listener: " << listening;
  const std::string v6 =
      LoopbackV6Url("/text?body=" + LoopbackQueryEncode("{\"uri\":\"" + kIdentifier + "\"}"));
  struct V6Case {
    std::string what;
    std::string address;
    int exitStatus;
    std::string out;
    std::string errorWords;
  } cases[] = {
      {"page on [::1]", v6, 0, kPrefix + kIdentifier + "\n", ""},
      {"nothing listening on [::1]",
       "http://[::1]:" + std::to_string(LoopbackPortNumber(LoopbackPort::kClosed)) + "/", 1, "\n",
       "connection refused"},
  };
  for (const V6Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramRun run = RunProgram(QUOLVANE_RESOLVE_PROGRAM, {"--timeout", "2", c.address}, "", false,
                                kWatchdogSeconds);
    ASSERT_FALSE(run.killed) << "did not end";
    EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_NE(run.err.find(c.errorWords), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace quolvane
