// quolvane-resolve as its users run it: arguments or standard input in, one line per
// input out, messages on standard error, the exit status, against the loopback servers.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/loopback.h"
#include "tests/support/run_program.h"

namespace quolvane {
namespace {

using testing_support::ProgramRun;
using testing_support::RunProgram;

const std::string kPrefix = "https://aweme.snssdk.com/aweme/v1/play/?video_id=";

// A 32-character identifier that differs per number.
std::string Identifier(int number) {
  std::string id = "v0200fg10000abcdefghijklmno";
  std::string digits = std::to_string(100000 + number);
  return id + digits.substr(digits.size() - 5);
}

std::string PageLink(int number, int delayMs = 0) {
  std::string body = "{\"uri\":\"" + Identifier(number) + "\"}";
  return LoopbackUrl("/slow?ms=" + std::to_string(delayMs) + "&body=" + LoopbackQueryEncode(body));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

ProgramRun Resolve(const std::vector<std::string>& args, const std::string& input = "",
                   bool closeStdout = false) {
  return RunProgram(QUOLVANE_RESOLVE_PROGRAM, args, input, closeStdout);
}

TEST(CliRunTest, OneLinePerInputAndAFailedInputAmongGoodOnes) {
  std::string notFound = LoopbackUrl("/text?status=404&body=gone");
  ProgramRun run =
      Resolve({"--timeout", "5", "看 " + PageLink(1) + " 复制", notFound, PageLink(3)});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(Lines(run.out),
            (std::vector<std::string>{kPrefix + Identifier(1), "", kPrefix + Identifier(3)}));
  EXPECT_EQ(run.err,
            "input 2: the server answered with status 404 but the page holds no video "
            "identifier\n");
}

TEST(CliRunTest, StandardInputKeepsInputOrderWithManyWorkers) {
  // Later inputs answer sooner, so workers finish out of order.
  std::string input;
  std::vector<std::string> expected;
  for (int i = 1; i <= 12; ++i) {
    input += "share " + PageLink(i, (12 - i) * 40) + " text\r\n";
    expected.push_back(kPrefix + Identifier(i));
  }
  ProgramRun run = Resolve({"-j", "8"}, input);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(Lines(run.out), expected);
  EXPECT_EQ(run.err, "");  // no progress line when stderr is not a terminal
}

TEST(CliRunTest, JsonTellsEverythingAboutEachInput) {
  std::string closed = LoopbackUrlAt(LoopbackPort::kClosed, "/x");
  ProgramRun run = Resolve({"--json", "--timeout", "2", PageLink(7), "no link", closed});
  EXPECT_EQ(run.exitStatus, 1);
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 3u) << run.out;
  EXPECT_EQ(lines[0], "{\"input\":\"" + PageLink(7) + "\",\"link\":\"" + PageLink(7) +
                          "\",\"status\":200,\"identifier\":\"" + Identifier(7) +
                          "\",\"playAddress\":\"" + kPrefix + Identifier(7) + "\",\"error\":null}");
  EXPECT_EQ(lines[1],
            "{\"input\":\"no link\",\"link\":\"\",\"status\":0,\"identifier\":\"\","
            "\"playAddress\":\"\",\"error\":\"no link in the text\"}");
  EXPECT_NE(lines[2].find("\"status\":0"), std::string::npos);
  EXPECT_NE(lines[2].find("\"error\":\"the request to " + closed + " failed ("), std::string::npos)
      << lines[2];
}

TEST(CliRunTest, BadInputGetsAClearMessageAndNothingIsLost) {
  std::string huge(20 * 1024 * 1024, 'x');
  struct Case {
    const char* what;
    std::string line;
    bool resolves;
    std::string message;  // expected at the start of stderr
  } cases[] = {
      {"empty line", "", false, "input 1: no link in the text\n"},
      {"invalid UTF-8", "\xff\xfe " + PageLink(1), true,
       "input 1: bytes that are not UTF-8 were read as \"?\"\n"},
      {"NUL byte", std::string("a\0b ", 4) + PageLink(2), true,
       "input 1: NUL bytes were read as spaces\n"},
      {"20 MB line, link at the end", huge + " " + PageLink(3), true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramRun run = Resolve({}, c.line + "\n");
    EXPECT_EQ(run.exitStatus, c.resolves ? 0 : 1);
    EXPECT_EQ(Lines(run.out).size(), 1u);
    EXPECT_EQ(run.out.rfind(c.resolves ? kPrefix : "\n", 0), 0u) << run.out.substr(0, 200);
    EXPECT_EQ(run.err, c.message);
  }
}

TEST(CliRunTest, UsageHelpVersionAndAClosedOutput) {
  struct Case {
    std::vector<std::string> args;
    int exitStatus;
    const char* outStart;
    bool errEmpty;
  } cases[] = {
      {{"--help"}, 0, "Usage: quolvane-resolve", true},
      {{"--version"}, 0, "quolvane-resolve ", true},
      {{"-j", "0", "x"}, 2, "", false},
      {{"--nonsense"}, 2, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    ProgramRun run = Resolve(c.args);
    EXPECT_EQ(run.exitStatus, c.exitStatus);
    EXPECT_EQ(run.out.rfind(c.outStart, 0), 0u) << run.out;
    EXPECT_EQ(run.err.empty(), c.errEmpty) << run.err;
  }

  ProgramRun closed = Resolve({}, PageLink(1) + "\n" + PageLink(2) + "\n", true);
  EXPECT_EQ(closed.exitStatus, 1);  // exited, not killed by SIGPIPE
  EXPECT_EQ(closed.err, "");
}

}  // namespace
}  // namespace quolvane
