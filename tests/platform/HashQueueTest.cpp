// Files hashed on the queue's own thread get the digests of their own bytes, whatever their
// sizes against the buffers, when the copy runs ahead of the hashing and overwrites buffers as
// soon as they are free again.
#include "platform/HashQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mirabel {
namespace {

std::string DigestOf(const std::string& bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return hash.Finish();
}

TEST(HashQueue, EveryFileGetsTheDigestOfItsOwnBytesAndIsForgottenOnceAskedFor) {
    constexpr std::size_t kBuffer = 4096;
    const std::size_t sizes[] = {0, 1, kBuffer, 3 * kBuffer + 17, 7 * kBuffer};
    HashQueue queue(2, kBuffer);
    std::vector<std::pair<std::size_t, std::string>> files;
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        std::string bytes(sizes[i], '\0');
        for (std::size_t b = 0; b < bytes.size(); ++b) bytes[b] = static_cast<char>(b * 31 + i);
        files.emplace_back(queue.StartFile(), bytes);
        std::size_t at = 0;
        do {
            const std::span<char> buffer = queue.TakeBuffer();
            const std::size_t count = std::min(buffer.size(), bytes.size() - at);
            std::copy_n(bytes.data() + at, count, buffer.data());
            queue.Hash(count);
            at += count;
        } while (at < bytes.size());
    }
    for (const auto& [number, bytes] : files) {
        const HashQueue::Digest digest = queue.Result(number);
        EXPECT_EQ(digest.bytes, bytes.size());
        EXPECT_EQ(digest.sha256, DigestOf(bytes)) << bytes.size() << " bytes";
        EXPECT_EQ(queue.Result(number).sha256, "") << bytes.size() << " bytes";
    }
}

}  // namespace
}  // namespace mirabel
