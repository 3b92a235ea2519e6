#include "BenchStudies.h"

#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TransferSetup.h"

namespace mirabel {

namespace fs = std::filesystem;

StudyRecord BenchStudy(int study, bool updateDatabase) {
    StudyRecord record = TransferSetup::Study(StoredImagePath(study), std::to_string(study + 1));
    record.SetPatientId(std::to_string(kBenchPatientId));
    record.m_bUpdateDatabase = updateDatabase ? 1 : 0;
    return record;
}

ArchiverConfig BenchConfig(const fs::path& source, const fs::path& database) {
    ArchiverConfig config;
    config.m_strImagePath = (source / "images").string();
    config.m_strDbField = kBenchArchiveColumn;
    config.m_strDbType = "JET";
    config.m_strDatabaseFile = database.string();
    return config;
}

ArchiveDestination ServerDestination(DestinationKind kind, const FtpServer& server,
                                     const std::string& root, int tablePort) {
    ArchiveDestination destination(kind);
    destination.m_strIpAddress = server.Address();
    destination.m_strRootPath = root;
    destination.m_strUserName = server.User();
    destination.m_strPassword = server.Password();
    if (tablePort) destination.m_strPort = std::to_string(tablePort);
    destination.BuildId();
    return destination;
}

void MakeBenchImageDatabase(const BenchSettings& s, const fs::path& file) {
    ImageDatabaseContent content;
    content.patients.push_back({kBenchPatientId, "Smith", "Ann"});
    for (int study = 0; study < s.studies; ++study) {
        ExamRow exam;
        exam.examId = study + 1;
        exam.patientId = kBenchPatientId;
        exam.imagePath = StoredImagePath(study);
        exam.examDate = "2004-01-17 10:15:00";
        exam.archiveValue.reset();
        content.exams.push_back(exam);
    }
    CreateImageDatabase(file, content, true, kBenchArchiveColumn);
}

}  // namespace mirabel
