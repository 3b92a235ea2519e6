#include "archive/CurlHandle.h"

#include <curl/curl.h>

#include <stdexcept>

namespace mirabel {

namespace {
// libcurl's global set-up runs once per process, before the first handle.
void InitialiseLibcurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) throw std::runtime_error(curl_easy_strerror(result));
}
}  // namespace

CurlHandle::CurlHandle() {
    InitialiseLibcurlOnce();
    curl_ = curl_easy_init();
    if (!curl_) throw std::runtime_error("libcurl could not create a handle");
}

CurlHandle::~CurlHandle() noexcept {
    if (curl_) curl_easy_cleanup(curl_);
}

CurlHandle& CurlHandle::operator=(CurlHandle&& other) noexcept {
    if (this != &other) {
        if (curl_) curl_easy_cleanup(curl_);
        curl_ = other.curl_;
        other.curl_ = nullptr;
    }
    return *this;
}

}  // namespace mirabel
