#include "components/winhttp/winhttp_component.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "automation/registry.h"
#include "common/codepage.h"
#include "components/winhttp/arguments.h"
#include "components/winhttp/certificate_checks.h"
#include "components/winhttp/exchange.h"
#include "components/winhttp/proxy_settings.h"
#include "components/winhttp/request_url.h"

namespace quolvane {
namespace {

using winhttp::Address;
using winhttp::BoolArgument;
using winhttp::ExchangeRequest;
using winhttp::ExchangeResponse;
using winhttp::IntegerArgument;
using winhttp::RequestHeader;
using winhttp::Timeouts;
using winhttp::WideArgument;

constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

// The indexes of Option that the component offers.
constexpr int64_t kOptionUserAgent = 0;
constexpr int64_t kOptionUrl = 1;
constexpr int64_t kOptionIgnoreCertificateErrors = 4;
constexpr int64_t kOptionEnableRedirects = 6;

// SetProxy's settings: the system's default (here: none, never the environment), a
// direct connection, and a proxy named by the caller.
constexpr int64_t kProxyDefault = 0;
constexpr int64_t kProxyDirect = 1;
constexpr int64_t kProxyNamed = 2;

bool Fail(std::string_view reason) {
  SetCallFailureReason(std::string(kWinHttpProgId) + ": " + std::string(reason));
  return false;
}

bool IsTokenChar(char16_t c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  return std::u16string_view(u"()<>@,;:\\\"/[]?={}").find(c) == std::u16string_view::npos;
}

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos ||
         text.find(u'\0') != std::u16string_view::npos;
}

bool SameName(std::string_view a, std::string_view b) {
  return MemberNameEquals(a, b);  // ASCII case folding, as for member names
}

// Header text goes on the wire in the system's code page, so a Text round-trips.
std::string WireBytes(std::u16string_view wide) {
  return std::string(WideToAnsi(wide).View());
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return text;
}

// WinHttp.WinHttpRequest.5.1. Open prepares a request, SetRequestHeader adds to it,
// Send performs it synchronously; the response members then read what arrived, and
// fail after a failed Send, as in the system component.
class WinHttpRequest final : public Dispatchable {
 public:
  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (MemberNameEquals(member, "Option")) return AccessOption(kind, args, result);
    // Windows asks for "method or property get" alike, so both reach every reader.
    if (kind == CallKind::PropertyPut) return Fail("no such writable property");
    if (MemberNameEquals(member, "Open")) return Open(args);
    if (MemberNameEquals(member, "SetRequestHeader")) return SetRequestHeader(args);
    if (MemberNameEquals(member, "SetTimeouts")) return SetTimeouts(args);
    if (MemberNameEquals(member, "SetProxy")) return SetProxy(args);
    if (MemberNameEquals(member, "Send")) return Send(args);
    if (MemberNameEquals(member, "WaitForResponse")) return WaitForResponse(args, result);
    if (MemberNameEquals(member, "Status")) return ReadStatus(args, result);
    if (MemberNameEquals(member, "StatusText")) return ReadStatusText(args, result);
    if (MemberNameEquals(member, "ResponseBody")) return ReadBody(args, result);
    if (MemberNameEquals(member, "ResponseText")) return ReadText(args, result);
    if (MemberNameEquals(member, "GetAllResponseHeaders")) return ReadAllHeaders(args, result);
    if (MemberNameEquals(member, "GetResponseHeader")) return ReadHeader(args, result);
    return Fail("unknown member " + std::string(member));
  }

 private:
  enum class State { kNew, kOpened, kSent };

