// Base64Encode against OpenSSL's encoder, an implementation written independently.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "web/proxy.h"

namespace quolvane {
namespace {

std::string ReferenceBase64(const std::vector<uint8_t>& data) {
  std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
  int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data.data(),
                                static_cast<int>(data.size()));
  out.resize(static_cast<size_t>(written));
  return out;
}

TEST(Base64EncodeTest, MatchesReferenceForEveryByteInEveryPosition) {
  // Each byte value lands in each of the three places of a group once, and every
  // prefix length exercises all three remainders.
  for (size_t offset = 0; offset < 3; ++offset) {
    std::vector<uint8_t> all(offset, 'x');
    for (int value = 0; value < 256; ++value) all.push_back(static_cast<uint8_t>(value));
    for (size_t length = 0; length <= all.size(); ++length) {
      std::vector<uint8_t> data(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(length));
      SCOPED_TRACE("offset " + std::to_string(offset) + " length " + std::to_string(length));
      ASSERT_EQ(Base64Encode(Bytes(data)).View(), ReferenceBase64(data));
    }
  }
}

}  // namespace
}  // namespace quolvane
