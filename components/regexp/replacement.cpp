#include "components/regexp/replacement.h"

#include <algorithm>

namespace quolvane::regexp {
namespace {

int DigitAt(std::u16string_view text, size_t i) {
  if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return -1;
  return text[i] - u'0';
}

void AppendGroup(std::u16string& out, std::u16string_view subject, const MatchList& matches,
                 size_t match, uint32_t group) {
  size_t start = matches.Start(match, group);
  if (start == kUnset) return;
  out.append(subject.substr(start, matches.End(match, group) - start));
}

void AppendExpansion(std::u16string& out, std::u16string_view subject, const MatchList& matches,
                     size_t match, std::u16string_view replacement) {
  const uint32_t groups = matches.GroupCount();
  for (size_t i = 0; i < replacement.size(); ++i) {
    char16_t c = replacement[i];
    if (c != u'$' || i + 1 == replacement.size()) {
      out.push_back(c);
      continue;
    }
    char16_t next = replacement[i + 1];
    if (next == u'$') {
      out.push_back(u'$');
      ++i;
    } else if (next == u'&') {
      AppendGroup(out, subject, matches, match, 0);
      ++i;
    } else if (next == u'`') {
      out.append(subject.substr(0, matches.Start(match, 0)));
      ++i;
    } else if (next == u'\'') {
      out.append(subject.substr(matches.End(match, 0)));
      ++i;
    } else if (int first = DigitAt(replacement, i + 1); first >= 0) {
      int second = DigitAt(replacement, i + 2);
      int both = second >= 0 ? first * 10 + second : -1;
      if (both >= 1 && static_cast<uint32_t>(both) <= groups) {
        AppendGroup(out, subject, matches, match, static_cast<uint32_t>(both));
        i += 2;
      } else if (first >= 1 && static_cast<uint32_t>(first) <= groups) {
        AppendGroup(out, subject, matches, match, static_cast<uint32_t>(first));
        i += 1;
      } else {
        out.push_back(u'$');
      }
    } else {
      out.push_back(u'$');
    }
  }
}

}  // namespace

std::u16string ReplaceMatches(std::u16string_view subject, const MatchList& matches,
                              std::u16string_view replacement) {
  const bool plain = replacement.find(u'$') == std::u16string_view::npos;
  std::u16string out;
  out.reserve(subject.size());
  size_t copied = 0;
  for (size_t match = 0; match < matches.Count(); ++match) {
    size_t start = matches.Start(match, 0);
    if (start > copied) out.append(subject.substr(copied, start - copied));
    if (plain) {
      out.append(replacement);
    } else {
      AppendExpansion(out, subject, matches, match, replacement);
    }
    copied = std::max(copied, matches.End(match, 0));
  }
  if (copied < subject.size()) out.append(subject.substr(copied));
  return out;
}

}  // namespace quolvane::regexp
