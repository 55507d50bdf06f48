#include "web/proxy.h"

#include <string>
#include <string_view>

#include "automation/calls.h"
#include "common/integer.h"

namespace quolvane {
namespace {

// The component's setting for a proxy server named by the caller.
constexpr int32_t kNamedProxy = 2;

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char Base64Char(int32_t index) {
  return kBase64Alphabet[static_cast<size_t>(index)];
}

}  // namespace

void ApplyProxy(const ComObject& request, const Text& proxy) {
  if (TextLength(proxy) == 0) return;
  CallMethod(request, "SetProxy", {kNamedProxy, proxy});
}

void ApplyProxyAuthorization(const ComObject& request, const Text& proxy, const Text& proxyUser,
                             const Text& proxyPassword, std::optional<int32_t> proxyAuthMode) {
  if (TextLength(proxy) == 0 || TextLength(proxyUser) == 0) return;
  if (proxyAuthMode.value_or(1) != 1) return;
  // Basic authentication: the credentials' bytes as they stand in the code page.
  Text credentials = ConcatText(proxyUser, ":", proxyPassword);
  Text value = ConcatText("Basic ", Base64Encode(TextToBytes(credentials)));
  CallMethod(request, "SetRequestHeader", {"Proxy-Authorization", value});
}

Text Base64Encode(const Bytes& data) {
  int32_t n = BytesLength(data);
  if (n == 0) return {};
  int32_t r = IntRemainder(n, 3);
  // Zero bytes pad the input to whole groups; the padding characters replace their output.
  Bytes work = r == 0 ? data : ConcatBytes(data, ZeroBytes(3 - r));
  std::span<const uint8_t> bytes = work.View();
  std::string out;
  out.reserve(bytes.size() / 3 * 4);
  for (size_t i = 0; i + 2 < bytes.size(); i += 3) {
    int32_t b0 = bytes[i];
    int32_t b1 = bytes[i + 1];
    int32_t b2 = bytes[i + 2];
    out.push_back(Base64Char(IntShiftRight(b0, 2)));
    out.push_back(Base64Char(IntShiftLeft(IntAnd(b0, 3), 4) + IntShiftRight(b1, 4)));
    out.push_back(Base64Char(IntShiftLeft(IntAnd(b1, 15), 2) + IntShiftRight(b2, 6)));
    out.push_back(Base64Char(IntAnd(b2, 63)));
  }
  if (r == 1) out.replace(out.size() - 2, 2, "==");
  if (r == 2) out.back() = '=';
  return Text(out);
}

}  // namespace quolvane