  bool Open(std::span<const Variant> args) {
    if (args.size() < 2 || args.size() > 3) return Fail("Open takes a verb, an address and async");
    std::optional<std::u16string> verb = WideArgument(args[0]);
    std::optional<std::u16string> url = WideArgument(args[1]);
    if (!verb || !url) return Fail("Open: the verb and the address must be text");
    if (verb->empty() || !std::all_of(verb->begin(), verb->end(), IsTokenChar)) {
      return Fail("Open: invalid verb");
    }
    if (args.size() == 3 && !args[2].IsMissing()) {
      std::optional<bool> async = BoolArgument(args[2]);
      if (!async) return Fail("Open: async must be a boolean");
      if (*async) return Fail("Open: only synchronous requests are offered");
    }
    // A new Open drops the previous request and its response, whatever happens next.
    state_ = State::kNew;
    headers_.clear();
    response_.reset();
    body_ = Bytes();
    std::string reason;
    std::optional<Address> address = winhttp::ParseAddress(WideToUtf8(*url), reason);
    if (!address) return Fail("Open: " + reason);
    verb_ = WideToUtf8(*verb);
    address_ = std::move(*address);
    state_ = State::kOpened;
    return true;
  }

  bool SetRequestHeader(std::span<const Variant> args) {
    if (state_ != State::kOpened) {
      return Fail(state_ == State::kNew ? "SetRequestHeader before Open"
                                        : "SetRequestHeader after Send");
    }
    if (args.size() != 2) return Fail("SetRequestHeader takes a name and a value");
    std::optional<std::u16string> name = WideArgument(args[0]);
    std::optional<std::u16string> value = WideArgument(args[1]);
    if (!name || !value) return Fail("SetRequestHeader: name and value must be text");
    // A line break would let the value start headers of its own.
    if (HasLineBreak(*name) || HasLineBreak(*value)) {
      return Fail("SetRequestHeader: line breaks in a header refused");
    }
    if (name->empty() || !std::all_of(name->begin(), name->end(), IsTokenChar)) {
      return Fail("SetRequestHeader: invalid header name");
    }
    std::string wireName = WireBytes(*name);
    std::string wireValue = WireBytes(*value);
    size_t first = wireValue.find_first_not_of(" \t");
    wireValue = first == std::string::npos ? std::string() : wireValue.substr(first);
    // The same name again replaces the earlier value; an empty value removes it.
    auto existing = std::find_if(headers_.begin(), headers_.end(), [&](const RequestHeader& h) {
      return SameName(h.name, wireName);
    });
    if (wireValue.empty()) {
      if (existing != headers_.end()) headers_.erase(existing);
    } else if (existing != headers_.end()) {
      existing->value = std::move(wireValue);
    } else {
      headers_.push_back({std::move(wireName), std::move(wireValue)});
    }
    return true;
  }

  bool SetTimeouts(std::span<const Variant> args) {
    if (args.size() != 4) return Fail("SetTimeouts takes four times in milliseconds");
    int64_t values[4] = {};
    for (size_t i = 0; i < 4; ++i) {
      std::optional<int64_t> value = IntegerArgument(args[i]);
      // -1, like 0, waits without limit; other negative values are refused.
      if (!value || *value < -1 || *value > INT32_MAX) return Fail("SetTimeouts: invalid time");
      values[i] = *value == -1 ? 0 : *value;
    }
    timeouts_ = Timeouts{values[0], values[1], values[2], values[3]};
    return true;
  }

  bool SetProxy(std::span<const Variant> args) {
    if (args.empty() || args.size() > 3)
      return Fail("SetProxy takes a setting, a server, a bypass list");
    std::optional<int64_t> setting = IntegerArgument(args[0]);
    if (!setting) return Fail("SetProxy: invalid setting");
    if (*setting == kProxyDefault || *setting == kProxyDirect) {
      proxyServers_.clear();
      proxyBypass_.clear();
      return true;
    }
    if (*setting != kProxyNamed) return Fail("SetProxy: invalid setting");
    std::optional<std::u16string> server =
        args.size() >= 2 && !args[1].IsMissing() ? WideArgument(args[1]) : std::nullopt;
    if (!server || server->empty() || HasLineBreak(*server)) {
      return Fail("SetProxy: a named proxy needs a server");
    }
    std::optional<std::u16string> bypass =
        args.size() == 3 && !args[2].IsMissing() ? WideArgument(args[2]) : std::u16string();
    if (!bypass) return Fail("SetProxy: invalid bypass list");
    proxyServers_ = WideToUtf8(*server);
    proxyBypass_ = winhttp::BypassList(WideToUtf8(*bypass));
    return true;
  }

