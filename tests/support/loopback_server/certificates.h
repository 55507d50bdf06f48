// The HTTPS servers' certificates, made fresh at every start so no key or certificate
// is ever stored in the tree: one RSA key, four self-signed certificates.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace quolvane::loopback_server {

struct X509Free {
  void operator()(X509* cert) const { X509_free(cert); }
};
struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

struct CertificateSet {
  KeyPtr key;
  X509Ptr good;        // 127.0.0.1 and localhost, valid now, for servers
  X509Ptr wrongName;   // only wrong-name.invalid
  X509Ptr expired;     // validity ended yesterday
  X509Ptr wrongUsage;  // extended key usage: client authentication only
};

// Empty members and a message in error when OpenSSL fails.
CertificateSet MakeCertificates(std::string& error);

}  // namespace quolvane::loopback_server
