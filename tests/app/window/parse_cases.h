// What a Parse click must do, for both windows' tests: the pages behind a share text's
// link and the play address the second box must then hold, with the loopback helpers
// that serve such a page and count the requests for it.
#pragma once

#include <string>
#include <vector>

#include "app/resolve.h"
#include "tests/support/loopback.h"
#include "web/web_request.h"

namespace quolvane::testing {

inline constexpr char kIdentifier[] = "v0d00fg10000cq5b3ljc77u2a0test1x";  // 32 word characters

struct ParseCase {
  const char* what;
  std::string page;  // empty: the share text has no link
  std::string playAddress;
};

inline std::vector<ParseCase> ParseCases() {
  const std::string prefix = kPlayAddressPrefix;
  return {
      {"identifier in the page",
       std::string(R"({"play_addr":{"uri":")") + kIdentifier + R"(","url_list":[]}})",
       prefix + kIdentifier},
      {"no uri key in the page", R"({"play_addr":{"url":"nothing here"}})", prefix},
      {"no link in the share text", "", prefix},
  };
}

// A loopback page with the given body, its requests filed under token.
inline std::string PageUrl(const std::string& token, const std::string& body) {
  return LoopbackUrl("/text?t=" + token + "&body=" + LoopbackQueryEncode(body));
}

inline size_t RequestsSeen(const std::string& token) {
  const Bytes log = WebRequest(Text(LoopbackUrl("/_log/" + token)));
  return ParseLog(log.AsChars()).size();
}

// As the app shares it: Chinese around the link, which ends at the first space.
inline std::string ShareTextFor(const std::string& token, const ParseCase& c) {
  std::string share = "7.43 复制打开抖音，看看【测试视频】 ";
  if (!c.page.empty()) share += PageUrl(token, c.page) + " 复制此链接";
  return share;
}

}  // namespace quolvane::testing
