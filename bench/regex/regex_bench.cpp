// RegexObject::Create with the identifier pattern over a fetched page, against
// grep -c over the same bytes. The page is mostly ASCII markup and JSON with some
// Chinese text, and the identifier sits near its end, as on the real pages.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "common/codepage.h"
#include "components/regexp/regexp_component.h"
#include "regex/regex_object.h"

namespace quolvane {
namespace {

const Text kIdentifierPattern(R"(uri":"(\w{32}))");
const char* const kIdentifier = "v0d00fg10000ck1a2b3c4d5e6f7g8h9i";

// One feed entry of markup and inline JSON, about 700 bytes, with near misses of the
// key ("url_list", "uri_id") and a Chinese caption.
std::string Entry(unsigned n, const std::string& caption) {
  std::string id = std::to_string(7200000000000000000ULL + n * 7919ULL);
  return "<div class=\"feed-item\" data-e2e=\"feed-item\" data-id=\"" + id +
         "\"><a href=\"/video/" + id + "\" class=\"video-link\" title=\"" + caption +
         "\"><img src=\"https://p3-sign.example.com/tos-cn-i-0813/" + id +
         "~tplv-dmt-logom:tos-cn-i-0813/cover.jpeg?x-expires=1700000000&amp;x-signature=Ab"
         "cDeF%3D\" alt=\"" +
         caption + "\" loading=\"lazy\"></a>\n<script type=\"application/json\">{\"aweme_id\":\"" +
         id + "\",\"desc\":\"" + caption + "\",\"author\":{\"nickname\":\"user" +
         std::to_string(n % 997) + "\",\"uid\":\"" + std::to_string(n * 31ULL) +
         "\"},\"statistics\":{\"digg_count\":" + std::to_string(n % 100000) +
         ",\"comment_count\":" + std::to_string(n % 977) +
         "},\"cover\":{\"uri_id\":\"tos-cn-i-0813/" + id +
         "\",\"url_list\":[\"https://p3-sign.example.com/obj/" + id +
         "\"]},\"duration\":15000}</script></div>\n";
}

// size bytes of page, the identifier's key and value at about 95 % of the way.
const std::string& Page(size_t size) {
  static std::map<size_t, std::string> pages;
  std::string& page = pages[size];
  if (!page.empty()) return page;
  const std::string caption = Utf8ToAnsi("今天的风景真不错，一起来看看吧").CStr();
  const std::string target = "<script id=\"RENDER_DATA\">{\"video\":{\"play_addr\":{\"uri\":\"" +
                             std::string(kIdentifier) +
                             "\",\"url_list\":[\"https://play.example.com/\"]}}}</script>\n";
  unsigned n = 0;
  while (page.size() + target.size() < size * 95 / 100) page += Entry(n++, caption);
  page += target;
  while (page.size() < size) page += Entry(n++, caption);
  page.resize(size);
  return page;
}

// The page on disk for grep, removed at exit.
class PageFile {
 public:
  explicit PageFile(const std::string& bytes) {
    char name[] = "/tmp/regex_bench_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    path_ = name;
    size_t written = 0;
    while (written < bytes.size()) {
      ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
      if (n <= 0) break;
      written += static_cast<size_t>(n);
    }
    close(fd);
  }
  ~PageFile() { unlink(path_.c_str()); }
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void SetThroughput(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

// What the resolution does with the body: Create over it and read the identifier.
void BM_CreateIdentifier(benchmark::State& state) {
  const Text page(Page(static_cast<size_t>(state.range(0))));
  RegexObject regex;
  for (auto _ : state) {
    bool created = regex.Create(kIdentifierPattern, page);
    Text identifier = regex.SubMatchText(1, 1);
    if (!created || identifier != Text(kIdentifier)) {
      state.SkipWithError("the identifier was not found");
      break;
    }
    benchmark::DoNotOptimize(identifier);
  }
  SetThroughput(state, page.View().size());
}

// The parts of Create: the conversion to wide text ...
void BM_AnsiToWide(benchmark::State& state) {
  const std::string& page = Page(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::u16string wide = AnsiToWide(page);
    benchmark::DoNotOptimize(wide.data());
  }
  SetThroughput(state, page.size());
}

// ... and the component's Execute on text already wide.
void BM_ExecuteWide(benchmark::State& state) {
  const std::string& page = Page(static_cast<size_t>(state.range(0)));
  const Variant subject = Variant::FromWide(AnsiToWide(page));
  ApartmentScope apartment;
  ComObject regExp;
  if (!CreateObject(regExp, Text(kRegExpProgId))) {
    state.SkipWithError("no VBScript.RegExp");
    return;
  }
  PutProperty(regExp, "Pattern", {kIdentifierPattern});
  PutProperty(regExp, "IgnoreCase", {true});
  PutProperty(regExp, "Global", {true});
  for (auto _ : state) {
    ComObject matches =
        CallMethod(regExp, "Execute", std::span<const Variant>(&subject, 1)).ToObject();
    benchmark::DoNotOptimize(matches.Get());
  }
  SetThroughput(state, page.size());
}

// grep -c 'uri":"' over the same page in a file, process start included, as one would
// run it from a shell.
void BM_GrepCount(benchmark::State& state) {
  const std::string& page = Page(static_cast<size_t>(state.range(0)));
  PageFile file(page);
  const std::string command = "grep -c 'uri\":\"' " + file.Path();
  for (auto _ : state) {
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
      state.SkipWithError("popen failed");
      break;
    }
    char line[64] = {};
    bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    if (!read || std::atoi(line) != 1) {
      state.SkipWithError("grep did not count one line");
      break;
    }
  }
  SetThroughput(state, page.size());
}

constexpr int64_t kMiB = 1 << 20;
BENCHMARK(BM_CreateIdentifier)
    ->Arg(kMiB)
    ->Arg(8 * kMiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_GrepCount)->Arg(kMiB)->Arg(8 * kMiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AnsiToWide)->Arg(kMiB)->Arg(8 * kMiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExecuteWide)->Arg(kMiB)->Arg(8 * kMiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quolvane

int main(int argc, char** argv) {
  // regex_bench --write-page PATH BYTES: the page alone, to time other tools on it.
  if (argc == 4 && std::string(argv[1]) == "--write-page") {
    const std::string& page = quolvane::Page(std::strtoull(argv[3], nullptr, 10));
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) return 1;
    bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
  }
  quolvane::RegisterRegExpComponent();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
