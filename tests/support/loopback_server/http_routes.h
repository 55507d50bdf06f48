// The routes of the plain and the HTTPS servers (listed in tests/support/loopback.h).
#pragma once

#include <httplib.h>

namespace quolvane::loopback_server {

// Installs every route, the request logging and a thread pool large enough for the
// endless and slow responses that hold a worker each.
void InstallRoutes(httplib::Server& server);

}  // namespace quolvane::loopback_server
