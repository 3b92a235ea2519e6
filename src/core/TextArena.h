#pragma once
// Text for many small records without an allocation each: the text goes into large chunks that
// never move, so that a view of it stays valid until the arena is cleared or goes. A text larger
// than a chunk gets a chunk of its own.
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

namespace mirabel {

class TextArena {
  public:
    TextArena() = default;
    TextArena(TextArena&&) noexcept = default;
    TextArena& operator=(TextArena&&) noexcept = default;

    // Room for `bytes` characters, valid as long as the arena; nullptr for none.
    char* Allocate(std::size_t bytes);
    // The texts back to back in the arena: where the first begins.
    const char* Store(std::initializer_list<std::string_view> texts);
    void Clear();
    // The bytes of every chunk held: what the arena costs.
    std::size_t Capacity() const { return capacity_; }

  private:
    static constexpr std::size_t kChunkBytes = 256 * 1024;

    std::vector<std::unique_ptr<char[]>> chunks_;
    char* open_ = nullptr;  // the chunk that takes small texts, kChunkBytes long
    std::size_t used_ = 0;  // of the open chunk
    std::size_t capacity_ = 0;
};

}  // namespace mirabel
