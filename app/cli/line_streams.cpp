#include "app/cli/line_streams.h"

#include <cstring>

namespace quolvane::cli {

std::optional<std::string> LineReader::Next() {
  std::string line;
  bool any = false;
  while (true) {
    if (begin_ == end_) {
      if (ended_) break;
      begin_ = 0;
      end_ = std::fread(block_.data(), 1, block_.size(), in_);
      if (end_ == 0) {
        ended_ = true;
        break;
      }
    }
    any = true;
    const char* start = block_.data() + begin_;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    if (newline == nullptr) {
      line.append(start, end_ - begin_);
      begin_ = end_;
      continue;
    }
    line.append(start, static_cast<size_t>(newline - start));
    begin_ += static_cast<size_t>(newline - start) + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool WriteLine(std::FILE* out, const std::string& line) {
  bool written =
      std::fwrite(line.data(), 1, line.size(), out) == line.size() && std::fputc('\n', out) != EOF;
  return std::fflush(out) == 0 && written;
}

}  // namespace quolvane::cli
