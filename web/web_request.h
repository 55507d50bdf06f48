// WebRequest: one synchronous HTTP exchange through WinHttp.WinHttpRequest.5.1, with
// default request headers, cookies sent and received, proxy, one timeout for every
// phase and redirects on or off. It raises nothing and shows nothing: a failed
// exchange gives an empty body, empty headers and status 0.
#pragma once

#include <cstdint>
#include <optional>

#include "automation/com_object.h"
#include "common/text.h"

namespace quolvane {

// Members in their fixed order. Only the four std::optional members are told apart
// when left out; the others simply have their "left out" value.
struct WebRequestOptions {
  int32_t method = 0;                      // index into the method table
  Text bodyText;                           // sent when bodyBytes is empty
  std::optional<Text> cookies;             // in; rewritten by the merge
  Text responseCookies;                    // out
  Text headers;                            // in/out: the header block as applied
  Text responseHeaders;                    // out
  int32_t status = 0;                      // out
  bool noRedirect = false;                 //
  Bytes bodyBytes;                         //
  Text proxy;                              // empty: no proxy
  int32_t timeoutSeconds = 0;              // -1: component's own; <= 0: 15 s
  Text proxyUser;                          //
  Text proxyPassword;                      //
  std::optional<int32_t> proxyAuthMode;    // left out counts as 1
  std::optional<ComObject> requestObject;  // used only when given
  std::optional<bool> mergeCookies;        // left out counts as true
};

Bytes WebRequest(const Text& url, WebRequestOptions& options);
// Every option left out.
Bytes WebRequest(const Text& url);

// The method table: index 0..7, anything else counts as 0 ("GET").
Text MethodVerb(int32_t method);

}  // namespace quolvane
