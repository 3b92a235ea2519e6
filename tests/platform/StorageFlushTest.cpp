// A copy is trusted only once it lies on the storage: its data is flushed and the read-back
// that verifies it comes from the storage, not from the page cache.
#include "platform/StorageFlush.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "fixtures/RandomBytes.h"
#include "fixtures/TempDir.h"
#include "platform/FileDescriptor.h"

namespace mirabel {

namespace {

namespace fs = std::filesystem;

// How many of the file's pages the page cache holds.
std::size_t CachedPages(const fs::path& file) {
    const SystemResult<FileDescriptor> fd = FileDescriptor::OpenForReading(file);
    if (!fd) return SIZE_MAX;
    const std::size_t size = fs::file_size(file);
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd->Get(), 0);
    if (mapped == MAP_FAILED) return SIZE_MAX;
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    const bool known = ::mincore(mapped, size, resident.data()) == 0;
    ::munmap(mapped, size);
    if (!known) return SIZE_MAX;
    std::size_t cached = 0;
    for (unsigned char flags : resident) cached += flags & 1;
    return cached;
}

class StorageFlush : public ::testing::Test {
  protected:
    TempDir root;
    fs::path study = root / "images/2004/ST01";
    StorageFlush() { fs::create_directories(study); }
};

TEST_F(StorageFlush, TheCopiedFilesAreReadBackFromStorageNotFromMemory) {
    for (const char* name : {"a.dcm", "b.dcm", "exam.ver"})
        WriteFileBytes(study / name, RandomBytes(256 * 1024, 7));
    ASSERT_TRUE(FlushFolderToStorage(study, root.path()));
    for (const char* name : {"a.dcm", "b.dcm", "exam.ver"})
        EXPECT_EQ(CachedPages(study / name), 0u) << name;
}

TEST_F(StorageFlush, FailsOnlyWhenTheCopyCannotBeMadeDurable) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        fs::path folder;
        fs::path top;  // where the folders to flush end
        bool flushed;
    };
    const fs::path outside = root / "outside";
    const std::vector<Case> cases{
        {"a link and a FIFO beside the copy are neither followed nor opened",
         [&] {
             WriteFileBytes(outside, "not part of the copy");
             fs::create_symlink(outside, study / "link");
             ASSERT_EQ(::mkfifo((study / "fifo").c_str(), 0600), 0);
         },
         study, root.path(), true},
        {"a folder not below the root is flushed on its own", [] {}, root / "images", study, true},
        {"a folder that is gone", [] {}, root / "gone", root.path(), false},
    };
    for (const Case& c : cases) {
        c.arrange();
        WriteFileBytes(study / "a.dcm", "copied");
        EXPECT_EQ(FlushFolderToStorage(c.folder, c.top), c.flushed) << c.what;
    }
}

}  // namespace

}  // namespace mirabel
