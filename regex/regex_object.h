// RegexObject: one expression, the subject it ran over and the matches it found, over
// the VBScript.RegExp component. Match and sub-match numbers start at 1; positions are
// zero-based byte offsets into the subject as Text. Nothing here reports an error: a
// failed call gives an empty result.
#pragma once

#include <cstdint>
#include <memory>

#include "automation/com_object.h"
#include "automation/variant.h"
#include "common/text.h"

namespace quolvane {

class RegexObject {
 public:
  // Runs Initialise: enters the thread's automation apartment.
  RegexObject();
  // Runs Destroy unless it already ran.
  virtual ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // The virtual operations, in slot order.
  virtual void Destroy();
  // Shares the component objects and copies the subject. The copy enters the apartment
  // itself so that its own destruction stays paired.
  [[nodiscard]] virtual std::unique_ptr<RegexObject> Copy() const;
  virtual bool Create(const Text& pattern, const Text& subject, bool caseSensitive = false,
                      bool multiline = true, bool global = true, bool replaceQuoteMarker = false);
  [[nodiscard]] virtual Text GetPattern() const;
  [[nodiscard]] virtual Text ReplaceMatches(const Text& replacement = Text()) const;
  [[nodiscard]] virtual int32_t MatchCount() const;
  virtual Text MatchText(int32_t index, int32_t* position = nullptr) const;
  virtual Text SubMatchText(int32_t matchIndex, int32_t subIndex,
                            int32_t* position = nullptr) const;
  [[nodiscard]] virtual int32_t SubMatchCount() const;

 private:
  struct CopyTag {};
  explicit RegexObject(CopyTag);
  void Initialise();
  void Teardown();
  int32_t PositionOf(const Text& found, const ComObject& match) const;

  ComObject regExp;
  ComObject matches;
  Variant subject;
  bool inApartment_ = false;
};

}  // namespace quolvane
