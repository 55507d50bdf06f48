// Owning handles for libcurl's objects, and its one-time global set-up.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace quolvane::winhttp {

struct EasyCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct UrlCleanup {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

// A header list that grows by copies of the lines appended to it.
class HeaderList {
 public:
  // False when curl cannot store the line (out of memory); the list stays usable.
  bool Append(const std::string& line) {
    curl_slist* grown = curl_slist_append(list_.get(), line.c_str());
    if (grown == nullptr) return false;
    (void)list_.release();  // curl_slist_append returned the same head, or a new one
    list_.reset(grown);
    return true;
  }
  [[nodiscard]] curl_slist* Get() const { return list_.get(); }

 private:
  std::unique_ptr<curl_slist, ListCleanup> list_;
};

// curl_global_init exactly once per process, whichever thread asks first; false when
// it failed (every request then fails).
bool EnsureCurlInitialised();

}  // namespace quolvane::winhttp
