#pragma once
// A libcurl string list (the commands sent around a transfer), freed with the object. It must
// outlive the transfers that use it.
#include <curl/curl.h>

#include <string>

namespace mirabel {

class CurlStringList {
  public:
    CurlStringList() = default;
    ~CurlStringList() noexcept { curl_slist_free_all(list_); }
    CurlStringList(const CurlStringList&) = delete;
    CurlStringList& operator=(const CurlStringList&) = delete;

    // False when libcurl has no memory for it.
    bool Append(const std::string& text) {
        curl_slist* longer = curl_slist_append(list_, text.c_str());
        if (!longer) return false;
        list_ = longer;
        return true;
    }
    curl_slist* Get() const { return list_; }

  private:
    curl_slist* list_ = nullptr;
};

}  // namespace mirabel
