#include "app/cli/batch.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/cli/report.h"
#include "app/resolve.h"
#include "automation/apartment.h"
#include "common/codepage.h"

namespace quolvane::cli {

PreparedInput PrepareInput(std::string raw) {
  PreparedInput prepared;
  if (raw.find('\0') != std::string::npos) {
    // A text cannot hold a zero byte; a space keeps what follows it (the link, say).
    std::replace(raw.begin(), raw.end(), '\0', ' ');
    prepared.warning = "NUL bytes were read as spaces";
  }
  if (WideToUtf8(Utf8ToWide(raw)) != raw) {
    if (!prepared.warning.empty()) prepared.warning += "; ";
    prepared.warning += "bytes that are not UTF-8 were read as \"?\"";
  }
  prepared.utf8 = std::move(raw);
  return prepared;
}

namespace {

struct Job {
  int number = 0;
  std::string input;
  std::optional<Outcome> outcome;
};

class Batch {
 public:
  Batch(const Options& options, const BatchStreams& streams)
      : options_(options), streams_(streams) {}

  BatchResult Run() {
    std::thread reader([this] { Read(); });
    std::vector<std::thread> workers;
    for (int i = 0; i < options_.jobs; ++i) workers.emplace_back([this] { Work(); });
    Print();
    reader.join();
    for (auto& worker : workers) worker.join();
    return result_;
  }

 private:
  // Bounds how far reading may run ahead of printing, and so the memory held.
  size_t Window() const { return static_cast<size_t>(options_.jobs) * 2 + 2; }

  void Read() {
    for (int number = 1;; ++number) {
      std::optional<std::string> input = streams_.nextInput();
      if (!input) break;
      auto job = std::make_shared<Job>();
      job->number = number;
      job->input = std::move(*input);
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return inOrder_.size() < Window() || stop_; });
      if (stop_) break;
      inOrder_.push_back(job);
      toResolve_.push_back(job);
      ++result_.inputs;
      changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    inputDone_ = true;
    changed_.notify_all();
  }

  void Work() {
    // One apartment for the worker's life; each resolution nests its own entries.
    ApartmentScope apartment;
    for (;;) {
      std::shared_ptr<Job> job;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !toResolve_.empty() || inputDone_ || stop_; });
        if (stop_ || toResolve_.empty()) return;
        job = toResolve_.front();
        toResolve_.pop_front();
      }
      Outcome outcome = Resolve(*job);
      std::lock_guard lock(mutex_);
      job->outcome = std::move(outcome);
      changed_.notify_all();
    }
  }

  Outcome Resolve(const Job& job) const {
    PreparedInput prepared = PrepareInput(job.input);
    ShareResolution resolution =
        ResolveShareLink(Utf8ToAnsi(prepared.utf8), options_.timeoutSeconds);
    Outcome outcome = Report(job.number, prepared.utf8, resolution, options_.json);
    if (!prepared.warning.empty()) {
      std::string note = "input " + std::to_string(job.number) + ": " + prepared.warning;
      outcome.message = outcome.message.empty() ? note : note + "\n" + outcome.message;
    }
    return outcome;
  }

  void Print() {
    bool progressShown = false;
    for (;;) {
      std::shared_ptr<Job> job;
      int read = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
          return (!inOrder_.empty() && inOrder_.front()->outcome) ||
                 (inputDone_ && inOrder_.empty());
        });
        if (inOrder_.empty()) break;
        job = inOrder_.front();
        inOrder_.pop_front();
        read = result_.inputs;
        changed_.notify_all();
      }
      const Outcome& outcome = *job->outcome;
      if (!outcome.resolved) ++result_.failed;
      if (progressShown) streams_.writeError("\r\033[K");
      if (!outcome.message.empty()) streams_.writeError(outcome.message + "\n");
      if (!streams_.writeLine(outcome.line)) {
        std::lock_guard lock(mutex_);
        result_.outputClosed = true;
        stop_ = true;
        changed_.notify_all();
        return;
      }
      ++done_;
      progressShown = streams_.showProgress && read > 1;
      if (progressShown) {
        streams_.writeError(std::to_string(done_) + "/" + std::to_string(read) + " done, " +
                            std::to_string(result_.failed) + " failed");
      }
    }
    if (progressShown) streams_.writeError("\r\033[K");
  }

  const Options& options_;
  const BatchStreams& streams_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Job>> inOrder_;    // read, not yet printed
  std::deque<std::shared_ptr<Job>> toResolve_;  // read, not yet taken by a worker
  bool inputDone_ = false;
  bool stop_ = false;
  int done_ = 0;
  BatchResult result_;
};

}  // namespace

BatchResult RunBatch(const Options& options, const BatchStreams& streams) {
  return Batch(options, streams).Run();
}

}  // namespace quolvane::cli
