#include "app/cli/cli_options.h"

#include <charconv>

namespace quolvane::cli {
namespace {

std::optional<int> PositiveNumber(const std::string& text, int maximum) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end || value < 1 || value > maximum) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string UsageText() {
  return "Usage: quolvane-resolve [options] [SHARE_TEXT ...]\n"
         "Turns the share text of a Douyin video into its play address without watermark.\n"
         "With no SHARE_TEXT, reads standard input, one share text per line.\n"
         "\n"
         "Options:\n"
         "  --json           one JSON object per input instead of the address alone\n"
         "  -j N, --jobs N   resolve up to N inputs at once (default 4); output keeps input order\n"
         "  --timeout S      seconds allowed for each phase of a request (default 15)\n"
         "  -h, --help       show this help\n"
         "  -V, --version    show the version\n"
         "\n"
         "Exit status: 0 when every input resolved, 1 when any did not, 2 on a usage error.\n";
}

std::string VersionText() {
  return std::string("quolvane-resolve ") + QUOLVANE_VERSION + "\n";
}

ParseResult ParseOptions(const std::vector<std::string>& args) {
  Options options;
  bool onlyTexts = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyTexts || arg.empty() || arg[0] != '-' || arg == "-") {
      options.texts.push_back(arg);
      continue;
    }
    // Options that take a value accept it joined ("-j8", "--jobs=8") or as the next word.
    auto value = [&](const std::string& name, size_t joinedAt) -> std::optional<std::string> {
      if (arg.size() > joinedAt) return arg.substr(joinedAt);
      if (i + 1 < args.size()) return args[++i];
      (void)name;
      return std::nullopt;
    };
    if (arg == "--") {
      onlyTexts = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "-V" || arg == "--version") {
      options.version = true;
    } else if (arg.rfind("-j", 0) == 0 || arg == "--jobs" || arg.rfind("--jobs=", 0) == 0) {
      size_t joinedAt = arg.rfind("--jobs", 0) == 0 ? (arg.size() > 6 ? 7 : 6) : 2;
      auto text = value("-j", joinedAt);
      auto jobs = text ? PositiveNumber(*text, 256) : std::nullopt;
      if (!jobs) return {std::nullopt, "-j needs a number of jobs from 1 to 256"};
      options.jobs = *jobs;
    } else if (arg == "--timeout" || arg.rfind("--timeout=", 0) == 0) {
      auto text = value("--timeout", arg.size() > 9 ? 10 : 9);
      // Larger values would overflow the request's millisecond timeouts.
      auto seconds = text ? PositiveNumber(*text, 2147483) : std::nullopt;
      if (!seconds) return {std::nullopt, "--timeout needs a number of seconds from 1 to 2147483"};
      options.timeoutSeconds = *seconds;
    } else {
      return {std::nullopt, "unknown option " + arg};
    }
  }
  return {options, {}};
}

}  // namespace quolvane::cli
