// HeaderName, HeaderValue, TextBetween and the response-cookie collection over arbitrary
// header blocks: each follows its steps over the reference text model, and what they
// cut out lies inside what they were given.
//
// Input: a byte of start position, a byte of flags, then the header block, the start
// marker and the end marker separated by zero bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fuzz/check.h"
#include "fuzz/text_model.h"
#include "web/header_text.h"

namespace quolvane::fuzz {
namespace {

// "#引号" in code page 936.
const std::string kQuoteMarker = "#\xD2\xFD\xBA\xC5";

bool Contains(std::string_view whole, std::string_view part) {
  return whole.find(part) != std::string_view::npos;
}

std::string Name(std::string_view line) {
  int32_t colon = model::Find(line, ":", 1, false);
  if (colon == -1) return {};
  return model::Trim(model::Left(line, colon - 1));
}

std::string Value(std::string_view line) {
  int32_t colon = model::Find(line, ":", 1, false);
  if (colon == -1) return {};
  return model::Trim(model::Right(line, static_cast<int32_t>(line.size()) - colon));
}

std::string Between(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                    int32_t startPosition, bool caseInsensitive) {
  std::string from = model::Replace(startMarker, kQuoteMarker, "\"", 1, -1, true);
  std::string to = model::Replace(endMarker, kQuoteMarker, "\"", 1, -1, true);
  int32_t p = model::Find(text, from, startPosition, caseInsensitive);
  if (p != -1) p += static_cast<int32_t>(from.size());
  int32_t q = model::Find(text, to, p, caseInsensitive);
  if (p == -1 || q == -1) return {};
  return model::Mid(text, p, q - p);
}

std::string Cookies(std::string_view headers) {
  std::string out;
  for (const std::string& line : model::Split(headers, "\r\n")) {
    if (model::Find(line, "Set-Cookie", 1, false) == -1) continue;
    if (model::Find(line, ";", 1, false) == -1) {
      out += model::Trim(model::Replace(line, "Set-Cookie:", "", 1, -1, false));
    } else {
      out += model::Trim(Between(line, "Set-Cookie:", ";", 0, false));
    }
    out += "; ";
  }
  return model::Left(out, static_cast<int32_t>(out.size()) - 2);
}

void CheckLine(const Text& line) {
  Text name = HeaderName(line), value = HeaderValue(line);
  const std::string detail =
      "line " + Hex(line.View()) + " name " + Hex(name.View()) + " value " + Hex(value.View());
  FUZZ_CHECK(name.View() == Name(line.View()), detail + " model " + Hex(Name(line.View())));
  FUZZ_CHECK(value.View() == Value(line.View()), detail + " model " + Hex(Value(line.View())));
  FUZZ_CHECK(Contains(line.View(), name.View()) && Contains(line.View(), value.View()), detail);
  // Both are empty for a line without a colon, and a name never holds one.
  if (model::Find(line.View(), ":", 1, false) == -1) {
    FUZZ_CHECK(name.IsEmpty() && value.IsEmpty(), detail);
  } else {
    FUZZ_CHECK(model::Find(name.View(), ":", 1, false) == -1, detail);
  }
}

}  // namespace
}  // namespace quolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quolvane;
  using namespace quolvane::fuzz;
  if (size < 2) return 0;
  const int32_t startPosition = SmallInt(data[0]);
  const bool caseInsensitive = (data[1] & 1) != 0;
  auto parts = SplitInput(data + 2, size - 2, 3);
  const Text block(parts[0]), startMarker(parts[1]), endMarker(parts[2]);

  CheckLine(block);
  for (const std::string& line : model::Split(block.View(), "\r\n")) {
    CheckLine(Text(line));
    FUZZ_CHECK(Contains(block.View(), HeaderValue(Text(line)).View()), Hex(block.View()));
  }

  Text between = TextBetween(block, startMarker, endMarker, startPosition, caseInsensitive);
  std::string expected =
      Between(block.View(), startMarker.View(), endMarker.View(), startPosition, caseInsensitive);
  const std::string detail = "TextBetween " + Hex(block.View()) + ", " + Hex(startMarker.View()) +
                             ", " + Hex(endMarker.View()) + ", " + std::to_string(startPosition) +
                             ", " + std::to_string(caseInsensitive) + " = " + Hex(between.View());
  FUZZ_CHECK(between.View() == expected, detail + " model " + Hex(expected));
  FUZZ_CHECK(Contains(block.View(), between.View()), detail);

  Text cookies = CollectResponseCookies(block);
  FUZZ_CHECK(cookies.View() == Cookies(block.View()),
             "CollectResponseCookies " + Hex(block.View()) + " = " + Hex(cookies.View()) +
                 " model " + Hex(Cookies(block.View())));
  // Without a Set-Cookie line nothing is collected.
  if (model::Find(block.View(), "Set-Cookie", 1, false) == -1) {
    FUZZ_CHECK(cookies.IsEmpty(), Hex(block.View()));
  }
  return 0;
}
