// The routes of the plain and the HTTPS servers (listed in tests/support/loopback.h).
#pragma once

#include <httplib.h>

#include <string>

namespace quolvane::loopback_server {

// Installs every route, the request logging and a thread pool large enough for the
// endless and slow responses that hold a worker each.
void InstallRoutes(httplib::Server& server);
// What /_ipv6 answers: kIpv6Listening, or why the [::1] listener is missing.
void NoteIpv6Listener(std::string state);

}  // namespace quolvane::loopback_server
