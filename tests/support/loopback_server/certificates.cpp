#include "tests/support/loopback_server/certificates.h"

#include <openssl/err.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include "tests/support/loopback.h"

namespace quolvane::loopback_server {
namespace {

constexpr long kDay = 24L * 60 * 60;

bool AddExtension(X509* cert, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (extension == nullptr) return false;
  bool added = X509_add_ext(cert, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

struct Recipe {
  const char* names;
  const char* usage;
  long notBeforeOffset;  // seconds from now
  long notAfterOffset;
  long serial;
};

X509Ptr MakeCertificate(EVP_PKEY* key, const Recipe& recipe) {
  X509Ptr cert(X509_new());
  if (!cert) return nullptr;
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), recipe.serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), recipe.notBeforeOffset);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), recipe.notAfterOffset);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(kCertificateCommonName), -1, -1,
                             0);
  X509_set_issuer_name(cert.get(), name);
  bool extended =
      AddExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") &&
      AddExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyEncipherment") &&
      AddExtension(cert.get(), NID_ext_key_usage, recipe.usage) &&
      AddExtension(cert.get(), NID_subject_alt_name, recipe.names);
  if (!extended || X509_sign(cert.get(), key, EVP_sha256()) == 0) return nullptr;
  return cert;
}

}  // namespace

CertificateSet MakeCertificates(std::string& error) {
  CertificateSet set;
  set.key.reset(EVP_RSA_gen(2048));
  if (!set.key) {
    error = "RSA key generation failed";
    return set;
  }
  const std::string wrongName = std::string("DNS:") + kWrongCertificateName;
  set.good = MakeCertificate(set.key.get(), {kCertificateNames, "serverAuth", -kDay, 30 * kDay, 1});
  set.wrongName =
      MakeCertificate(set.key.get(), {wrongName.c_str(), "serverAuth", -kDay, 30 * kDay, 2});
  set.expired =
      MakeCertificate(set.key.get(), {kCertificateNames, "serverAuth", -30 * kDay, -kDay, 3});
  set.wrongUsage =
      MakeCertificate(set.key.get(), {kCertificateNames, "clientAuth", -kDay, 30 * kDay, 4});
  if (!set.good || !set.wrongName || !set.expired || !set.wrongUsage) {
    char message[256];
    ERR_error_string_n(ERR_get_error(), message, sizeof message);
    error = std::string("certificate creation failed: ") + message;
  }
  return set;
}

}  // namespace quolvane::loopback_server
