#include "db/StudyRecord.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace mirabel {

StudyRecord& StudyRecord::operator=(const StudyRecord& other) {
    if (this != &other) {
        SetText(other.Text());
        CopyFlags(other);
    }
    return *this;
}

StudyRecord::StudyRecord(StudyRecord&& other) noexcept
    : text_(std::move(other.text_)), ends_(std::exchange(other.ends_, {})) {
    CopyFlags(other);
}

StudyRecord& StudyRecord::operator=(StudyRecord&& other) noexcept {
    if (this != &other) {
        text_ = std::move(other.text_);
        ends_ = std::exchange(other.ends_, {});
        CopyFlags(other);
    }
    return *this;
}

StudyText StudyRecord::Text() const {
    return {Name(),   LastName(),  FirstName(),    ExamDate(), ImagePath(),
            ExamId(), PatientId(), ArchiveValue(), Mrn()};
}

auto StudyRecord::InOrder(const StudyText& t) -> Fields {
    return {t.name,   t.lastName,  t.firstName,    t.examDate, t.imagePath,
            t.examId, t.patientId, t.archiveValue, t.mrn};
}

void StudyRecord::SetText(const StudyText& text) {
    SetFields(InOrder(text));
}

void StudyRecord::SetFields(const Fields& fields) {
    std::size_t total = 0;
    for (std::string_view field : fields) total += field.size();
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the text of a study is too long");
    // The new buffer is filled before the old one goes: the given text may be a view of it.
    std::unique_ptr<char[]> buffer(total ? new char[total] : nullptr);
    std::array<std::uint32_t, kFieldCount> ends{};
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::copy(fields[i].begin(), fields[i].end(), buffer.get() + end);
        ends[i] = end += static_cast<std::uint32_t>(fields[i].size());
    }
    text_ = std::move(buffer);
    ends_ = ends;
}

void StudyRecord::SetField(FieldIndex field, std::string_view value) {
    Fields fields = InOrder(Text());
    fields[field] = value;
    SetFields(fields);
}

std::string_view DisplayName(std::string_view firstName, std::string_view lastName,
                             std::string& room) {
    room.assign(firstName).append(" ").append(lastName);
    return room;
}

void StudyRecord::CopyFlags(const StudyRecord& other) {
    m_bSelected = other.m_bSelected;
    m_bDeleted = other.m_bDeleted;
    m_bArchived = other.m_bArchived;
    m_bUpdateDatabase = other.m_bUpdateDatabase;
    m_bNamingNoticeWritten = other.m_bNamingNoticeWritten;
}

}  // namespace mirabel
