// Base64Encode against OpenSSL's EVP_EncodeBlock, an encoder written independently.
//
// Input: the bytes to encode, zero bytes included.
#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fuzz/check.h"
#include "web/proxy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quolvane;
  using namespace quolvane::fuzz;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string reference(4 * ((size + 2) / 3) + 1, '\0');
  int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(reference.data()), data,
                                static_cast<int>(size));
  reference.resize(static_cast<size_t>(written));
  Text encoded = Base64Encode(Bytes(bytes));
  FUZZ_CHECK(encoded.View() == reference, "Base64Encode(" + Hex(bytes) + ") = " +
                                              Hex(encoded.View()) + ", OpenSSL " + Hex(reference));
  return 0;
}
