// CookieMerge: the merged text follows the merge's rules step by step (written again
// here over the reference text model), holds no deletion marker and no item twice, and
// does not change when it goes through the merge again.
//
// Input: cookies, a zero byte, received.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/text.h"
#include "fuzz/check.h"
#include "fuzz/text_model.h"
#include "web/cookie_merge.h"

namespace quolvane::fuzz {
namespace {

std::string Name(std::string_view item) {
  int32_t equals = model::Find(item, "=", 1, false);
  return model::Trim(equals == -1 ? std::string(item) : model::Left(item, equals - 1));
}

bool IsDeletion(std::string_view item) {
  return model::Right(item, 8) == "=deleted";
}

std::string Unique(std::string_view text, std::string_view separator) {
  std::vector<std::string> kept;
  std::string out;
  for (const std::string& member : model::Split(text, separator)) {
    bool seen = false;
    for (const std::string& k : kept) seen = seen || k == member;
    if (seen) continue;
    kept.push_back(member);
    out += member;
    out += separator;
  }
  return model::Left(out, static_cast<int32_t>(out.size() - separator.size()));
}

std::string Merge(std::string_view cookies, std::string_view received) {
  std::vector<std::string> old = model::Split(model::RemoveSpaces(cookies), ";");
  std::vector<std::string> merged = model::Split(model::RemoveSpaces(received), ";");
  for (const std::string& item : old) {
    bool known = false;
    for (const std::string& m : merged) known = known || Name(m) == Name(item);
    if (!known) merged.push_back(item);
  }
  std::string out;
  for (const std::string& m : merged) {
    if (!IsDeletion(m)) out += m + "; ";
  }
  return Unique(model::Left(out, static_cast<int32_t>(out.size()) - 2), "; ");
}

std::string Detail(const Text& cookies, const Text& received, const Text& result) {
  return "cookies " + Hex(cookies.View()) + " received " + Hex(received.View()) + "\nmerged " +
         Hex(result.View());
}

void CheckHelpers(const Text& a, const Text& b) {
  FUZZ_CHECK(CookieName(a).View() == Name(a.View()), "CookieName " + Hex(a.View()));
  Text unique = JoinUnique(a, b);
  FUZZ_CHECK(unique.View() == Unique(a.View(), b.View()),
             "JoinUnique " + Hex(a.View()) + " at " + Hex(b.View()) + " = " + Hex(unique.View()) +
                 ", model " + Hex(Unique(a.View(), b.View())));
  TextArray items = SplitText(a, ";");
  std::vector<std::string> pieces = model::Split(a.View(), ";");
  int32_t expected = -1;
  bool nameExists = false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (expected == -1 && pieces[i] == b.View()) expected = static_cast<int32_t>(i + 1);
    nameExists = nameExists || Name(pieces[i]) == b.View();
  }
  FUZZ_CHECK(FindMember(items, b) == expected,
             "FindMember " + Hex(b.View()) + " in " + Hex(a.View()));
  FUZZ_CHECK(CookieNameExists(items, b) == nameExists,
             "CookieNameExists " + Hex(b.View()) + " in " + Hex(a.View()));
}

}  // namespace
}  // namespace quolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quolvane;
  using namespace quolvane::fuzz;
  auto parts = SplitInput(data, size, 2);
  const Text cookiesIn(parts[0]), receivedIn(parts[1]);
  CheckHelpers(cookiesIn, receivedIn);

  Text cookies = cookiesIn, received = receivedIn;
  Text result = CookieMerge(cookies, received);
  const std::string detail = Detail(cookiesIn, receivedIn, result);
  FUZZ_CHECK(result.View() == Merge(cookiesIn.View(), receivedIn.View()),
             detail + "\nmodel  " + Hex(Merge(cookiesIn.View(), receivedIn.View())));
  FUZZ_CHECK(cookies == result, detail + "\ncookies afterwards " + Hex(cookies.View()));
  FUZZ_CHECK(received.View() == model::RemoveSpaces(receivedIn.View()),
             detail + "\nreceived afterwards " + Hex(received.View()));

  std::set<std::string> items, names;
  bool namesDistinct = true;
  for (const std::string& item : model::Split(result.View(), "; ")) {
    FUZZ_CHECK(!IsDeletion(item), detail + "\ndeletion marker " + Hex(item));
    FUZZ_CHECK(items.insert(item).second, detail + "\ntwice: " + Hex(item));
    namesDistinct = names.insert(Name(item)).second && namesDistinct;
  }

  // A kept empty item last leaves the text ending in "; ", and splitting drops that
  // trailing empty piece in any later merge; otherwise merging again changes nothing.
  if (result.View().ends_with("; ")) return 0;
  // Merged again as what was received, over nothing sent, it stays as it is.
  Text none, again = result;
  FUZZ_CHECK(CookieMerge(none, again) == result, detail + "\nas received: " + Hex(none.View()));
  // As the cookies sent, with nothing received, it stays too unless two received items
  // shared a name: those both stay in a merge, but only the first of the old ones does.
  Text sent = result, nothing;
  Text remerged = CookieMerge(sent, nothing);
  if (namesDistinct) {
    FUZZ_CHECK(remerged == result, detail + "\nas sent: " + Hex(remerged.View()));
  } else {
    FUZZ_CHECK(remerged.Length() < result.Length(), detail + "\nas sent: " + Hex(remerged.View()));
  }
  return 0;
}
