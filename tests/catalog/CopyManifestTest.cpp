// The manifest beside a copy is read by standard tools: what it says is checked by `sha256sum
// -c` itself, and its hashes are those `sha256sum` computes.
#include "catalog/CopyManifest.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "fixtures/TempDir.h"
#include "fixtures/ToolRun.h"
#include "platform/Sha256.h"

namespace mirabel {
namespace {

std::string HashOf(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    std::optional<std::string> digest = HashRestOfFile(fd);
    ::close(fd);
    return digest.value_or("");
}

TEST(CopyManifest, Sha256sumChecksTheCopyAndFindsAFlippedByte) {
    TempDir root;
    const std::string imagePath = "\\2004\\0117\\ST 01";
    const std::filesystem::path study = root / "images/2004/0117/ST 01";
    std::filesystem::create_directories(study);
    // Names as they occur, and those `sha256sum` must escape.
    const std::vector<std::pair<std::string, std::string>> named = {
        {"cv.dir", "IMG1.DCM\n"},
        {"IMG1.DCM", std::string(3 << 20, 'x')},
        {"empty", ""},
        {"back\\slash", "b"},
        {"line\nbreak", "n"},
        {"space name.dcm", "s"}};
    std::vector<CopiedFile> files;
    for (const auto& [name, bytes] : named) {
        WriteFileBytes(study / name, bytes);
        files.push_back({name, bytes.size(), HashOf(study / name)});
    }
    EXPECT_EQ(files[2].sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::filesystem::path manifest = root / ManifestPathFor(imagePath);
    EXPECT_EQ(ManifestPathFor(imagePath), "manifests/2004/0117/ST 01.sha256");
    std::filesystem::create_directories(manifest.parent_path());
    WriteFileBytes(manifest, ManifestText(imagePath, files));

    const std::string check = "cd '" + root.path().string() + "' && sha256sum --strict -c '" +
                              ManifestPathFor(imagePath) + "'";
    EXPECT_EQ(RunTool(check).status, 0) << RunTool(check).output;

    // The text read back gives the same files, and `sha256sum`'s own listing reads the same.
    auto lines = ParseManifest(ReadFileBytes(manifest));
    ASSERT_TRUE(lines);
    auto back = ManifestFiles(imagePath, *lines);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ((*back)[i].name, files[i].name);
        EXPECT_EQ((*back)[i].sha256, files[i].sha256);
    }
    const ToolRun own = RunTool("cd '" + study.string() + "' && sha256sum -- * 2>/dev/null");
    auto theirs = ParseManifest(own.output);
    ASSERT_TRUE(theirs) << own.output;

    WriteFileBytes(study / "IMG1.DCM", std::string(3 << 20, 'x').replace(1 << 20, 1, "y"));
    EXPECT_NE(RunTool(check).status, 0);
}

TEST(CopyManifest, AManifestCutOrNamingAnotherStudyIsNotTrusted) {
    const std::string digest(64, 'a');
    const std::vector<std::string> refused = {
        digest + "  images/2004/ST01/IMG1",                  // no line end: cut
        digest.substr(1) + "   images/2004/ST01/IMG1\n",     // a short digest
        "\\" + digest + "  images/2004/ST01/a\\qb\n",        // an unknown escape
        std::string(64, 'A') + "  images/2004/ST01/IMG1\n",  // not as sha256sum prints
    };
    for (const std::string& text : refused) EXPECT_FALSE(ParseManifest(text)) << text;

    for (const std::string path :
         {"images/2004/ST02/IMG1", "images/2004/ST01/sub/IMG1", "images/2004/ST01/"}) {
        auto lines = ParseManifest(digest + "  " + path + "\n");
        ASSERT_TRUE(lines) << path;
        EXPECT_FALSE(ManifestFiles("\\2004\\ST01", *lines)) << path;
    }
}

}  // namespace
}  // namespace mirabel
