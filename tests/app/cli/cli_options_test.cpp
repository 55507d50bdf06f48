// The resolver's command line and the words it tells the user.
#include <gtest/gtest.h>

#include "app/cli/batch.h"
#include "app/cli/cli_options.h"
#include "app/cli/report.h"

namespace quolvane::cli {
namespace {

TEST(CliOptionsTest, ParsesOptionsAndTexts) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    bool json;
    int jobs;
    int timeout;
    std::vector<std::string> texts;
  } cases[] = {
      {{}, true, false, 4, 15, {}},
      {{"--json", "a", "b"}, true, true, 4, 15, {"a", "b"}},
      {{"-j", "8", "x"}, true, false, 8, 15, {"x"}},
      {{"-j2", "--jobs=3"}, true, false, 3, 15, {}},
      {{"--timeout", "3", "--timeout=7"}, true, false, 4, 7, {}},
      {{"--", "--json", "-j"}, true, false, 4, 15, {"--json", "-j"}},
      {{"-", ""}, true, false, 4, 15, {"-", ""}},
      {{"-j", "0"}, false, false, 0, 0, {}},
      {{"-j"}, false, false, 0, 0, {}},
      {{"-j", "many"}, false, false, 0, 0, {}},
      {{"--timeout", "2147484"}, false, false, 0, 0, {}},
      {{"--frobnicate"}, false, false, 0, 0, {}},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& arg : c.args) joined += "[" + arg + "]";
    SCOPED_TRACE(joined);
    ParseResult result = ParseOptions(c.args);
    ASSERT_EQ(result.options.has_value(), c.ok) << result.error;
    if (!c.ok) {
      EXPECT_FALSE(result.error.empty());
      continue;
    }
    EXPECT_EQ(result.options->json, c.json);
    EXPECT_EQ(result.options->jobs, c.jobs);
    EXPECT_EQ(result.options->timeoutSeconds, c.timeout);
    EXPECT_EQ(result.options->texts, c.texts);
  }
}

TEST(CliReportTest, FailuresAreToldInTheUsersWords) {
  ShareResolution noLink;
  noLink.playAddress = kPlayAddressPrefix;
  ShareResolution noAnswer = noLink;
  noAnswer.link = "https://v.douyin.com/x/";
  noAnswer.failureReason = "connection refused";
  ShareResolution noIdentifier = noAnswer;
  noIdentifier.status = 404;
  ShareResolution resolved = noIdentifier;
  resolved.status = 200;
  resolved.identifier = "v0200fg10000abcdefghijklmnopqrstu";
  resolved.playAddress = ConcatText(kPlayAddressPrefix, resolved.identifier);

  EXPECT_EQ(FailureText(noLink), "no link in the text");
  EXPECT_EQ(FailureText(noAnswer),
            "the request to https://v.douyin.com/x/ failed (connection refused)");
  EXPECT_EQ(FailureText(noIdentifier),
            "the server answered with status 404 but the page holds no video identifier");
  EXPECT_EQ(FailureText(resolved), "");

  Outcome failed = Report(3, "words", noIdentifier, false);
  EXPECT_FALSE(failed.resolved);
  EXPECT_EQ(failed.line, "");  // the bare prefix is never printed as a result
  EXPECT_EQ(failed.message.rfind("input 3: ", 0), 0u);

  Outcome json = Report(1, "a \"quoted\"\ttext", resolved, true);
  EXPECT_EQ(json.line,
            "{\"input\":\"a \\\"quoted\\\"\\u0009text\",\"link\":\"https://v.douyin.com/x/\","
            "\"status\":200,\"identifier\":\"v0200fg10000abcdefghijklmnopqrstu\","
            "\"playAddress\":\"https://aweme.snssdk.com/aweme/v1/play/"
            "?video_id=v0200fg10000abcdefghijklmnopqrstu\",\"error\":null}");
}

TEST(CliInputTest, BadBytesAreKeptReadableAndReported) {
  struct Case {
    std::string raw;
    std::string utf8;
    bool warned;
  } cases[] = {
      {"plain https://v.douyin.com/a/", "plain https://v.douyin.com/a/", false},
      {"\xE4\xBD\xA0 ok", "\xE4\xBD\xA0 ok", false},
      {std::string("a\0https://x/", 12), "a https://x/", true},
      {"\xFF https://x/", "\xFF https://x/", true},
      {"\xED\xA0\x80 lone surrogate", "\xED\xA0\x80 lone surrogate", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    PreparedInput prepared = PrepareInput(c.raw);
    EXPECT_EQ(prepared.utf8, c.utf8);
    EXPECT_EQ(!prepared.warning.empty(), c.warned) << prepared.warning;
  }
}

}  // namespace
}  // namespace quolvane::cli
