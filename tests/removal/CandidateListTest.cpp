// The deletion candidates' compact list: what it holds and what it costs.
#include "removal/CandidateList.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <string>
#include <vector>

namespace mirabel {

namespace {

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Text {
    std::string examId, imagePath, archiveValue;
};

}  // namespace

// Empty texts, texts larger than the arena's chunks, archive values that end with the image path
// and others that do not: every candidate reads back what it was given, also after the deleted
// ones left.
TEST(CandidateList, EveryCandidateKeepsItsTextWhateverItsLength) {
    std::vector<Text> given;
    for (int k = 0; k < 30000; ++k) {
        const std::string id = std::to_string(k);
        if (k % 10000 == 5)
            given.push_back({id, std::string(300000, 'p'), ""});
        else if (k % 1000 == 7)
            given.push_back({"", "", ""});
        else if (k % 2)
            given.push_back({id, "\\2024\\ST" + id, "NFS:ARCH:/a/" + id + "/"});
        else  // the copy's folder named like the study's
            given.push_back({id, "\\2024\\ST" + id, "FTP:h /images\\2024\\ST" + id});
    }
    CandidateList list;
    for (std::size_t k = 0; k < given.size(); ++k) {
        list.Add(given[k].examId, given[k].imagePath, given[k].archiveValue).m_bDeleted =
            k % 3 == 1;
    }
    list.EraseDeleted();
    std::size_t next = 0;
    for (std::size_t k = 0; k < given.size(); ++k) {
        if (k % 3 == 1) continue;
        ASSERT_LT(next, list.size());
        const Candidate& candidate = list[next++];
        ASSERT_EQ(candidate.ExamId(), given[k].examId) << k;
        ASSERT_EQ(candidate.ImagePath(), given[k].imagePath) << k;
        ASSERT_EQ(candidate.ArchiveValue(), given[k].archiveValue) << k;
    }
    EXPECT_EQ(next, list.size());
}

// Half a million candidates must fit in a few megabytes: the heap grows by their text and a few
// dozen bytes a candidate, with no allocation of a candidate's own.
TEST(CandidateList, ACandidateCostsItsTextAndAFewDozenBytes) {
    constexpr int kCount = 200000;
    std::size_t textBytes = 0;
    const std::size_t before = HeapInUse();
    CandidateList list;
    for (int k = 0; k < kCount; ++k) {
        const std::string id = std::to_string(1000000 + k);
        const std::string path = "\\2024\\ST" + id;
        const std::string archive = "NFS:ARCH:/archive/" + id + "/";
        list.Add(id, path, archive);
        textBytes += id.size() + path.size() + archive.size();
    }
    const std::size_t grown = HeapInUse() - before;
    EXPECT_LT(grown, textBytes + kCount * std::size_t{2} * sizeof(Candidate)) << grown;
    EXPECT_LE(sizeof(Candidate), 24u);
}

}  // namespace mirabel
