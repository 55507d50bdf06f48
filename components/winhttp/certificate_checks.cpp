#include "components/winhttp/certificate_checks.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <string>

namespace quolvane::winhttp {
namespace {

int FlagsIndex() {
  static int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

uint32_t FlagOfError(int error) {
  switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return kIgnoreUnknownAuthority;
    case X509_V_ERR_INVALID_PURPOSE:
      return kIgnoreWrongUsage;
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return kIgnoreDateInvalid;
    default:
      return 0;  // never ignored: a bad signature, a revoked certificate...
  }
}

// OpenSSL asks about every error it finds in the chain. An ignored one is cleared, so
// the result curl reads after the handshake is "ok" when nothing else was wrong.
int VerifyCallback(int preverified, X509_STORE_CTX* store) {
  if (preverified == 1) return 1;
  auto* ssl =
      static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  if (ssl == nullptr) return 0;
  auto flags = static_cast<uint32_t>(
      reinterpret_cast<uintptr_t>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), FlagsIndex())));
  uint32_t needed = FlagOfError(X509_STORE_CTX_get_error(store));
  if (needed == 0 || (flags & needed) == 0) return 0;
  X509_STORE_CTX_set_error(store, X509_V_OK);
  return 1;
}

// Where curl would read the trusted authorities from, noted from the first handle
// before curl is told to read none of its own.
struct AuthorityPaths {
  std::string file;
  std::string dir;
};

const AuthorityPaths& DefaultAuthorityPaths(CURL* handle) {
  static const AuthorityPaths paths = [handle] {
    AuthorityPaths found;
    char* file = nullptr;
    char* dir = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CAINFO, &file);
    curl_easy_getinfo(handle, CURLINFO_CAPATH, &dir);
    if (file != nullptr) found.file = file;
    if (dir != nullptr) found.dir = dir;
    return found;
  }();
  return paths;
}

// The trusted authorities, read once per process and only when a TLS handshake first
// needs them: reading the system's bundle costs more than a whole plain-HTTP exchange.
X509_STORE* SharedAuthorities() {
  static X509_STORE* store = [] {
    X509_STORE* loaded = X509_STORE_new();
    if (loaded == nullptr) return loaded;
    const AuthorityPaths& paths = DefaultAuthorityPaths(nullptr);
    bool any = false;
    if (!paths.file.empty()) any = X509_STORE_load_file(loaded, paths.file.c_str()) == 1 || any;
    if (!paths.dir.empty()) any = X509_STORE_load_path(loaded, paths.dir.c_str()) == 1 || any;
    if (!any) X509_STORE_set_default_paths(loaded);
    return loaded;  // kept for the life of the process
  }();
  return store;
}

CURLcode InstallChecks(CURL*, void* sslContext, void* flags) {
  auto* context = static_cast<SSL_CTX*>(sslContext);
  X509_STORE* authorities = SharedAuthorities();
  if (authorities == nullptr) return CURLE_OUT_OF_MEMORY;
  SSL_CTX_set1_cert_store(context, authorities);
  // The flags travel as the pointer's value, so nothing has to outlive the transfer.
  SSL_CTX_set_ex_data(context, FlagsIndex(), flags);
  SSL_CTX_set_verify(context, SSL_CTX_get_verify_mode(context), VerifyCallback);
  return CURLE_OK;
}

}  // namespace

bool ApplyCertificateChecks(CURL* handle, uint32_t ignoreFlags) {
  uint32_t chainFlags =
      ignoreFlags & (kIgnoreUnknownAuthority | kIgnoreWrongUsage | kIgnoreDateInvalid);
  // Before curl is told to read no bundle of its own, while it still knows its default.
  DefaultAuthorityPaths(handle);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, (ignoreFlags & kIgnoreNameMismatch) ? 0L : 2L);
  // A resumed session skips verification, and would let one request's flags decide
  // for the next.
  curl_easy_setopt(handle, CURLOPT_SSL_SESSIONID_CACHE, 0L);
  if (curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, InstallChecks) != CURLE_OK) {
    // A TLS library other than OpenSSL: curl's own checks, which cannot be relaxed.
    return chainFlags == 0;
  }
  curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA,
                   reinterpret_cast<void*>(static_cast<uintptr_t>(chainFlags)));
  curl_easy_setopt(handle, CURLOPT_CAINFO, nullptr);
  curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
  return true;
}

}  // namespace quolvane::winhttp
