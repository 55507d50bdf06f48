#include "components/regexp/regexp_component.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "automation/registry.h"
#include "components/regexp/arguments.h"
#include "components/regexp/match_objects.h"
#include "components/regexp/pattern.h"
#include "components/regexp/replacement.h"

namespace quolvane {
namespace {

using regexp::CompiledPattern;
using regexp::MatchList;
using regexp::PatternSettings;
using regexp::RunResult;

bool Fail(std::string_view reason) {
  SetCallFailureReason(std::string("VBScript.RegExp: ") + std::string(reason));
  return false;
}

// The RegExp object: Pattern, IgnoreCase, Global and Multiline (all off and empty when
// new, as in the system component), Execute, Replace and Test. There is no Singleline:
// writing it fails like any unknown member.
class RegExp final : public Dispatchable {
 public:
  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (bool* flag = Flag(member)) return AccessFlag(*flag, kind, args, result);
    if (MemberNameEquals(member, "Pattern")) return AccessPattern(kind, args, result);
    // Windows asks a property read for "method or property get", so methods answer it.
    if (kind == CallKind::PropertyPut) return false;
    if (MemberNameEquals(member, "Execute") && args.size() == 1) return Execute(args[0], result);
    if (MemberNameEquals(member, "Replace") && args.size() == 2) {
      return Replace(args[0], args[1], result);
    }
    if (MemberNameEquals(member, "Test") && args.size() == 1) return Test(args[0], result);
    return false;
  }

 private:
  bool* Flag(std::string_view member) {
    if (MemberNameEquals(member, "IgnoreCase")) return &ignoreCase_;
    if (MemberNameEquals(member, "Global")) return &global_;
    if (MemberNameEquals(member, "Multiline")) return &multiline_;
    return nullptr;
  }

  static bool AccessFlag(bool& flag, CallKind kind, std::span<const Variant> args,
                         Variant& result) {
    if (kind == CallKind::PropertyGet && args.empty()) {
      result = Variant::FromBool(flag);
      return true;
    }
    if (kind == CallKind::PropertyPut && args.size() == 1) {
      std::optional<bool> value = regexp::BoolArgument(args[0]);
      if (!value) return false;
      flag = *value;
      return true;
    }
    return false;
  }

  bool AccessPattern(CallKind kind, std::span<const Variant> args, Variant& result) {
    if (kind == CallKind::PropertyGet && args.empty()) {
      result = Variant::FromWide(pattern_);
      return true;
    }
    if (kind == CallKind::PropertyPut && args.size() == 1) {
      regexp::TextArgument value(args[0]);
      if (!value.IsValid()) return false;
      pattern_.assign(value.View());
      return true;
    }
    return false;
  }

  // Compiled when first run, as the system component does: a bad pattern is only
  // reported by Execute, Replace or Test.
  const CompiledPattern* Compiled() {
    PatternSettings settings{ignoreCase_, multiline_};
    if (compiled_ && compiledPattern_ == pattern_ && compiledSettings_ == settings) {
      return compiled_.get();
    }
    compiled_.reset();
    std::string error;
    compiled_ = CompiledPattern::Compile(pattern_, settings, error);
    if (!compiled_) {
      Fail("syntax error in the pattern: " + error);
      return nullptr;
    }
    compiledPattern_ = pattern_;
    compiledSettings_ = settings;
    return compiled_.get();
  }

  // The matches of one run over subject; nothing when the run could not finish.
  std::optional<MatchList> Run(std::u16string_view subject, bool all) {
    const CompiledPattern* pattern = Compiled();
    if (pattern == nullptr) return std::nullopt;
    MatchList found(pattern->GroupCount());
    std::string reason;
    switch (pattern->FindMatches(subject, all, found, reason)) {
      case RunResult::Done:
        return found;
      case RunResult::LimitReached:
        Fail("the match stopped at a resource limit: " + reason);
        return std::nullopt;
      case RunResult::Failed:
        Fail("the match failed: " + reason);
        return std::nullopt;
    }
    return std::nullopt;
  }

  bool Execute(const Variant& subjectArg, Variant& result) {
    regexp::TextArgument subject(subjectArg);
    if (!subject.IsValid()) return Fail("Execute needs a text");
    std::optional<MatchList> found = Run(subject.View(), global_);
    if (!found) return false;
    auto set = std::make_shared<const regexp::MatchSet>(subject.View(), *found);
    result = Variant::FromObject(regexp::MakeMatchCollection(std::move(set)));
    return true;
  }

  bool Replace(const Variant& subjectArg, const Variant& replacementArg, Variant& result) {
    regexp::TextArgument subject(subjectArg);
    regexp::TextArgument replacement(replacementArg);
    if (!subject.IsValid() || !replacement.IsValid()) return Fail("Replace needs texts");
    std::optional<MatchList> found = Run(subject.View(), global_);
    if (!found) return false;
    result = Variant::FromWide(regexp::ReplaceMatches(subject.View(), *found, replacement.View()));
    return true;
  }

  bool Test(const Variant& subjectArg, Variant& result) {
    regexp::TextArgument subject(subjectArg);
    if (!subject.IsValid()) return Fail("Test needs a text");
    std::optional<MatchList> found = Run(subject.View(), false);
    if (!found) return false;
    result = Variant::FromBool(found->Count() > 0);
    return true;
  }

  std::u16string pattern_;
  bool ignoreCase_ = false;
  bool global_ = false;
  bool multiline_ = false;

  std::unique_ptr<const CompiledPattern> compiled_;
  std::u16string compiledPattern_;
  PatternSettings compiledSettings_;
};

}  // namespace

std::shared_ptr<Dispatchable> MakeRegExpComponent() {
  return std::make_shared<RegExp>();
}

void RegisterRegExpComponent() {
  // Asked once here, at start, rather than in the middle of the first match.
  (void)regexp::JitSupported();
  RegisterComponent(kRegExpProgId, [] { return MakeRegExpComponent(); });
}

}  // namespace quolvane
