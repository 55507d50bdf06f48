// Every entry into the thread's apartment is matched by one exit, on the failure paths
// too: failed creations, failed calls, bad patterns, requests that time out or are
// refused, and a resolution that fails. The real components do the work; a thin spy in
// front of each notes the apartment depth its calls run at, so the entries are
// counted, not only their balance.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/resolve.h"
#include "automation/apartment.h"
#include "automation/calls.h"
#include "automation/registry.h"
#include "components/regexp/regexp_component.h"
#include "components/winhttp/winhttp_component.h"
#include "regex/regex_object.h"
#include "tests/support/loopback.h"
#include "web/web_request.h"

namespace quolvane {
namespace {

// The deepest apartment depth a component's calls ran at since the last reset; 0: no
// call reached it.
std::atomic<int> gWinHttpDepth{0};
std::atomic<int> gRegExpDepth{0};

class DepthSpy final : public Dispatchable {
 public:
  DepthSpy(std::shared_ptr<Dispatchable> real, std::atomic<int>& deepest)
      : real_(std::move(real)), deepest_(deepest) {}
  bool Invoke(std::string_view member, CallKind kind, std::span<const Variant> args,
              Variant& result) override {
    int depth = ApartmentDepth();
    int seen = deepest_.load();
    while (depth > seen && !deepest_.compare_exchange_weak(seen, depth)) {
    }
    return real_->Invoke(member, kind, args, result);
  }

 private:
  std::shared_ptr<Dispatchable> real_;
  std::atomic<int>& deepest_;
};

void RegisterSpies() {
  RegisterComponent(kWinHttpProgId, [] {
    return std::make_shared<DepthSpy>(MakeWinHttpComponent(), gWinHttpDepth);
  });
  RegisterComponent(kRegExpProgId,
                    [] { return std::make_shared<DepthSpy>(MakeRegExpComponent(), gRegExpDepth); });
}

class ApartmentPairingTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterSpies(); }
  void TearDown() override {
    RegisterWinHttpComponent();
    RegisterRegExpComponent();
  }
};

std::string Page(const std::string& body) {
  return LoopbackUrl("/text?body=" + LoopbackQueryEncode(body));
}

Bytes Fetch(const std::string& url, int32_t timeoutSeconds, bool emptyObject = false) {
  WebRequestOptions options;
  options.timeoutSeconds = timeoutSeconds;
  if (emptyObject) options.requestObject.emplace();
  return WebRequest(Text(url), options);
}

TEST_F(ApartmentPairingTest, EveryPathLeavesAsOftenAsItEnters) {
  const std::string silent = LoopbackUrlAt(LoopbackPort::kSilent, "/");
  const std::string closed = LoopbackUrlAt(LoopbackPort::kClosed, "/");
  const std::string identifier(32, 'q');
  struct Case {
    const char* what;
    std::function<void()> run;
    int winHttpDepth;  // above the start, while the component ran; 0: never reached
    int regExpDepth;
  } cases[] = {
      {"creation of an unknown ProgID",
       [] {
         ApartmentScope apartment;
         ComObject object;
         EXPECT_FALSE(CreateObject(object, Text("No.Such.Component")));
       },
       0, 0},
      {"creation outside any apartment",
       [] {
         ComObject object;
         EXPECT_FALSE(CreateObject(object, Text(kWinHttpProgId)));
       },
       0, 0},
      {"calls that fail: unknown member, too many arguments, empty object",
       [] {
         ApartmentScope apartment;
         ComObject request;
         ASSERT_TRUE(CreateObject(request, Text(kWinHttpProgId)));
         EXPECT_TRUE(CallMethod(request, "NoSuchMember").IsEmpty());
         EXPECT_TRUE(CallMethod(request, "Open", {"GET", "http://x/", false, 1, 2}).IsEmpty());
         EXPECT_TRUE(GetProperty(request, "Status").IsEmpty());  // before any Send
         EXPECT_TRUE(CallMethod(ComObject(), "Open").IsEmpty());
       },
       1, 0},
      {"regular expressions with bad patterns, a copy and a second Destroy",
       [] {
         RegexObject unbalanced;
         unbalanced.Create(Text("(ab"), Text("abc"));
         EXPECT_TRUE(unbalanced.MatchText(1).IsEmpty());
         RegexObject badClass;
         badClass.Create(Text("[z-a]"), Text("abc"));
         std::unique_ptr<RegexObject> copy = badClass.Copy();
         EXPECT_EQ(copy->MatchCount(), 0);
         EXPECT_EQ(copy->GetPattern(), Text("[z-a]"));  // reaches the component
         copy->Destroy();
         copy->Destroy();
       },
       0, 3},
      {"request whose object cannot be created",
       [] {
         UnregisterComponent(kWinHttpProgId);
         EXPECT_TRUE(Fetch(LoopbackUrl("/text"), 5).IsEmpty());
         RegisterSpies();
       },
       0, 0},
      {"request on an empty request object",
       [] { EXPECT_TRUE(Fetch(LoopbackUrl("/text"), 5, true).IsEmpty()); }, 0, 0},
      {"request that times out", [&] { EXPECT_TRUE(Fetch(silent, 1).IsEmpty()); }, 1, 0},
      {"request that is refused", [&] { EXPECT_TRUE(Fetch(closed, 1).IsEmpty()); }, 1, 0},
      {"request to an address that is no address",
       [] { EXPECT_TRUE(Fetch("file:///etc/passwd", 1).IsEmpty()); }, 1, 0},
      {"resolution without a link",
       [] { EXPECT_TRUE(ResolveShareLink(Text("no link here"), 1).identifier.IsEmpty()); }, 3, 2},
      {"resolution whose request times out",
       [&] { EXPECT_TRUE(ResolveShareLink(Text("see " + silent), 1).identifier.IsEmpty()); }, 3, 2},
      {"resolution of a page without an identifier",
       [] { EXPECT_TRUE(ResolveShareLink(Text(Page("nothing")), 5).identifier.IsEmpty()); }, 3, 2},
      {"resolution when VBScript.RegExp cannot be created",
       [&] {
         UnregisterComponent(kRegExpProgId);
         ShareResolution result =
             ResolveShareLink(Text(Page("{\"uri\":\"" + identifier + "\"}")), 5);
         EXPECT_TRUE(result.identifier.IsEmpty());
         RegisterSpies();
       },
       3, 0},
      {"resolution that succeeds",
       [&] {
         ShareResolution result =
             ResolveShareLink(Text(Page("{\"uri\":\"" + identifier + "\"}")), 5);
         EXPECT_EQ(std::string(result.identifier.View()), identifier);
       },
       3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // On this thread and on a fresh one, whose depth starts at 0.
    for (bool onWorker : {false, true}) {
      SCOPED_TRACE(onWorker ? "worker thread" : "test thread");
      int start = 0;
      int end = 0;
      gWinHttpDepth = 0;
      gRegExpDepth = 0;
      auto body = [&] {
        start = ApartmentDepth();
        c.run();
        end = ApartmentDepth();
      };
      if (onWorker) {
        std::thread(body).join();
      } else {
        body();
      }
      EXPECT_EQ(end, start);
      EXPECT_EQ(gWinHttpDepth.load(), c.winHttpDepth == 0 ? 0 : start + c.winHttpDepth);
      EXPECT_EQ(gRegExpDepth.load(), c.regExpDepth == 0 ? 0 : start + c.regExpDepth);
    }
  }
}

}  // namespace
}  // namespace quolvane
