#include "db/StudyRecord.h"

#include <gtest/gtest.h>

#include <string>

#include "core/Text.h"

namespace mirabel {

namespace {

StudyRecord FullRecord() {
    return StudyRecord({.name = "Ann Smith",
                        .lastName = "Smith",
                        .firstName = "Ann",
                        .examDate = "01/17/2004 10:30",
                        .imagePath = "\\2004\\0117\\ST00000001",
                        .examId = "42",
                        .patientId = "7",
                        .archiveValue = "NFS:bench:/archive/images/2004/0117/ST00000001/"});
}

// Every field as text, in one line, to compare whole records.
std::string AllFields(const StudyRecord& r) {
    return Concat({r.Name(), "|", r.LastName(), "|", r.FirstName(), "|", r.ExamDate(), "|",
                   r.ImagePath(), "|", r.ExamId(), "|", r.PatientId(), "|", r.ArchiveValue()});
}

TEST(StudyRecord, EachSetterChangesOnlyItsFieldWhateverTheLengthsBecome) {
    const struct {
        void (StudyRecord::*set)(std::string_view);
        const char* value;
        const char* expected;
    } cases[] = {
        {&StudyRecord::SetName, "",
         "|Smith|Ann|01/17/2004 10:30|\\2004\\0117\\ST00000001|42|7|"
         "NFS:bench:/archive/images/2004/0117/ST00000001/"},
        {&StudyRecord::SetExamDate, "a date much longer than the one before",
         "Ann Smith|Smith|Ann|a date much longer than the one before|\\2004\\0117\\ST00000001|42|"
         "7|NFS:bench:/archive/images/2004/0117/ST00000001/"},
        {&StudyRecord::SetExamId, "4711",
         "Ann Smith|Smith|Ann|01/17/2004 10:30|\\2004\\0117\\ST00000001|4711|7|"
         "NFS:bench:/archive/images/2004/0117/ST00000001/"},
        {&StudyRecord::SetArchiveValue, "",
         "Ann Smith|Smith|Ann|01/17/2004 10:30|"
         "\\2004\\0117\\ST00000001|42|7|"},
    };
    for (const auto& c : cases) {
        StudyRecord record = FullRecord();
        (record.*c.set)(c.value);
        EXPECT_EQ(AllFields(record), c.expected) << c.value;
    }
    EXPECT_EQ(AllFields(StudyRecord()), "|||||||");
}

TEST(StudyRecord, ASetterMayBeGivenTheRecordsOwnText) {
    StudyRecord record = FullRecord();
    record.SetName(record.ArchiveValue());
    record.SetArchiveValue(record.Name().substr(4, 5));
    EXPECT_EQ(record.Name(), "NFS:bench:/archive/images/2004/0117/ST00000001/");
    EXPECT_EQ(record.ArchiveValue(), "bench");
    record.SetText(record.Text());
    EXPECT_EQ(AllFields(record),
              "NFS:bench:/archive/images/2004/0117/ST00000001/|Smith|Ann|"
              "01/17/2004 10:30|\\2004\\0117\\ST00000001|42|7|bench");
}

TEST(StudyRecord, ACopyHasItsOwnTextAndTheSameFlagsAndAMovedFromRecordIsEmpty) {
    StudyRecord original = FullRecord();
    original.m_bSelected = 1;
    original.m_bUpdateDatabase = 0;
    StudyRecord copy = original;
    original.SetExamId("1");
    EXPECT_EQ(copy.ExamId(), "42");
    EXPECT_EQ(AllFields(copy).substr(0, 10), "Ann Smith|");
    EXPECT_EQ(copy.m_bSelected, 1);
    EXPECT_EQ(copy.m_bUpdateDatabase, 0);
    copy = original;
    EXPECT_EQ(copy.ExamId(), "1");

    StudyRecord moved = std::move(copy);
    EXPECT_EQ(moved.ExamId(), "1");
    EXPECT_EQ(AllFields(copy), "|||||||");
    copy = std::move(moved);
    EXPECT_EQ(copy.ExamId(), "1");
    EXPECT_EQ(AllFields(moved), "|||||||");
}

}  // namespace

}  // namespace mirabel
