#pragma once
// SHA-256 of file bytes, as `sha256sum` prints it: 64 lower-case hexadecimal digits. The
// processor's SHA instructions are used where present (OpenSSL's libcrypto chooses).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mirabel {

class Sha256 {
  public:
    // Throws std::bad_alloc when the library cannot make a context.
    Sha256();
    ~Sha256();
    Sha256(Sha256&&) noexcept;
    Sha256& operator=(Sha256&&) noexcept;

    void Update(const void* bytes, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }

    // The digest of everything given since the start (or the last Finish), which starts over.
    std::string Finish();
    // The bytes given since the start (or the last Finish).
    std::uint64_t Bytes() const { return bytes_; }

  private:
    struct Context;
    std::unique_ptr<Context> context_;
    std::uint64_t bytes_ = 0;
};

// The digest of the rest of an open file, read through a buffer of its own; nullopt on a read
// error (errno set). `bytesRead` (when given) receives the count that was hashed.
[[nodiscard]] std::optional<std::string> HashRestOfFile(int fd, std::uint64_t* bytesRead = nullptr);

// True when `text` is what Finish gives: 64 lower-case hexadecimal digits.
bool IsSha256Text(std::string_view text);

}  // namespace mirabel
