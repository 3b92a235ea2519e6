#pragma once
// One libcurl easy handle. Its connection cache lives as long as the handle, so a series of
// transfers to one server reuses one control connection.

// libcurl's own declaration of its handle type, repeated so that users of the FTP client do
// not see the library.
typedef void CURL;

namespace mirabel {

class CurlHandle {
  public:
    // Throws std::runtime_error when libcurl cannot make a handle (out of memory).
    CurlHandle();
    ~CurlHandle() noexcept;
    CurlHandle(CurlHandle&& other) noexcept : curl_(other.curl_) { other.curl_ = nullptr; }
    CurlHandle& operator=(CurlHandle&& other) noexcept;
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    CURL* Get() const { return curl_; }

  private:
    CURL* curl_ = nullptr;
};

}  // namespace mirabel
