// Lines in and out over C's standard streams: the resolver needs nothing of iostreams,
// which would double the size of the Windows program.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace quolvane::cli {

// Reads lines from a stream in large blocks (a line may be many megabytes).
class LineReader {
 public:
  explicit LineReader(std::FILE* in) : in_(in) {}

  // The next line without its line end (LF, or CR LF), zero bytes kept; none at the end
  // of the input. A last line without a line end still counts.
  std::optional<std::string> Next();

 private:
  std::FILE* in_;
  std::vector<char> block_ = std::vector<char>(size_t{64} << 10);
  size_t begin_ = 0;  // the unread part of block_ is [begin_, end_)
  size_t end_ = 0;
  bool ended_ = false;
};

// Writes line and a LF, and flushes; false when the stream no longer takes output.
bool WriteLine(std::FILE* out, const std::string& line);

}  // namespace quolvane::cli
