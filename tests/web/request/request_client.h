// Small helpers of the request suites: one exchange through WinHttp.WinHttpRequest.5.1
// by automation calls only, so the suites run against the built-in component and,
// cross-built, against the system's under Windows or Wine alike.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "automation/apartment.h"
#include "automation/calls.h"
#include "tests/support/loopback.h"

namespace quolvane::testing {

inline constexpr const char* kRequestProgId = "WinHttp.WinHttpRequest.5.1";

inline Text T(const std::string& text) {
  return Text(std::string_view(text));
}

// What a caller of the component can see of one exchange.
struct Outcome {
  int32_t status = 0;
  std::string body;
  std::string headers;  // GetAllResponseHeaders
  int64_t elapsedMs = 0;

  [[nodiscard]] bool Failed() const { return status == 0 && body.empty() && headers.empty(); }
};

// Runs Open(verb, url, false), then prepare (SetRequestHeader, Option...), then Send(body)
// on a new object, or on object when given; reads the response members.
inline Outcome Exchange(const std::string& url,
                        const std::function<void(const ComObject&)>& prepare = {},
                        const std::string& verb = "GET", const Arg& body = kOmitted,
                        ComObject object = {}) {
  ApartmentScope apartment;
  if (object.IsEmpty()) {
    EXPECT_TRUE(CreateObject(object, kRequestProgId)) << "the request component is missing";
  }
  auto start = std::chrono::steady_clock::now();
  CallMethod(object, "Open", {T(verb), T(url), false});
  if (prepare) prepare(object);
  CallMethod(object, "Send", {body});
  Outcome outcome;
  outcome.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  outcome.status = GetProperty(object, "Status").ToInt();
  outcome.body = std::string(GetProperty(object, "ResponseBody").ToBytes().AsChars());
  outcome.headers = std::string(CallMethod(object, "GetAllResponseHeaders").ToText().View());
  return outcome;
}

// Everything the servers received under token, as the request log tells it.
inline std::vector<ReceivedRequest> ReceivedUnder(const std::string& token) {
  Outcome log = Exchange(LoopbackUrl("/_log/" + token));
  EXPECT_EQ(log.status, 200) << "the request log did not answer";
  return ParseLog(log.body);
}

// The echo's view of the exchange; an empty request when the echo was not reached.
inline ReceivedRequest Echoed(const Outcome& outcome) {
  return ParseEcho(outcome.body).value_or(ReceivedRequest{});
}

}  // namespace quolvane::testing
