// The proxy step of a request and the Base64 encoder its Basic authorisation needs.
#pragma once

#include <cstdint>
#include <optional>

#include "automation/com_object.h"
#include "common/text.h"

namespace quolvane {

// Routes the request through proxy (SetProxy 2). Does nothing when proxy is empty.
void ApplyProxy(const ComObject& request, const Text& proxy);
// The "Proxy-Authorization: Basic ..." header, when proxy and proxyUser are given and
// proxyAuthMode is 1 or left out. Called after Open, since the component refuses
// request headers before it.
void ApplyProxyAuthorization(const ComObject& request, const Text& proxy, const Text& proxyUser,
                             const Text& proxyPassword, std::optional<int32_t> proxyAuthMode);
Text Base64Encode(const Bytes& data);

}  // namespace quolvane
