// The thread's COM apartment and OLE. An exit undoes its entry only when that entry
// succeeded, so an entry that failed (a thread already in another apartment model) is
// never followed by an exit that is not its own.
#include <cstdint>

#include "automation/platform.h"
#include "automation/win32/windows_api.h"

namespace quolvane::platform {
namespace {

// Which of the open entries failed, innermost last. Trivially destructible on purpose:
// mingw-w64's emulated TLS frees a thread's block before it runs thread_local
// destructors, so a thread_local with a destructor reads freed memory at thread exit.
// Entries nested deeper than kTracked count as successful.
class EntryStack {
 public:
  void Push(bool entered) {
    if (depth_ < kTracked) {
      uint64_t bit = uint64_t{1} << (depth_ % 64);
      failed_[depth_ / 64] = entered ? failed_[depth_ / 64] & ~bit : failed_[depth_ / 64] | bit;
    }
    ++depth_;
  }
  // False when there is no open entry or the innermost one failed.
  bool PopSucceeded() {
    if (depth_ == 0) return false;
    --depth_;
    return depth_ >= kTracked || (failed_[depth_ / 64] >> (depth_ % 64) & 1) == 0;
  }

 private:
  static constexpr uint32_t kTracked = 1024;
  uint64_t failed_[kTracked / 64];
  uint32_t depth_;
};

thread_local EntryStack tApartmentEntries;
thread_local EntryStack tOleEntries;

}  // namespace

void ApartmentEnter() {
  tApartmentEntries.Push(SUCCEEDED(CoInitialize(nullptr)));
}
void ApartmentLeave() {
  if (tApartmentEntries.PopSucceeded()) CoUninitialize();
}

void OleStartup() {
  tOleEntries.Push(SUCCEEDED(OleInitialize(nullptr)));
}
void OleShutdown() {
  if (tOleEntries.PopSucceeded()) OleUninitialize();
}

}  // namespace quolvane::platform
