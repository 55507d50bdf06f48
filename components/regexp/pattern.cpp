#include "components/regexp/pattern.h"

namespace quolvane::regexp {
namespace {

// PCRE2 restarts its match counter at each starting position, so these bound the work
// of one attempt: a pattern that backtracks catastrophically stops within tens of
// milliseconds instead of running for hours.
constexpr uint32_t kMatchLimit = 10'000'000;
// The interpreter, used only when JIT is not available, keeps its backtracking frames
// on the heap.
constexpr uint32_t kDepthLimit = 10'000'000;
constexpr uint32_t kHeapLimitKiB = 512 * 1024;
// A repeated group costs the JIT some 32 to 64 bytes of stack per repetition, so an
// 8 MB subject walked by (a|b)* needs hundreds of megabytes. The stack is reserved
// address space and only pages actually used are committed.
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = size_t{512} * 1024 * 1024;

constexpr uint32_t kCompileOptions =
    PCRE2_UTF | PCRE2_MATCH_INVALID_UTF |  // lone surrogates in a subject are no error
    PCRE2_ALT_BSUX |                       // \uXXXX and \xXX as in ECMAScript
    PCRE2_DOLLAR_ENDONLY |                 // '$' does not match before a final \n
    PCRE2_MATCH_UNSET_BACKREF |            // \1 of a group not (yet) set matches ""
    PCRE2_ALLOW_EMPTY_CLASS |              // [] matches nothing, [^] anything
    PCRE2_NEVER_BACKSLASH_C;               // \C could split a surrogate pair

const std::u16string_view kStartAnchor = u"(?:^|(?<=\r))";
const std::u16string_view kEndAnchor = u"(?:$|(?=\r))";

// Copies pattern[i] up to and including the first occurrence of close after it (or to
// the end) and returns the index of the last character copied.
size_t CopyThrough(std::u16string_view pattern, size_t i, std::u16string_view close,
                   std::u16string& out) {
  size_t found = pattern.find(close, i + 1);
  size_t stop = found == std::u16string_view::npos ? pattern.size() : found + close.size();
  out.append(pattern.substr(i, stop - i));
  return stop - 1;
}

// VBScript lets a Multiline ^ and $ work next to a carriage return as well as a line
// feed. PCRE2 has one newline convention, and LF is the one that keeps '.' matching a
// CR, so each ^ and $ outside a class gets a lookaround for CR added. Escapes, classes
// (with their [:name:] parts), \Q...\E, (?#...) comments and the (?^) option reset are
// passed through untouched.
std::u16string AddCarriageReturnAnchors(std::u16string_view pattern) {
  std::u16string out;
  out.reserve(pattern.size() + 32);
  bool inClass = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char16_t c = pattern[i];
    std::u16string_view rest = pattern.substr(i);
    if (c == u'\\') {
      if (rest.starts_with(u"\\Q")) {
        i = CopyThrough(pattern, i, u"\\E", out);
        continue;
      }
      out.append(rest.substr(0, 2));
      if (rest.size() > 1) ++i;
      continue;
    }
    if (inClass) {
      if (rest.starts_with(u"[:")) {
        i = CopyThrough(pattern, i, u":]", out);
        continue;
      }
      if (c == u']') inClass = false;
      out.push_back(c);
      continue;
    }
    if (c == u'[') {
      inClass = true;
      out.push_back(c);  // a ^ right after it is read inside the class: a negation
      continue;
    }
    if (rest.starts_with(u"(?#")) {
      i = CopyThrough(pattern, i, u")", out);
      continue;
    }
    if (rest.starts_with(u"(?^")) {
      out.append(rest.substr(0, 3));
      i += 2;
      continue;
    }
    if (c == u'^') {
      out.append(kStartAnchor);
    } else if (c == u'$') {
      out.append(kEndAnchor);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string ErrorMessage(int code) {
  PCRE2_UCHAR buffer[256];
  int length = pcre2_get_error_message(code, buffer, sizeof buffer / sizeof buffer[0]);
  if (length < 0) return "error " + std::to_string(code);
  // PCRE2's messages are ASCII.
  std::string message;
  for (int i = 0; i < length; ++i) message.push_back(static_cast<char>(buffer[i] & 0x7F));
  return message;
}

bool IsResourceLimit(int code) {
  return code == PCRE2_ERROR_MATCHLIMIT || code == PCRE2_ERROR_DEPTHLIMIT ||
         code == PCRE2_ERROR_HEAPLIMIT || code == PCRE2_ERROR_JIT_STACKLIMIT ||
         code == PCRE2_ERROR_NOMEMORY;
}

PCRE2_SPTR Units(std::u16string_view text) {
  // char16_t and PCRE2's 16-bit code unit have the same size and representation.
  return reinterpret_cast<PCRE2_SPTR>(text.data());
}

}  // namespace

bool JitSupported() {
  static const bool supported = [] {
    uint32_t jit = 0;
    return pcre2_config(PCRE2_CONFIG_JIT, &jit) >= 0 && jit == 1;
  }();
  return supported;
}

std::unique_ptr<const CompiledPattern> CompiledPattern::Compile(std::u16string_view pattern,
                                                                PatternSettings settings,
                                                                std::string& error) {
  pcre2::CompileContext context(pcre2_compile_context_create(nullptr));
  if (!context) {
    error = "out of memory";
    return nullptr;
  }
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);

  uint32_t options = kCompileOptions;
  if (settings.ignoreCase) options |= PCRE2_CASELESS;
  std::u16string rewritten;
  if (settings.multiline) {
    options |= PCRE2_MULTILINE;
    rewritten = AddCarriageReturnAnchors(pattern);
    pattern = rewritten;
  }

  int code = 0;
  PCRE2_SIZE offset = 0;
  pcre2::Code compiled(
      pcre2_compile(Units(pattern), pattern.size(), options, &code, &offset, context.get()));
  if (!compiled) {
    error = ErrorMessage(code);
    return nullptr;
  }
  uint32_t groups = 0;
  pcre2_pattern_info(compiled.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
  // A pattern the JIT cannot take (too large, say) still runs in the interpreter.
  bool jit = JitSupported() && pcre2_jit_compile(compiled.get(), PCRE2_JIT_COMPLETE) == 0;
  return std::make_unique<const CompiledPattern>(std::move(compiled), groups, jit);
}

RunResult CompiledPattern::FindMatches(std::u16string_view subject, bool all, MatchList& found,
                                       std::string& reason) const {
  pcre2::MatchData data(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
  pcre2::MatchContext context(pcre2_match_context_create(nullptr));
  if (!data || !context) {
    reason = "out of memory";
    return RunResult::Failed;
  }
  pcre2_set_match_limit(context.get(), kMatchLimit);
  pcre2_set_depth_limit(context.get(), kDepthLimit);
  pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
  pcre2::JitStack stack;
  if (jit_) {
    stack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    // Without it the JIT falls back to 32 KB on the machine stack and fails early.
    if (stack) pcre2_jit_stack_assign(context.get(), nullptr, stack.get());
  }

  size_t start = 0;
  while (start <= subject.size()) {
    int rc = pcre2_match(code_.get(), Units(subject), subject.size(), start, 0, data.get(),
                         context.get());
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) {
      reason = ErrorMessage(rc);
      return IsResourceLimit(rc) ? RunResult::LimitReached : RunResult::Failed;
    }
    const PCRE2_SIZE* pairs = pcre2_get_ovector_pointer(data.get());
    found.Append(pairs);
    if (!all) break;
    // \K in a lookahead can report an end before the start; never go backwards.
    size_t end = pairs[1] > start ? pairs[1] : start;
    start = end > pairs[0] ? end : end + 1;
  }
  return RunResult::Done;
}

}  // namespace quolvane::regexp
