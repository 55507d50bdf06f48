// The server-certificate checks that Option(4) can switch off, one by one, on top of
// curl's OpenSSL verification.
#pragma once

#include <curl/curl.h>

#include <cstdint>

namespace quolvane::winhttp {

// The flags of Option(4), as the system component names them.
inline constexpr uint32_t kIgnoreUnknownAuthority = 0x0100;
inline constexpr uint32_t kIgnoreWrongUsage = 0x0200;
inline constexpr uint32_t kIgnoreNameMismatch = 0x1000;
inline constexpr uint32_t kIgnoreDateInvalid = 0x2000;
inline constexpr uint32_t kAllIgnoreFlags =
    kIgnoreUnknownAuthority | kIgnoreWrongUsage | kIgnoreNameMismatch | kIgnoreDateInvalid;

// Sets the verification options of one transfer on handle. Certificates are always
// checked; each flag lets through exactly its own kind of error. False when curl's TLS
// library cannot take the per-error rule and so the checks could not be kept.
bool ApplyCertificateChecks(CURL* handle, uint32_t ignoreFlags);

}  // namespace quolvane::winhttp
