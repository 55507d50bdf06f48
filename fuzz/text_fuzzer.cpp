// The text operations against the reference model of fuzz/text_model.h.
//
// Input: four bytes (start, n, count, flags), then text, subtext and replacement
// separated by zero bytes. Every operation runs on every input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fuzz/check.h"
#include "fuzz/text_model.h"

namespace quolvane::fuzz {
namespace {

std::string Args(const Text& text, const Text& subtext, int32_t start, int32_t n) {
  return "text " + Hex(text.View()) + " subtext " + Hex(subtext.View()) + " start " +
         std::to_string(start) + " n " + std::to_string(n);
}

void CheckSlices(const Text& text, int32_t start, int32_t n) {
  const std::string args = Args(text, Text(), start, n);
  FUZZ_CHECK(TextLength(text) == static_cast<int32_t>(text.View().size()), args);
  FUZZ_CHECK(TextLeft(text, n).View() == model::Left(text.View(), n), args);
  FUZZ_CHECK(TextRight(text, n).View() == model::Right(text.View(), n), args);
  FUZZ_CHECK(TextMid(text, start, n).View() == model::Mid(text.View(), start, n), args);
  FUZZ_CHECK(CharCode(text, start) == model::CharCode(text.View(), start), args);
}

void CheckFind(const Text& text, const Text& subtext, int32_t start) {
  for (bool ignoreCase : {false, true}) {
    int32_t found = FindText(text, subtext, start, ignoreCase);
    int32_t expected = model::Find(text.View(), subtext.View(), start, ignoreCase);
    FUZZ_CHECK(found == expected, Args(text, subtext, start, 0) + " ignoreCase " +
                                      std::to_string(ignoreCase) + " found " +
                                      std::to_string(found) + " model " + std::to_string(expected));
  }
  FUZZ_CHECK(FindText(text, subtext) == model::Find(text.View(), subtext.View(), 1, false),
             Args(text, subtext, 1, 0));
}

void CheckReplace(const Text& text, const Text& subtext, const Text& replacement, int32_t start,
                  int32_t count) {
  for (bool caseSensitive : {true, false}) {
    Text replaced = ReplaceText(text, subtext, replacement, start, count, caseSensitive);
    std::string expected = model::Replace(text.View(), subtext.View(), replacement.View(), start,
                                          count, caseSensitive);
    FUZZ_CHECK(replaced.View() == expected, Args(text, subtext, start, count) + " replacement " +
                                                Hex(replacement.View()) + " caseSensitive " +
                                                std::to_string(caseSensitive) + "\ngot   " +
                                                Hex(replaced.View()) + "\nmodel " + Hex(expected));
  }
}

void CheckSplit(const Text& text, const Text& separator) {
  TextArray pieces = SplitText(text, separator);
  std::vector<std::string> expected = model::Split(text.View(), separator.View());
  std::string detail = Args(text, separator, 0, 0) + " pieces " + std::to_string(pieces.Count()) +
                       " model " + std::to_string(expected.size());
  FUZZ_CHECK(pieces.Count() == static_cast<int32_t>(expected.size()), detail);
  for (int32_t i = 1; i <= pieces.Count(); ++i) {
    const std::string& want = expected[static_cast<size_t>(i) - 1];
    FUZZ_CHECK(pieces.Member(i).View() == want, detail + " piece " + std::to_string(i) + " " +
                                                    Hex(pieces.Member(i).View()) + " model " +
                                                    Hex(want));
  }
}

void CheckSpaces(const Text& text) {
  Text trimmed = TrimSpaces(text);
  FUZZ_CHECK(trimmed.View() == model::Trim(text.View()),
             "TrimSpaces " + Hex(text.View()) + " gave " + Hex(trimmed.View()) + " model " +
                 Hex(model::Trim(text.View())));
  Text removed = RemoveSpaces(text);
  FUZZ_CHECK(removed.View() == model::RemoveSpaces(text.View()),
             "RemoveSpaces " + Hex(text.View()) + " gave " + Hex(removed.View()) + " model " +
                 Hex(model::RemoveSpaces(text.View())));
}

void CheckValues(const Text& a, const Text& b, const Text& c, int32_t n) {
  const std::string args = Args(a, b, 0, n);
  FUZZ_CHECK(TextEqual(a, b) == (a.View() == b.View()), args);
  std::string joined = std::string(a.View()) + std::string(b.View()) + std::string(c.View());
  FUZZ_CHECK(ConcatText(a, b, c).View() == joined, args);
  Bytes bytes = TextToBytes(a);
  FUZZ_CHECK(bytes.AsChars() == a.View() && BytesLength(bytes) == TextLength(a), args);
  FUZZ_CHECK(BytesToText(bytes) == a, args);
  // A small count only: ZeroBytes allocates it.
  const int32_t zeros = n > 64 ? 64 : n;
  Bytes all = ConcatBytes(TextToBytes(a), ZeroBytes(zeros), TextToBytes(b));
  FUZZ_CHECK(BytesLength(all) == TextLength(a) + (zeros > 0 ? zeros : 0) + TextLength(b), args);
  // BytesToText stops at the first zero byte.
  const std::string beforeZero =
      zeros > 0 ? std::string(a.View()) : std::string(a.View()) + std::string(b.View());
  FUZZ_CHECK(BytesToText(all).View() == beforeZero, args);
  FUZZ_CHECK(BytesEqual(all, Bytes(all.AsChars())) && (BytesEqual(all, Bytes()) == all.IsEmpty()),
             args);
}

}  // namespace
}  // namespace quolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quolvane;
  using namespace quolvane::fuzz;
  if (size < 4) return 0;
  const int32_t start = SmallInt(data[0]);
  const int32_t n = SmallInt(data[1]);
  const int32_t count = SmallInt(data[2]);
  auto parts = SplitInput(data + 4, size - 4, 3);
  const Text text(parts[0]), subtext(parts[1]), replacement(parts[2]);

  CheckSlices(text, start, n);
  CheckFind(text, subtext, start);
  CheckFind(text, replacement, n);
  CheckReplace(text, subtext, replacement, start, count);
  CheckSplit(text, subtext);
  CheckSpaces(text);
  CheckSpaces(subtext);
  CheckValues(text, subtext, replacement, n);
  return 0;
}