  bool Send(std::span<const Variant> args) {
    if (state_ != State::kOpened) {
      return Fail(state_ == State::kNew ? "Send before Open" : "Send again without Open");
    }
    if (args.size() > 1) return Fail("Send takes one body");
    ExchangeRequest request;
    request.headers = headers_;
    if (!args.empty() && !args[0].IsMissing() && !args[0].IsEmpty()) {
      if (const Bytes* bytes = args[0].AsBytes()) {
        if (!bytes->IsEmpty()) request.body = std::string(bytes->AsChars());
      } else if (std::optional<std::u16string> text = WideArgument(args[0])) {
        // Text goes as UTF-8 and says so unless the caller named a type; the empty
        // string is no body at all.
        if (!text->empty()) request.body = WideToUtf8(*text);
        if (!text->empty() && !HasHeader("Content-Type")) {
          request.headers.push_back({"Content-Type", "text/plain; Charset=UTF-8"});
        }
      } else {
        return Fail("Send: the body must be text or an array of bytes");
      }
    }
    state_ = State::kSent;
    request.verb = verb_;
    request.address = address_;
    request.timeouts = timeouts_;
    request.followRedirects = followRedirects_;
    request.ignoreFlags = ignoreFlags_;
    request.proxy = winhttp::ProxyUrl(winhttp::ProxyFor(proxyServers_, address_.https));
    request.proxyBypass = proxyBypass_;
    request.defaultUserAgent = WideToUtf8(userAgent_);
    ExchangeResponse response;
    std::string reason;
    if (!exchanger_.Perform(request, response, reason)) return Fail(reason);
    body_ = Bytes::Adopt(std::move(response.body));
    response_ = std::move(response);
    return true;
  }

  bool WaitForResponse(std::span<const Variant> args, Variant& result) {
    if (args.size() > 1) return Fail("WaitForResponse takes one timeout");
    // Requests are synchronous: by now the response has arrived or failed.
    result = Variant::FromBool(true);
    return true;
  }

  // The readers fail, as the system's do, until a response has arrived.
  bool Responded(std::span<const Variant> args, size_t wanted) const {
    if (args.size() != wanted) return Fail("wrong number of arguments");
    if (!response_) return Fail("no response: Send has not succeeded");
    return true;
  }

  bool ReadStatus(std::span<const Variant> args, Variant& result) const {
    if (!Responded(args, 0)) return false;
    result = Variant::FromInt(static_cast<int32_t>(response_->status));
    return true;
  }

  bool ReadStatusText(std::span<const Variant> args, Variant& result) const {
    if (!Responded(args, 0)) return false;
    result = Variant::FromWide(AnsiToWide(response_->statusText));
    return true;
  }

  bool ReadBody(std::span<const Variant> args, Variant& result) const {
    if (!Responded(args, 0)) return false;
    result = Variant::FromBytes(body_);
    return true;
  }

