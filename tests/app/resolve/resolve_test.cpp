// The resolution end to end, against the loopback servers playing the service.
#include <gtest/gtest.h>

#include <string>

#include "app/resolve.h"
#include "common/codepage.h"
#include "regex/regex_object.h"
#include "tests/support/loopback.h"
#include "web/web_request.h"

namespace quolvane {
namespace {

const std::string kId32 = "v0200fg10000c1a2b3c4d5e6f7g8h9i0";  // 32 word characters

// The log's HTTP parser hands header values over percent-decoded; the echo suites of the
// web layer show the exact bytes on the wire.
std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<ReceivedRequest> Log(const std::string& token) {
  // Bytes, not Text: a logged header may hold a zero byte.
  return ParseLog(WebRequest(Text(LoopbackUrl("/_log/" + token))).AsChars());
}

std::string PageUrl(const std::string& token, std::string_view body, int status = 200) {
  return LoopbackUrl("/text?t=" + token + "&status=" + std::to_string(status) +
                     "&type=text/html&body=" + LoopbackQueryEncode(body));
}

TEST(LinkPatternTest, TheLinkEndsWhereAUrlCannotGoOn) {
  struct Case {
    const char* shareText;  // UTF-8
    const char* link;
  } cases[] = {
      {"0.53 02/26 I@v.sE Fus:/ 你别太帅了郑润泽# 现场版live # 音乐节 # 郑润泽  "
       "https://v.douyin.com/iRNBho6u/ 复制此链接，打开Dou音搜索，直接观看视频!",
       "https://v.douyin.com/iRNBho6u/"},
      {"7.43 pda:/ 让你在几秒钟之内记住我  https://v.douyin.com/L5pbfdP/ "
       "复制此链接，打开Dou音搜索，直接观看视频！",
       "https://v.douyin.com/L5pbfdP/"},
      {"看看这个https://v.douyin.com/abc123/复制此链接", "https://v.douyin.com/abc123/"},
      {"HTTPS://V.DOUYIN.COM/ABC/ words", "HTTPS://V.DOUYIN.COM/ABC/"},
      {"two https://a.example/1 https://b.example/2", "https://a.example/1"},
      {"tab\thttps://v.douyin.com/t/\tafter", "https://v.douyin.com/t/"},
      {"full-width space https://v.douyin.com/f/　after", "https://v.douyin.com/f/"},
      {"line https://v.douyin.com/n/\nnext", "https://v.douyin.com/n/"},
      {"words inside: xhttpy", "httpy"},
      {"no link here", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shareText);
    RegexObject matcher;
    matcher.Create(kLinkPattern, Utf8ToAnsi(c.shareText));
    EXPECT_EQ(matcher.MatchText(1), Text(c.link));
  }
}

TEST(ResolveTest, FindsTheIdentifierInThePageBehindTheLink) {
  struct Case {
    const char* what;
    std::string body;
    int status;
    std::string identifier;  // empty: the bare prefix
  } cases[] = {
      {"one key", "<script>{\"uri\":\"" + kId32 + "\",\"x\":1}</script>", 200, kId32},
      {"first of two wins", "\"uri\":\"" + kId32 + "\" \"uri\":\"" + std::string(32, 'B') + "\"",
       200, kId32},
      {"40 word characters give the first 32", "\"uri\":\"" + kId32 + "ABCDEFGH\"", 200, kId32},
      {"31 then a later 32", "\"uri\":\"" + kId32.substr(0, 31) + "\" \"uri\":\"" + kId32 + "\"",
       200, kId32},
      {"key in capitals", "\"URI\":\"" + kId32 + "\"", 200, kId32},
      {"zero byte before the identifier", std::string("x\0\"uri\":\"", 9) + kId32, 200, ""},
      {"404 page without identifier", "not found", 404, ""},
      {"error status is searched all the same", "\"uri\":\"" + kId32 + "\"", 500, kId32},
      {"no key", "<html>nothing</html>", 200, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string token = LoopbackToken();
    std::string link = PageUrl(token, c.body, c.status);
    ShareResolution result = ResolveShareLink(Utf8ToAnsi("复制打开抖音 " + link + " 看看"), 5);
    EXPECT_EQ(result.link, Text(link));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.identifier, Text(c.identifier));
    EXPECT_EQ(result.playAddress, ConcatText(kPlayAddressPrefix, Text(c.identifier)));

    std::vector<ReceivedRequest> seen = Log(token);
    ASSERT_EQ(seen.size(), 1u) << "exactly one request per resolution";
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].Value("Referer"), PercentDecoded(link));
    EXPECT_EQ(seen[0].Value("Accept"), "*/*");
    EXPECT_EQ(seen[0].Value("Accept-Language"), "zh-cn");
    EXPECT_EQ(seen[0].Value("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
    EXPECT_FALSE(seen[0].Has("Cookie"));
  }
}

TEST(ResolveTest, AShortLinkIsFollowedToTheSharePage) {
  std::string token = LoopbackToken();
  std::string shortLink = LoopbackRedirectUrl(PageUrl(token, "{\"uri\":\"" + kId32 + "\"}"), 302);
  ShareResolution result = ResolveShareLink(Text(shortLink), 5);
  EXPECT_EQ(result.status, 200);
  EXPECT_EQ(result.identifier, Text(kId32));
  EXPECT_EQ(Log(token).size(), 1u);
}

TEST(ResolveTest, EveryCallMakesItsOwnRequest) {
  std::string token = LoopbackToken();
  Text shareText(PageUrl(token, "\"uri\":\"" + kId32 + "\""));
  EXPECT_EQ(ResolveShareText(shareText), ConcatText(kPlayAddressPrefix, Text(kId32)));
  EXPECT_EQ(ResolveShareText(shareText), ConcatText(kPlayAddressPrefix, Text(kId32)));
  EXPECT_EQ(Log(token).size(), 2u);
}

TEST(ResolveTest, FailuresEndWithTheBarePrefixAndSayWhy) {
  ShareResolution noLink = ResolveShareLink(Text("no link at all"), 2);
  EXPECT_EQ(noLink.link, Text());
  EXPECT_EQ(noLink.status, 0);
  EXPECT_EQ(noLink.playAddress, Text(kPlayAddressPrefix));

  ShareResolution noServer =
      ResolveShareLink(Text(LoopbackUrlAt(LoopbackPort::kClosed, "/share/x")), 2);
  EXPECT_EQ(noServer.status, 0);
  EXPECT_EQ(noServer.identifier, Text());
  EXPECT_EQ(noServer.playAddress, Text(kPlayAddressPrefix));
  EXPECT_FALSE(noServer.failureReason.IsEmpty());
}

}  // namespace
}  // namespace quolvane
