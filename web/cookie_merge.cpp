#include "web/cookie_merge.h"

#include <string>

namespace quolvane {

Text CookieName(const Text& item) {
  int32_t equals = FindText(item, "=");
  Text name = equals == -1 ? item : TextLeft(item, equals - 1);
  return TrimSpaces(name);
}

bool CookieNameExists(const TextArray& items, const Text& name) {
  for (int32_t i = 1; i <= items.Count(); ++i) {
    if (TextEqual(CookieName(items.Member(i)), name)) return true;
  }
  return false;
}

int32_t FindMember(const TextArray& members, const Text& text) {
  for (int32_t i = 1; i <= members.Count(); ++i) {
    if (TextEqual(members.Member(i), text)) return i;
  }
  return -1;
}

Text JoinUnique(const Text& text, const Text& separator) {
  TextArray members = SplitText(text, separator);
  TextArray kept;
  std::string joined;
  for (int32_t i = 1; i <= members.Count(); ++i) {
    const Text& member = members.Member(i);
    if (FindMember(kept, member) != -1) continue;
    kept.Append(member);
    joined.append(member.View());
    joined.append(separator.View());
  }
  Text result(joined);
  return TextLeft(result, TextLength(result) - TextLength(separator));
}

Text CookieMerge(Text& cookies, Text& received) {
  cookies = RemoveSpaces(cookies);
  received = RemoveSpaces(received);
  TextArray oldItems = SplitText(cookies, ";");
  TextArray merged = SplitText(received, ";");

  // Checked against the growing list, so an old item also loses to an earlier old
  // item of its name; received items are never compared with each other here.
  for (int32_t i = 1; i <= oldItems.Count(); ++i) {
    const Text& item = oldItems.Member(i);
    if (!CookieNameExists(merged, CookieName(item))) merged.Append(item);
  }

  // A server deletes a cookie by setting it to "deleted"; such items go, whether new or old.
  const Text deletionMarker("=deleted");
  std::string kept;
  for (int32_t i = 1; i <= merged.Count(); ++i) {
    const Text& item = merged.Member(i);
    if (TextEqual(TextRight(item, TextLength(deletionMarker)), deletionMarker)) continue;
    kept.append(item.View());
    kept.append("; ");
  }
  cookies = Text(kept);
  cookies = TextLeft(cookies, TextLength(cookies) - 2);
  cookies = JoinUnique(cookies, "; ");
  return cookies;
}

}  // namespace quolvane
