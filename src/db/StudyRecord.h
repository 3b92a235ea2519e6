#pragma once
// One study in memory, shared by the archive run, the deletion candidates, the image-server
// transfer and the manual selection, and the process-wide list a run works through.
//
// A run may hold half a million of these, so a record keeps all its text in one allocation:
// the fields back to back in one buffer, each ending at a recorded offset. The readers return
// views into that buffer. A view stays valid until the next setter on the same record (a setter
// builds a new buffer, so it may itself be given a view of the record's own text).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

// A record's text, given or read all at once.
struct StudyText {
    std::string_view name{};          // display name: first name, one blank, last name
    std::string_view lastName{};      // NAME_L (filled by the deletion and manual selections)
    std::string_view firstName{};     // NAME_F (likewise)
    std::string_view examDate{};      // EXAM_DATE as text
    std::string_view imagePath{};     // IMAGE_PATH: the study folder under the image root
    std::string_view examId{};        // EXAM_ID: the key of every later statement on the study
    std::string_view patientId{};     // PAT_ID
    std::string_view archiveValue{};  // the archive column's value (deletion candidates)
    std::string_view mrn{};           // IUH_ID (deletion candidates)
};

class StudyRecord {
  public:
    StudyRecord() = default;
    explicit StudyRecord(const StudyText& text) { SetText(text); }
    StudyRecord(const StudyRecord& other) : StudyRecord(other.Text()) { CopyFlags(other); }
    StudyRecord& operator=(const StudyRecord& other);
    // The record moved from is left empty (its offsets would otherwise outlive its buffer).
    StudyRecord(StudyRecord&& other) noexcept;
    StudyRecord& operator=(StudyRecord&& other) noexcept;

    std::string_view Name() const { return Field(kName); }
    std::string_view LastName() const { return Field(kLastName); }
    std::string_view FirstName() const { return Field(kFirstName); }
    std::string_view ExamDate() const { return Field(kExamDate); }
    std::string_view ImagePath() const { return Field(kImagePath); }
    std::string_view ExamId() const { return Field(kExamId); }
    std::string_view PatientId() const { return Field(kPatientId); }
    std::string_view ArchiveValue() const { return Field(kArchiveValue); }
    std::string_view Mrn() const { return Field(kMrn); }
    StudyText Text() const;

    void SetName(std::string_view value) { SetField(kName, value); }
    void SetLastName(std::string_view value) { SetField(kLastName, value); }
    void SetFirstName(std::string_view value) { SetField(kFirstName, value); }
    void SetExamDate(std::string_view value) { SetField(kExamDate, value); }
    void SetImagePath(std::string_view value) { SetField(kImagePath, value); }
    void SetExamId(std::string_view value) { SetField(kExamId, value); }
    void SetPatientId(std::string_view value) { SetField(kPatientId, value); }
    void SetArchiveValue(std::string_view value) { SetField(kArchiveValue, value); }
    // Replaces the whole text with one new buffer.
    void SetText(const StudyText& text);

    int m_bSelected = 0;
    int m_bDeleted = 0;
    int m_bArchived = 0;
    int m_bUpdateDatabase = 1;        // the archive run writes the archive value into EXAM
    std::uint64_t archivedBytes = 0;  // the bytes of its files the last archive run copied
    // The run's notice that the study's file names break the DICOM media naming rules was
    // written: once a study, however often it is tried.
    int m_bNamingNoticeWritten = 0;

  private:
    enum FieldIndex {
        kName,
        kLastName,
        kFirstName,
        kExamDate,
        kImagePath,
        kExamId,
        kPatientId,
        kArchiveValue,
        kMrn,
        kFieldCount
    };

    std::string_view Field(FieldIndex field) const {
        const std::uint32_t begin = field == 0 ? 0 : ends_[field - 1];
        return {text_.get() + begin, ends_[field] - begin};
    }
    using Fields = std::array<std::string_view, kFieldCount>;
    static Fields InOrder(const StudyText& text);
    void SetFields(const Fields& fields);
    void SetField(FieldIndex field, std::string_view value);
    void CopyFlags(const StudyRecord& other);

    std::unique_ptr<char[]> text_;  // the fields back to back, no terminators
    std::array<std::uint32_t, kFieldCount> ends_{};
};

// The display name, first name, one blank, last name, put together in `room`: a caller that
// builds many records keeps one room for all of them.
std::string_view DisplayName(std::string_view firstName, std::string_view lastName,
                             std::string& room);

// A list of studies that owns its records: the studies waiting to be archived (oldest exam
// first), the studies a manual write hands to its run, the deletion candidates.
using StudyList = std::vector<std::unique_ptr<StudyRecord>>;

}  // namespace mirabel