  bool ReadText(std::span<const Variant> args, Variant& result) const {
    if (!Responded(args, 0)) return false;
    std::string_view body = body_.AsChars();
    std::u16string type = Lower(AnsiToWide(HeaderValue("Content-Type").value_or("")));
    bool chinese = type.find(u"charset=gb") != std::u16string::npos;
    if (!chinese && body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    result = Variant::FromWide(chinese ? AnsiToWide(body) : Utf8ToWide(body));
    return true;
  }

  bool ReadAllHeaders(std::span<const Variant> args, Variant& result) const {
    if (!Responded(args, 0)) return false;
    std::string block;
    for (const std::string& line : response_->headerLines) block.append(line).append("\r\n");
    block.append("\r\n");
    result = Variant::FromWide(AnsiToWide(block));
    return true;
  }

  bool ReadHeader(std::span<const Variant> args, Variant& result) const {
    if (!Responded(args, 1)) return false;
    std::optional<std::u16string> name = WideArgument(args[0]);
    if (!name) return Fail("GetResponseHeader: the name must be text");
    std::optional<std::string> value = HeaderValue(WireBytes(*name));
    if (!value) return Fail("GetResponseHeader: header not found");
    result = Variant::FromWide(AnsiToWide(*value));
    return true;
  }

  std::optional<std::string> HeaderValue(std::string_view name) const {
    if (!response_) return std::nullopt;
    for (const std::string& line : response_->headerLines) {
      size_t colon = line.find(':');
      if (colon == std::string::npos || !SameName(std::string_view(line).substr(0, colon), name)) {
        continue;
      }
      size_t first = line.find_first_not_of(" \t", colon + 1);
      return first == std::string::npos ? std::string() : line.substr(first);
    }
    return std::nullopt;
  }

  bool HasHeader(std::string_view name) const {
    return std::any_of(headers_.begin(), headers_.end(),
                       [name](const RequestHeader& h) { return SameName(h.name, name); });
  }

  bool AccessOption(CallKind kind, std::span<const Variant> args, Variant& result) {
    if (kind == CallKind::PropertyGet || kind == CallKind::Method) {
      if (args.size() != 1) return Fail("Option takes its index");
      std::optional<int64_t> index = IntegerArgument(args[0]);
      if (!index) return Fail("Option: invalid index");
      switch (*index) {
        case kOptionUserAgent:
          result = Variant::FromWide(userAgent_);
          return true;
        case kOptionUrl:
          if (state_ == State::kNew) return Fail("Option(1) before Open");
          result = Variant::FromWide(Utf8ToWide(address_.url));
          return true;
        case kOptionIgnoreCertificateErrors:
          result = Variant::FromInt(static_cast<int32_t>(ignoreFlags_));
          return true;
        case kOptionEnableRedirects:
          result = Variant::FromBool(followRedirects_);
          return true;
        default:
          return Fail("Option: index not offered");
      }
    }
    if (args.size() != 2) return Fail("Option takes an index and a value");
    std::optional<int64_t> index = IntegerArgument(args[0]);
    if (!index) return Fail("Option: invalid index");
    const Variant& value = args[1];
    switch (*index) {
      case kOptionUserAgent: {
        std::optional<std::u16string> agent = WideArgument(value);
        if (!agent || HasLineBreak(*agent)) return Fail("Option(0): invalid user agent");
        userAgent_ = *agent;
        return true;
      }
      case kOptionIgnoreCertificateErrors: {
        std::optional<int64_t> flags = IntegerArgument(value);
        if (!flags || *flags < 0 || (*flags & ~int64_t{winhttp::kAllIgnoreFlags}) != 0) {
          return Fail("Option(4): only the flags 0x0100, 0x0200, 0x1000 and 0x2000");
        }
        ignoreFlags_ = static_cast<uint32_t>(*flags);
        return true;
      }
      case kOptionEnableRedirects: {
        std::optional<bool> enable = BoolArgument(value);
        if (!enable) return Fail("Option(6): invalid value");
        followRedirects_ = *enable;
        return true;
      }
      default:
        return Fail("Option: index not offered for writing");
    }
  }

  State state_ = State::kNew;
  std::string verb_;
  Address address_;
  std::vector<RequestHeader> headers_;
  Timeouts timeouts_;
  bool followRedirects_ = true;
  uint32_t ignoreFlags_ = 0;
  std::string proxyServers_;
  std::string proxyBypass_;
  std::u16string userAgent_ = Utf8ToWide(kDefaultUserAgent);
  std::optional<ExchangeResponse> response_;
  Bytes body_;  // the response's body, moved out of response_ and shared with readers
  winhttp::Exchanger exchanger_;
};

}  // namespace

std::shared_ptr<Dispatchable> MakeWinHttpComponent() {
  // Set up here, once, so threads that make their first objects at the same moment
  // never race on curl's global state.
  winhttp::EnsureCurlInitialised();
  return std::make_shared<WinHttpRequest>();
}

void RegisterWinHttpComponent() {
  RegisterComponent(kWinHttpProgId, MakeWinHttpComponent);
}

}  // namespace quolvane
