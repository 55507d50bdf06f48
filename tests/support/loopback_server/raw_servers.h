// The scenarios that need plain sockets: the exact echo and the misbehaving servers.
#pragma once

#include <string>

namespace quolvane::loopback_server {

enum class RawScenario { kEcho, kTrickle, kSilent, kGarbage, kTlsFailure };

// Binds 127.0.0.1:port and serves the scenario on a thread of its own, one thread per
// connection. False, with a message in error, when the port cannot be bound.
bool StartRawServer(RawScenario scenario, int port, std::string& error);

}  // namespace quolvane::loopback_server
