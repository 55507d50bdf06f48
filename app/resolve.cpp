#include "app/resolve.h"

#include <optional>

#include "automation/dispatch.h"
#include "regex/regex_object.h"
#include "web/web_request.h"

namespace quolvane {

ShareResolution ResolveShareLink(const Text& shareText, int32_t timeoutSeconds) {
  ShareResolution result;
  // Both matchers exist before anything else happens.
  std::optional<RegexObject> linkMatcher(std::in_place);
  std::optional<RegexObject> identifierMatcher(std::in_place);

  linkMatcher->Create(kLinkPattern, shareText);
  Text link = linkMatcher->MatchText(1);

  // Every option left out, but for the command line's timeout; status and the
  // component's reason are read back only to tell the user what went wrong.
  WebRequestOptions options;
  options.timeoutSeconds = timeoutSeconds;
  ClearCallFailureReason();
  Text pageText = BytesToText(WebRequest(link, options));
  result.status = options.status;
  if (result.status == 0) result.failureReason = Text(LastCallFailureReason());

  identifierMatcher->Create(kIdentifierPattern, pageText);
  Text identifier = identifierMatcher->SubMatchText(1, 1);
  result.playAddress = ConcatText(kPlayAddressPrefix, identifier);

  // Released in a fixed order: link, its matcher, the page, its matcher, identifier.
  result.link = std::move(link);
  linkMatcher.reset();
  pageText = Text();
  identifierMatcher.reset();
  result.identifier = std::move(identifier);
  return result;
}

Text ResolveShareText(const Text& shareText) {
  return ResolveShareLink(shareText).playAddress;
}

}  // namespace quolvane
