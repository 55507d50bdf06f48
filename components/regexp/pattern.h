// A VBScript-dialect expression compiled for PCRE2, and the searches run with it.
//
// The dialect is the ECMAScript 3 one of the system component: \w, \d, \s and \b are
// ASCII, '.' matches anything but a line feed, a non-Multiline '$' only matches at the
// very end, a back reference to a group that took no part matches the empty text, and
// \uXXXX and \xXX are character escapes. Where PCRE2 differs it is noted in README.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "components/regexp/pcre2_handles.h"

namespace quolvane::regexp {

struct PatternSettings {
  bool ignoreCase = false;
  bool multiline = false;
  friend bool operator==(const PatternSettings&, const PatternSettings&) = default;
};

// Offsets of a group that took no part in its match.
inline constexpr size_t kUnset = PCRE2_UNSET;

// The matches of one run in the order found: for each, a [start, end) pair of code-unit
// offsets for the whole match and then one for each capture group.
class MatchList {
 public:
  explicit MatchList(uint32_t groupCount) : groupCount_(groupCount) {}

  [[nodiscard]] uint32_t GroupCount() const { return groupCount_; }
  [[nodiscard]] size_t Count() const { return offsets_.size() / Stride(); }
  // group 0 is the whole match.
  [[nodiscard]] size_t Start(size_t match, uint32_t group) const {
    return offsets_[match * Stride() + 2 * size_t{group}];
  }
  [[nodiscard]] size_t End(size_t match, uint32_t group) const {
    return offsets_[match * Stride() + 2 * size_t{group} + 1];
  }
  void Append(const size_t* pairs) { offsets_.insert(offsets_.end(), pairs, pairs + Stride()); }

 private:
  [[nodiscard]] size_t Stride() const { return 2 * (size_t{groupCount_} + 1); }

  uint32_t groupCount_;
  std::vector<size_t> offsets_;
};

enum class RunResult {
  Done,
  LimitReached,  // a match, depth, heap or JIT stack limit stopped the run
  Failed,
};

class CompiledPattern {
 public:
  // Null, with PCRE2's message in error, when the expression cannot be used.
  static std::unique_ptr<const CompiledPattern> Compile(std::u16string_view pattern,
                                                        PatternSettings settings,
                                                        std::string& error);

  CompiledPattern(pcre2::Code code, uint32_t groupCount, bool jit)
      : code_(std::move(code)), groupCount_(groupCount), jit_(jit) {}

  [[nodiscard]] uint32_t GroupCount() const { return groupCount_; }

  // The first match, or with all every match without overlap, appended to found. As in
  // the system component an empty match moves the next search on by one code unit.
  // Anything but Done leaves a short reason.
  RunResult FindMatches(std::u16string_view subject, bool all, MatchList& found,
                        std::string& reason) const;

 private:
  pcre2::Code code_;
  uint32_t groupCount_;
  bool jit_;
};

// Whether this PCRE2 was built with JIT support; asked once, at the first call.
bool JitSupported();

}  // namespace quolvane::regexp
