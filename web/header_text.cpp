#include "web/header_text.h"

#include <string>

namespace quolvane {
namespace {

// "#引号" in code page 936: lets a caller write a double quote inside a marker.
const Text& QuoteMarker() {
  static const Text marker("#\xD2\xFD\xBA\xC5");
  return marker;
}

Text WithQuotes(const Text& marker) {
  return ReplaceText(marker, QuoteMarker(), "\"", 1, kAllOccurrences, true);
}

}  // namespace

Text HeaderName(const Text& line) {
  int32_t colon = FindText(line, ":");
  if (colon == -1) return {};
  return TrimSpaces(TextLeft(line, colon - 1));
}

Text HeaderValue(const Text& line) {
  int32_t colon = FindText(line, ":");
  if (colon == -1) return {};
  // Everything after the first colon, so an address keeps its own colons.
  return TrimSpaces(TextRight(line, TextLength(line) - colon));
}

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 int32_t startPosition, bool caseInsensitive) {
  Text start = WithQuotes(startMarker);
  Text end = WithQuotes(endMarker);
  int32_t p = FindText(text, start, startPosition, caseInsensitive);
  if (p != -1) p += TextLength(start);
  int32_t q = FindText(text, end, p, caseInsensitive);
  if (p == -1 || q == -1) return {};
  return TextMid(text, p, q - p);
}

Text CollectResponseCookies(const Text& responseHeaders) {
  // Appended in one buffer: a hostile server can send many Set-Cookie lines, and
  // re-concatenating the growing text per line would be quadratic.
  std::string collected;
  TextArray lines = SplitText(responseHeaders, "\r\n");
  for (int32_t i = 1; i <= lines.Count(); ++i) {
    const Text& line = lines.Member(i);
    if (FindText(line, "Set-Cookie") == -1) continue;
    Text item;
    if (FindText(line, ";") == -1) {
      item = TrimSpaces(ReplaceText(line, "Set-Cookie:", Text(), 1, kAllOccurrences, false));
    } else {
      // The attributes after the first ";" (path, expiry...) are not part of the item.
      item = TrimSpaces(TextBetween(line, "Set-Cookie:", ";"));
    }
    collected.append(item.View());
    collected.append("; ");
  }
  Text cookies(collected);
  return TextLeft(cookies, TextLength(cookies) - 2);
}

}  // namespace quolvane
