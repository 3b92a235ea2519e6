#include "dicomdir/DicomDirWriter.h"

namespace mirabel {

DicomDirSession::DicomDirSession(const std::string& mediaRoot)
    : opened_(medium_.Open(mediaRoot, std::string())) {}

DicomDirSession::~DicomDirSession() {
    (void)medium_.Write();  // a session ended early keeps what it added; no one to tell
}

void DicomDirSession::AddFile(const std::string& copiedFile,
                              const std::string& referencedFileName) {
    medium_.AddFile(copiedFile, referencedFileName);
}

int DicomDirSession::Write() {
    return medium_.Write();
}

int AddFileToDicomDir(const std::string& copiedFile, const std::string& mediaRoot,
                      const std::string& referencedFileName) {
    DicomDirSession session(mediaRoot);
    if (session.OpenResult() != 0) return session.OpenResult();
    session.AddFile(copiedFile, referencedFileName);
    return session.Write();
}

}  // namespace mirabel
