// What Execute returns: the match collection (Count, Item), its matches (Value,
// FirstIndex, Length, SubMatches) and their sub-match collections (Count, Item). They
// share one immutable MatchSet, so reading a match makes no copy of the subject.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/com_object.h"
#include "components/regexp/pattern.h"

namespace quolvane::regexp {

class MatchSet {
 public:
  MatchSet(std::u16string_view subject, const MatchList& found);

  [[nodiscard]] size_t Count() const { return firstIndex_.size(); }
  [[nodiscard]] uint32_t GroupCount() const { return groupCount_; }
  // The match's zero-based offset in the subject, in UTF-16 code units.
  [[nodiscard]] size_t FirstIndex(size_t match) const { return firstIndex_[match]; }
  // group 0 is the whole match; nothing for a group that took no part.
  [[nodiscard]] std::optional<std::u16string_view> Group(size_t match, uint32_t group) const;

 private:
  uint32_t groupCount_;
  // Either the matched texts one after another or, when they would take more room than
  // that, a copy of the subject; spans_ point into it.
  std::u16string store_;
  std::vector<size_t> spans_;
  std::vector<size_t> firstIndex_;
};

ComObject MakeMatchCollection(std::shared_ptr<const MatchSet> set);

}  // namespace quolvane::regexp
