#include "platform/Sha256.h"

#include <openssl/evp.h>

#include <array>
#include <cstdint>
#include <memory>
#include <new>

#include "platform/FileIo.h"

namespace mirabel {

namespace {

// Large enough that the read calls cost nothing beside the hashing, small enough for a thread.
constexpr std::size_t kReadBlock = 1 << 20;

}  // namespace

struct Sha256::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
    void Start() {
        if (!md || EVP_DigestInit_ex(md, EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
    }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {
    context_->Start();
}
Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(const void* bytes, std::size_t size) {
    EVP_DigestUpdate(context_->md, bytes, size);
    bytes_ += size;
}

std::string Sha256::Finish() {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->md, digest.data(), &length);
    context_->Start();
    bytes_ = 0;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}

std::optional<std::string> HashRestOfFile(int fd, std::uint64_t* bytesRead) {
    AdviseSequentialReading(fd);
    // Left unfilled: most files are a few kilobytes, and clearing a megabyte for each of them
    // cost more than hashing them.
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kReadBlock);
    Sha256 hash;
    std::uint64_t total = 0;
    for (;;) {
        const SystemResult<std::size_t> count = ReadSome(fd, buffer.get(), kReadBlock);
        if (!count) return std::nullopt;
        if (*count == 0) break;
        hash.Update(buffer.get(), *count);
        total += *count;
    }
    if (bytesRead) *bytesRead = total;
    return hash.Finish();
}

bool IsSha256Text(std::string_view text) {
    if (text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace mirabel
