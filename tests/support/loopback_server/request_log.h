// The per-token request log behind /_log/TOKEN: every server files what it received
// under the token of the request's query (t=...), so a test owns its own counters.
#pragma once

#include <string>
#include <string_view>

namespace quolvane::loopback_server {

// head: the request line and header lines, each ended by CR LF. Requests without a
// token are not kept.
void RecordRequest(std::string_view target, std::string head);
// "count: N", a blank line, then each request's head followed by a blank line.
std::string FormatLog(const std::string& token);
// The value of the query parameter t in a request target, or empty.
std::string TokenOf(std::string_view target);

}  // namespace quolvane::loopback_server
