// quolvane-resolve: share texts in, play addresses out, for batch work.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/cli/batch.h"
#include "app/cli/cli_options.h"
#include "app/cli/line_streams.h"
#include "app/cli/terminal.h"
#include "components/register.h"

using namespace quolvane::cli;

int main(int argc, char** argv) {
  PrepareStandardStreams();
  ParseResult parsed = ParseOptions(Utf8Arguments(argc, argv));
  if (!parsed.options) {
    std::fprintf(stderr, "quolvane-resolve: %s\n%s", parsed.error.c_str(), UsageText().c_str());
    return 2;
  }
  const Options& options = *parsed.options;
  if (options.help || options.version) {
    std::fputs((options.help ? UsageText() : VersionText()).c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  quolvane::RegisterBuiltinComponents();

  size_t nextText = 0;
  LineReader input(stdin);
  BatchStreams streams;
  streams.nextInput = [&]() -> std::optional<std::string> {
    if (!options.texts.empty()) {
      if (nextText == options.texts.size()) return std::nullopt;
      return options.texts[nextText++];
    }
    return input.Next();
  };
  streams.writeLine = [](const std::string& line) { return WriteLine(stdout, line); };
  streams.writeError = [](const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
  };
  streams.showProgress = StderrIsTerminal();

  BatchResult result = RunBatch(options, streams);
  if (result.outputClosed) {
    // Nobody reads the rest; the reader may still wait on input, so leave at once.
    std::_Exit(1);
  }
  return result.failed == 0 ? 0 : 1;
}
