#include "automation/apartment.h"

#include "automation/platform.h"

namespace quolvane {
namespace {
thread_local int tDepth = 0;
}

void ApartmentEnter() {
  platform::ApartmentEnter();
  ++tDepth;
}

void ApartmentLeave() {
  platform::ApartmentLeave();
  --tDepth;
}

int ApartmentDepth() {
  return tDepth;
}

// OLE start-up sets up the thread's apartment for the life of the process.
void OleStartup() {
  platform::OleStartup();
  ++tDepth;
}

void OleShutdown() {
  platform::OleShutdown();
  --tDepth;
}

}  // namespace quolvane
