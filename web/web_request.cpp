#include "web/web_request.h"

#include <algorithm>
#include <array>
#include <limits>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "web/cookie_merge.h"
#include "web/header_text.h"
#include "web/proxy.h"

namespace quolvane {
namespace {

constexpr const char* kRequestProgId = "WinHttp.WinHttpRequest.5.1";

constexpr int32_t kDefaultTimeoutMs = 15000;
constexpr int32_t kPostMethod = 1;
// Option indexes of the request component.
constexpr int32_t kOptionSslErrorIgnoreFlags = 4;
constexpr int32_t kOptionEnableRedirects = 6;
// Unknown authority, wrong usage, name mismatch, date out of range.
constexpr int32_t kIgnoreCertificateErrors = 0x3300;

constexpr std::array<const char*, 8> kMethods = {"GET",     "POST",   "HEAD",  "PUT",
                                                 "OPTIONS", "DELETE", "TRACE", "CONNECT"};

// -1 keeps the component's own timeouts (nullopt); 0 or below means 15 s. Seconds
// whose milliseconds do not fit an int mean the longest wait an int can say.
std::optional<int32_t> TimeoutMs(int32_t timeoutSeconds) {
  if (timeoutSeconds == -1) return std::nullopt;
  if (timeoutSeconds <= 0) return kDefaultTimeoutMs;
  int64_t ms = int64_t{timeoutSeconds} * 1000;
  return static_cast<int32_t>(std::min<int64_t>(ms, std::numeric_limits<int32_t>::max()));
}

// Appends the default lines the block lacks; the search looks at the whole block,
// byte for byte, so "X-Referer:" counts as a Referer line.
void AddDefaultHeaders(Text& headers, const Text& url, int32_t method) {
  if (TextLength(headers) == 0) {
    headers = "Accept: */*";
  } else if (FindText(headers, "Accept:") == -1) {
    headers = ConcatText(headers, "\r\nAccept: */*");
  }
  if (FindText(headers, "Referer:") == -1) headers = ConcatText(headers, "\r\nReferer: ", url);
  if (FindText(headers, "Accept-Language:") == -1) {
    headers = ConcatText(headers, "\r\nAccept-Language: zh-cn");
  }
  if (FindText(headers, "User-Agent:") == -1) {
    headers =
        ConcatText(headers, "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  }
  if (method == kPostMethod && FindText(headers, "Content-Type:") == -1) {
    headers = ConcatText(headers, "\r\nContent-Type: application/x-www-form-urlencoded");
  }
}

void SetHeaderLine(const ComObject& request, const Text& line) {
  CallMethod(request, "SetRequestHeader", {HeaderName(line), HeaderValue(line)});
}

void ApplyHeaderBlock(const ComObject& request, const Text& headers) {
  if (FindText(headers, "\r\n") == -1) {
    SetHeaderLine(request, headers);
    return;
  }
  TextArray lines = SplitText(headers, "\r\n");
  for (int32_t i = 1; i <= lines.Count(); ++i) {
    if (TextLength(lines.Member(i)) > 0) SetHeaderLine(request, lines.Member(i));
  }
}

}  // namespace

Text MethodVerb(int32_t method) {
  if (method < 0 || method >= static_cast<int32_t>(kMethods.size())) method = 0;
  return kMethods[static_cast<size_t>(method)];
}

Bytes WebRequest(const Text& url, WebRequestOptions& options) {
  bool mergeCookies = options.mergeCookies.value_or(true);
  // Declared first so it is left last: after the request object is released, on
  // every path out.
  ApartmentScope apartment;
  int32_t method = (options.method < 0 || options.method > 7) ? 0 : options.method;
  Text verb = MethodVerb(method);

  ComObject request;
  if (options.requestObject.has_value()) {
    request = *options.requestObject;
  } else if (!CreateObject(request, kRequestProgId)) {
    return {};
  }

  if (std::optional<int32_t> ms = TimeoutMs(options.timeoutSeconds)) {
    CallMethod(request, "SetTimeouts", {*ms, *ms, *ms, *ms});
  }
  ApplyProxy(request, options.proxy);
  CallMethod(request, "Open", {verb, url, false});
  // The component refuses request headers before Open, so the proxy's credentials
  // follow it at once.
  ApplyProxyAuthorization(request, options.proxy, options.proxyUser, options.proxyPassword,
                          options.proxyAuthMode);
  if (options.noRedirect) PutProperty(request, "Option", {kOptionEnableRedirects, 0});
  PutProperty(request, "Option", {kOptionSslErrorIgnoreFlags, kIgnoreCertificateErrors});

  AddDefaultHeaders(options.headers, url, method);
  const Text sentCookies = options.cookies.value_or(Text());
  if (TextLength(sentCookies) > 0) {
    CallMethod(request, "SetRequestHeader", {"Cookie", sentCookies});
  }
  ApplyHeaderBlock(request, options.headers);

  if (BytesLength(options.bodyBytes) > 0) {
    Variant body = Variant::FromBytes(options.bodyBytes);
    CallMethod(request, "Send", {body});
  } else {
    CallMethod(request, "Send", {options.bodyText});
  }

  Variant responseBody = GetProperty(request, "ResponseBody");
  Bytes body = responseBody.ToBytes();
  responseBody.Clear();

  Text headers = CallMethod(request, "GetallResponseHeaders").ToText();
  options.responseHeaders =
      ReplaceText(headers, "Set-Cookie", "Set-Cookie", 1, kAllOccurrences, false);
  options.status = GetProperty(request, "Status").ToInt();
  options.responseCookies = CollectResponseCookies(options.responseHeaders);
  if (mergeCookies && options.cookies.has_value()) {
    options.responseCookies = CookieMerge(*options.cookies, options.responseCookies);
  }

  request.Clear();
  return body;
}

Bytes WebRequest(const Text& url) {
  WebRequestOptions options;
  return WebRequest(url, options);
}

}  // namespace quolvane
