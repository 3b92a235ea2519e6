#include "core/TextArena.h"

#include <cstring>

namespace mirabel {

char* TextArena::Allocate(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (bytes > kChunkBytes) {
        // Kept beside the open chunk, whose free room stays for the next small texts.
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        capacity_ += bytes;
        return chunks_.back().get();
    }
    if (!open_ || kChunkBytes - used_ < bytes) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkBytes));
        capacity_ += kChunkBytes;
        open_ = chunks_.back().get();
        used_ = 0;
    }
    char* at = open_ + used_;
    used_ += bytes;
    return at;
}

const char* TextArena::Store(std::initializer_list<std::string_view> texts) {
    std::size_t bytes = 0;
    for (std::string_view text : texts) bytes += text.size();
    char* const begin = Allocate(bytes);
    char* at = begin;
    for (std::string_view text : texts) {
        if (!text.empty()) std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
    return begin;
}

void TextArena::Clear() {
    chunks_.clear();
    open_ = nullptr;
    used_ = 0;
    capacity_ = 0;
}

}  // namespace mirabel
