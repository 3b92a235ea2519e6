#pragma once
// The program's own exception: a message text such as "database error". Thrown by value and
// caught by reference; callers that catch it write the message to the error log or discard it.
#include <cstddef>
#include <exception>
#include <string>

namespace mirabel {

class CCVAException : public std::exception {
  public:
    explicit CCVAException(std::string message) : message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

    // Copies at most bufferSize characters of the message in the manner of strncpy: no
    // terminating NUL when the message fills the buffer. The help context is not touched.
    bool GetErrorMessage(char* buffer, std::size_t bufferSize,
                         unsigned* helpContext = nullptr) const;

  private:
    std::string message_;
};

}  // namespace mirabel
