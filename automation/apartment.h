// The thread's automation apartment: CoInitialize / CoUninitialize with a null
// argument. Results are not examined; nested entries balance.
#pragma once

namespace quolvane {

void ApartmentEnter();
void ApartmentLeave();
// Entries minus exits made through this interface on the calling thread, so the
// pairing rules can be checked on every platform.
int ApartmentDepth();

// Process start-up and shut-down of OLE on the GUI thread (OleInitialize).
void OleStartup();
void OleShutdown();

// Enters on construction and leaves on destruction.
class ApartmentScope {
 public:
  ApartmentScope() { ApartmentEnter(); }
  ~ApartmentScope() { ApartmentLeave(); }
  ApartmentScope(const ApartmentScope&) = delete;
  ApartmentScope& operator=(const ApartmentScope&) = delete;
};

// OLE for the life of a program's main: OleStartup on construction, OleShutdown on
// destruction.
class OleSession {
 public:
  OleSession() { OleStartup(); }
  ~OleSession() { OleShutdown(); }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
};

}  // namespace quolvane
