// RegexObject::Create with any pattern, subject and settings: it returns in bounded time
// (the component stops every attempt at its match limit), a failure is a false result
// with empty readings, and over a single-byte subject every match and sub-match it
// reports is the subject's text at the position it reports.
//
// Input: a byte of flags (case-sensitive, multiline, global, quote marker), then the
// pattern, the subject and a replacement separated by zero bytes.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "automation/apartment.h"
#include "common/text.h"
#include "components/regexp/regexp_component.h"
#include "fuzz/check.h"
#include "regex/regex_object.h"

namespace quolvane::fuzz {
namespace {

// Long subjects only repeat what short ones find, at many more starting positions.
constexpr size_t kMaxPattern = 256;
constexpr size_t kMaxSubject = 128;
// Each attempt stops at the component's match limit (10 million steps, tens of
// milliseconds with the JIT); a run makes at most one attempt per starting position.
// Anything near this bound means a run went past the limit.
constexpr auto kMaxRun = std::chrono::seconds(20);
// Readings past these add time, not coverage.
constexpr int32_t kMaxMatchesRead = 16;
constexpr int32_t kMaxGroupsRead = 8;

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

template <typename F>
void Timed(const char* what, const std::string& detail, F&& run) {
  auto started = std::chrono::steady_clock::now();
  run();
  auto took = std::chrono::steady_clock::now() - started;
  FUZZ_CHECK(
      took < kMaxRun,
      std::string(what) + " took " +
          std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) +
          " ms: " + detail);
}

// A reading over a single-byte subject: the text stands in the subject at the position.
void CheckAt(const Text& subject, const Text& found, int32_t position, const std::string& detail) {
  const std::string at = detail + " gave " + Hex(found.View()) + " at " + std::to_string(position);
  if (found.IsEmpty()) {
    FUZZ_CHECK(position == 0 || position == -2, at);
    return;
  }
  FUZZ_CHECK(position >= 0 && subject.View().substr(static_cast<size_t>(position),
                                                    found.View().size()) == found.View(),
             at);
}

}  // namespace
}  // namespace quolvane::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The programs register every built-in component; only the regular expressions count here.
  quolvane::RegisterRegExpComponent();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quolvane;
  using namespace quolvane::fuzz;
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  const bool caseSensitive = (flags & 1) != 0, multiline = (flags & 2) != 0,
             global = (flags & 4) != 0, replaceQuoteMarker = (flags & 8) != 0;
  auto parts = SplitInput(data + 1, size - 1, 3);
  if (parts[0].size() > kMaxPattern || parts[1].size() > kMaxSubject) return 0;
  const Text pattern(parts[0]), subject(parts[1]), replacement(parts[2].substr(0, 64));
  const std::string detail = "pattern " + Hex(pattern.View()) + " subject " + Hex(subject.View()) +
                             " flags " + std::to_string(flags);

  ApartmentScope apartment;
  RegexObject regex;
  bool created = false;
  Timed("Create", detail, [&] {
    created = regex.Create(pattern, subject, caseSensitive, multiline, global, replaceQuoteMarker);
  });
  const int32_t count = regex.MatchCount();
  FUZZ_CHECK(count >= 0 && (global || count <= 1), detail + " count " + std::to_string(count));
  FUZZ_CHECK(regex.MatchText(0).IsEmpty() && regex.MatchText(count + 1).IsEmpty(), detail);
  if (!created) {
    FUZZ_CHECK(count == 0 && regex.MatchText(1).IsEmpty() && regex.SubMatchCount() == 0, detail);
  }
  // The component holds the expression as written, and a single-byte one comes back as is.
  if (IsAscii(pattern.View())) FUZZ_CHECK(regex.GetPattern() == pattern, detail);

  const bool singleByte = IsAscii(subject.View());
  const int32_t groups = regex.SubMatchCount();
  for (int32_t i = 1; i <= count && i <= kMaxMatchesRead; ++i) {
    int32_t position = -1;
    Text match = regex.MatchText(i, &position);
    const std::string which = detail + " match " + std::to_string(i);
    if (singleByte) CheckAt(subject, match, position, which);
    for (int32_t g = 1; g <= groups && g <= kMaxGroupsRead; ++g) {
      int32_t subPosition = -1;
      Text group = regex.SubMatchText(i, g, &subPosition);
      if (singleByte) {
        FUZZ_CHECK(subject.View().find(group.View()) != std::string_view::npos,
                   which + " group " + std::to_string(g) + " " + Hex(group.View()));
      }
    }
    FUZZ_CHECK(regex.SubMatchText(i, 0).IsEmpty() && regex.SubMatchText(i, groups + 1).IsEmpty(),
               which);
  }

  Text replaced;
  Timed("ReplaceMatches", detail, [&] { replaced = regex.ReplaceMatches(replacement); });
  // Nothing to replace: the subject comes back unchanged.
  if (created && count == 0 && singleByte) {
    FUZZ_CHECK(replaced == subject, detail + " replaced " + Hex(replaced.View()));
  }
  return 0;
}
