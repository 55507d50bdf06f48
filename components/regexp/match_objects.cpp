#include "components/regexp/match_objects.h"

#include <limits>
#include <span>
#include <utility>

#include "automation/dispatch.h"
#include "components/regexp/arguments.h"

namespace quolvane::regexp {
namespace {

Variant CountVariant(size_t count) {
  constexpr auto kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  if (count <= kMax) return Variant::FromInt(static_cast<int32_t>(count));
  return Variant::FromReal(static_cast<double>(count));
}

// The zero-based index a collection's Item was given, when it lies below count.
std::optional<size_t> ItemIndex(std::span<const Variant> args, size_t count) {
  if (args.size() != 1) return std::nullopt;
  std::optional<int32_t> index = IndexArgument(args[0]);
  if (!index || *index < 0 || static_cast<size_t>(*index) >= count) {
    SetCallFailureReason("VBScript.RegExp: Item index out of range");
    return std::nullopt;
  }
  return static_cast<size_t>(*index);
}

bool IsRead(CallKind kind, std::span<const Variant> args) {
  return kind == CallKind::PropertyGet && args.empty();
}

class SubMatchCollection final : public Dispatchable {
 public:
  SubMatchCollection(std::shared_ptr<const MatchSet> set, size_t match)
      : set_(std::move(set)), match_(match) {}

  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (MemberNameEquals(member, "Count") && IsRead(kind, args)) {
      result = CountVariant(set_->GroupCount());
      return true;
    }
    if (MemberNameEquals(member, "Item") && kind == CallKind::PropertyGet) {
      std::optional<size_t> index = ItemIndex(args, set_->GroupCount());
      if (!index) return false;
      auto text = set_->Group(match_, static_cast<uint32_t>(*index + 1));
      // A group that took no part reads as Empty, as in the system component.
      result = text ? Variant::FromWide(std::u16string(*text)) : Variant::MakeEmpty();
      return true;
    }
    return false;
  }

 private:
  std::shared_ptr<const MatchSet> set_;
  size_t match_;
};

class Match final : public Dispatchable {
 public:
  Match(std::shared_ptr<const MatchSet> set, size_t match) : set_(std::move(set)), match_(match) {}

  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (!IsRead(kind, args)) return false;
    if (MemberNameEquals(member, "Value")) {
      result = Variant::FromWide(std::u16string(set_->Group(match_, 0).value_or(u"")));
    } else if (MemberNameEquals(member, "FirstIndex")) {
      result = CountVariant(set_->FirstIndex(match_));
    } else if (MemberNameEquals(member, "Length")) {
      result = CountVariant(set_->Group(match_, 0).value_or(u"").size());
    } else if (MemberNameEquals(member, "SubMatches")) {
      result = Variant::FromObject(ComObject(std::make_shared<SubMatchCollection>(set_, match_)));
    } else {
      return false;
    }
    return true;
  }

 private:
  std::shared_ptr<const MatchSet> set_;
  size_t match_;
};

class MatchCollection final : public Dispatchable {
 public:
  explicit MatchCollection(std::shared_ptr<const MatchSet> set) : set_(std::move(set)) {}

  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (MemberNameEquals(member, "Count") && IsRead(kind, args)) {
      result = CountVariant(set_->Count());
      return true;
    }
    if (MemberNameEquals(member, "Item") && kind == CallKind::PropertyGet) {
      std::optional<size_t> index = ItemIndex(args, set_->Count());
      if (!index) return false;
      result = Variant::FromObject(ComObject(std::make_shared<Match>(set_, *index)));
      return true;
    }
    return false;
  }

 private:
  std::shared_ptr<const MatchSet> set_;
};

}  // namespace

MatchSet::MatchSet(std::u16string_view subject, const MatchList& found)
    : groupCount_(found.GroupCount()) {
  const size_t count = found.Count();
  size_t matchedLength = 0;
  for (size_t match = 0; match < count; ++match) {
    for (uint32_t group = 0; group <= groupCount_; ++group) {
      if (found.Start(match, group) != kUnset) {
        matchedLength += found.End(match, group) - found.Start(match, group);
      }
    }
  }
  // The usual run finds a few short matches in a long page: keeping just their texts
  // spares a copy of the page.
  const bool keepSubject = matchedLength > subject.size() / 2;
  if (keepSubject)
    store_.assign(subject);
  else
    store_.reserve(matchedLength);

  spans_.reserve(count * 2 * (size_t{groupCount_} + 1));
  firstIndex_.reserve(count);
  for (size_t match = 0; match < count; ++match) {
    firstIndex_.push_back(found.Start(match, 0));
    for (uint32_t group = 0; group <= groupCount_; ++group) {
      size_t start = found.Start(match, group);
      size_t end = found.End(match, group);
      if (start != kUnset && !keepSubject) {
        size_t at = store_.size();
        store_.append(subject.substr(start, end - start));
        start = at;
        end = store_.size();
      }
      spans_.push_back(start);
      spans_.push_back(end);
    }
  }
}

std::optional<std::u16string_view> MatchSet::Group(size_t match, uint32_t group) const {
  size_t at = (match * (size_t{groupCount_} + 1) + group) * 2;
  size_t start = spans_[at];
  if (start == kUnset) return std::nullopt;
  return std::u16string_view(store_).substr(start, spans_[at + 1] - start);
}

ComObject MakeMatchCollection(std::shared_ptr<const MatchSet> set) {
  return ComObject(std::make_shared<MatchCollection>(std::move(set)));
}

}  // namespace quolvane::regexp
