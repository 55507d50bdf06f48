// Owning handles for the PCRE2 objects the built-in RegExp uses (16-bit code units,
// so the component's wide text goes in unconverted).
#pragma once

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 16
#endif
#include <pcre2.h>

#include <memory>

namespace quolvane::pcre2 {

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

}  // namespace quolvane::pcre2
