// The thread's COM apartment and OLE. Each successful entry is kept as an owner that
// makes the matching exit, so an entry that failed (a thread already in another
// apartment model) is never followed by an exit that is not its own.
#include <vector>

#include "automation/platform.h"
#include "automation/win32/unique.h"

namespace quolvane::platform {
namespace {

template <typename Entry>
void Push(std::vector<Entry>& entries, bool entered) {
  Entry entry(entered);
  try {
    entries.push_back(std::move(entry));
  } catch (...) {
    // No room to remember the entry: it is left here and now, so entries stay balanced.
  }
}

template <typename Entry>
void Pop(std::vector<Entry>& entries) {
  if (!entries.empty()) entries.pop_back();
}

thread_local std::vector<win32::UniqueCoUninitializeCall> tApartmentEntries;
thread_local std::vector<win32::UniqueOleUninitializeCall> tOleEntries;

}  // namespace

void ApartmentEnter() {
  Push(tApartmentEntries, SUCCEEDED(CoInitialize(nullptr)));
}
void ApartmentLeave() {
  Pop(tApartmentEntries);
}

void OleStartup() {
  Push(tOleEntries, SUCCEEDED(OleInitialize(nullptr)));
}
void OleShutdown() {
  Pop(tOleEntries);
}

}  // namespace quolvane::platform
