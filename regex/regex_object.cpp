#include "regex/regex_object.h"

#include <limits>
#include <span>

#include "automation/apartment.h"
#include "automation/calls.h"

namespace quolvane {
namespace {

const Text kProgId("VBScript.RegExp");
// "#引号" in code page 936; it stands for one double quote in a pattern.
const Text kQuoteMarker("#\xD2\xFD\xBA\xC5");
const Text kDoubleQuote("\"");

// The component's collections count from 0, the caller's numbers from 1. The index
// goes as a double, and number - 1 cannot overflow there.
Variant Item(const ComObject& collection, int32_t number) {
  return GetProperty(collection, "Item", {static_cast<double>(number) - 1.0});
}

}  // namespace

RegexObject::RegexObject() {
  Initialise();
}

// A copy does not run Initialise, yet its destruction leaves the apartment like any
// other object's; entering here keeps the pair.
RegexObject::RegexObject(CopyTag) {
  ApartmentEnter();
  inApartment_ = true;
}

RegexObject::~RegexObject() {
  if (inApartment_) RegexObject::Destroy();
}

void RegexObject::Initialise() {
  ApartmentEnter();
  inApartment_ = true;
}

void RegexObject::Teardown() {
  // The component objects go before the apartment does.
  regExp.Clear();
  matches.Clear();
  subject.Clear();
  if (inApartment_) {
    inApartment_ = false;
    ApartmentLeave();
  }
}

// Teardown has released all three members; the storage goes with the object.
void RegexObject::Destroy() {
  Teardown();
}

std::unique_ptr<RegexObject> RegexObject::Copy() const {
  // The copying constructor is private, out of make_unique's reach.
  std::unique_ptr<RegexObject> copy(new RegexObject(CopyTag{}));
  copy->regExp = regExp;
  copy->matches = matches;
  copy->subject = subject;
  return copy;
}

bool RegexObject::Create(const Text& pattern, const Text& subjectText, bool caseSensitive,
                         bool multiline, bool global, bool replaceQuoteMarker) {
  const bool ignoreCase = !caseSensitive;
  regExp.Clear();
  matches.Clear();
  // On failure regExp stays empty and every call below fails silently.
  CreateObject(regExp, kProgId);

  // The outcome of the writes is not looked at: the component has no Singleline, so
  // that one always fails.
  PutProperty(regExp, "IgnoreCase", {ignoreCase});
  PutProperty(regExp, "Multiline", {multiline});
  PutProperty(regExp, "Singleline", {true});
  PutProperty(regExp, "Global", {global});

  const Text expression = replaceQuoteMarker ? ReplaceText(pattern, kQuoteMarker, kDoubleQuote, 1,
                                                           kAllOccurrences, true)
                                             : pattern;
  PutProperty(regExp, "Pattern", {expression});

  subject.Clear();
  subject = Variant::FromText(subjectText);

  // The subject goes as it is held: a fetched page can be megabytes of wide text.
  matches = CallMethod(regExp, "Execute", std::span<const Variant>(&subject, 1)).ToObject();
  return !matches.IsEmpty();
}

Text RegexObject::GetPattern() const {
  if (regExp.IsEmpty()) return Text();
  return GetProperty(regExp, "Pattern").ToText();
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
  Variant replacementValue = Variant::FromText(replacement);
  Text result = CallMethod(regExp, "Replace", {subject, replacementValue}).ToText();
  replacementValue.Clear();
  return result;
}

int32_t RegexObject::MatchCount() const {
  if (matches.IsEmpty()) return 0;
  return GetProperty(matches, "Count").ToInt();
}

Text RegexObject::MatchText(int32_t index, int32_t* position) const {
  ComObject match = Item(matches, index).ToObject();
  Text found = GetProperty(match, "Value").ToText();
  if (position != nullptr) *position = PositionOf(found, match);
  match.Clear();
  return found;
}

Text RegexObject::SubMatchText(int32_t matchIndex, int32_t subIndex, int32_t* position) const {
  ComObject match = Item(matches, matchIndex).ToObject();
  ComObject subMatches = GetProperty(match, "SubMatches").ToObject();
  // A group that took no part reads as Empty, which gives the empty text.
  Text found = Item(subMatches, subIndex).ToText();
  // A sub-match carries no offset of its own; the search starts at its match.
  if (position != nullptr) *position = PositionOf(found, match);
  match.Clear();
  subMatches.Clear();
  return found;
}

int32_t RegexObject::SubMatchCount() const {
  ComObject match = GetProperty(matches, "Item", {int32_t{0}}).ToObject();
  ComObject subMatches = GetProperty(match, "SubMatches").ToObject();
  int32_t count = GetProperty(subMatches, "Count").ToInt();
  match.Clear();
  subMatches.Clear();
  return count;
}

// The component counts characters of its wide text, the caller bytes of the Text, so
// the text is looked for from the match's character offset on, read as a byte position.
int32_t RegexObject::PositionOf(const Text& found, const ComObject& match) const {
  const Text subjectText = subject.ToText();
  const int32_t firstIndex = GetProperty(match, "FirstIndex").ToInt();
  const bool ignoreCase = GetProperty(regExp, "IgnoreCase").ToBool().value_or(false);
  const int32_t start =
      firstIndex < std::numeric_limits<int32_t>::max() ? firstIndex + 1 : firstIndex;
  return FindText(subjectText, found, start, ignoreCase) - 1;
}

}  // namespace quolvane
