#include <wx/checkbox.h>
#include <wx/xrc/xmlres.h>

#include "config/ArchiveDestination.h"
#include "config/ui/EditFtpArchiveDlg.h"
#include "config/ui/EditNfsArchiveDlg.h"
#include "config/ui/EditRemArchiveDlg.h"
#include "config/ui/EditServerArchiveDlg.h"
#include "config/ui/EnterLabelDlg.h"
#include "core/ui/WxText.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

ArchiveDestination Record(const char* type) {
    ArchiveDestination record;
    record.SetTypeLine(type);
    record.m_strIpAddress = "10.0.0.5";
    record.m_strRootPath = "/archive";
    record.m_strUserName = "user";
    record.m_strPassword = "secret";
    record.m_strPort = "5000";
    record.m_strLabel = "Shelf A";
    record.m_strMediaType = "CD";
    record.m_strMediaSize = "650";
    record.m_strDicomDir = "SAVE";
    record.m_strCurrentLabel = "MEDIA0007";
    record.BuildId();
    return record;
}

wxCheckBox& DicomDirBox(wxDialog& dialog) {
    return *XRCCTRL(dialog, "IDC_REM_DICOMDIR", wxCheckBox);
}

TEST(EditArchiveDialogs, ShowTheRecordAndUpdateRebuildsTheId) {
    ArchiveDestination ftp = Record("FTP");
    CEditFtpArchiveDlg ftpDialog(&ftp, nullptr);
    EXPECT_EQ(FromWx(ftpDialog.GetTitle()), "Edit Archive");
    EXPECT_EQ(TextOf(ftpDialog, "IDC_FTP_PASSWORD"), "secret");
    const ModalOutcome ftpOutcome = RunModal(ftpDialog, [&] {
        Type(ftpDialog, "IDC_FTP_IP", "10.0.0.6:2121");
        Type(ftpDialog, "IDC_FTP_USERNAME", "other");
        Press(ftpDialog, "IDC_UPDATE");
    });
    EXPECT_EQ(ftpOutcome.result, wxID_OK);
    EXPECT_EQ(ftp.m_strId, "FTP:10.0.0.6:2121");
    EXPECT_EQ(ftp.m_strUserName, "other");

    ArchiveDestination nfs = Record("NFS");
    CEditNfsArchiveDlg nfsDialog(&nfs, nullptr);
    EXPECT_EQ(TextOf(nfsDialog, "IDC_NFS_ROOT_PATH"), "/archive");
    RunModal(nfsDialog, [&] {
        Type(nfsDialog, "IDC_NFS_LABEL", "Shelf B");
        Press(nfsDialog, "IDC_UPDATE");
    });
    EXPECT_EQ(nfs.m_strId, "NFS:Shelf B");
}

TEST(EditArchiveDialogs, RemovableMediaStoreNoneForAnUntickedBoxAndKeepTheirType) {
    ArchiveDestination medium = Record("JAZ");  // an unknown type read as removable media
    CEditRemArchiveDlg dialog(&medium, nullptr);
    EXPECT_TRUE(DicomDirBox(dialog).GetValue());
    EXPECT_EQ(TextOf(dialog, "IDC_REM_MEDIA_SIZE"), "650");
    const ModalOutcome outcome = RunModal(dialog, [&] {
        DicomDirBox(dialog).SetValue(false);
        Type(dialog, "IDC_REM_MEDIA_TYPE", "DVD");
        // No field is required when editing.
        Type(dialog, "IDC_REM_MEDIA_SIZE", "");
        Press(dialog, "IDC_UPDATE");
    });
    EXPECT_EQ(outcome.result, wxID_OK);
    EXPECT_EQ(medium.m_strDicomDir, "NONE");
    EXPECT_EQ(medium.m_strMediaSize, "");
    EXPECT_EQ(medium.TypeLine(), "JAZ");
    EXPECT_EQ(medium.m_strId, "REM:DVD");
    EXPECT_EQ(medium.m_strCurrentLabel, "MEDIA0007");
}

TEST(EditArchiveDialogs, RemovableMediaWithoutARecordStartEmptyAndJustClose) {
    CEditRemArchiveDlg dialog(nullptr, nullptr);
    EXPECT_EQ(TextOf(dialog, "IDC_REM_MEDIA_TYPE"), "");
    EXPECT_FALSE(DicomDirBox(dialog).GetValue());
    const ModalOutcome outcome = RunModal(dialog, [&] { Press(dialog, "IDC_UPDATE"); });
    EXPECT_EQ(outcome.result, wxID_OK);
}

TEST(EditArchiveDialogs, ServerRefusesBlankFieldsAndLeavesTheRecordAlone) {
    ArchiveDestination server = Record("CORVA");
    CEditServerArchiveDlg dialog(&server, nullptr);
    ModalOutcome outcome;
    wxTEST_DIALOG(outcome = RunModal(dialog,
                                     [&] {
                                         Type(dialog, "IDC_CORVA_IP", "10.0.0.9");
                                         Type(dialog, "IDC_CORVA_PORT", "");
                                         Type(dialog, "IDC_CORVA_ROOT_PATH", "");
                                         Press(dialog, "IDC_UPDATE");
                                         Type(dialog, "IDC_CORVA_ROOT_PATH", "/images");
                                         Press(dialog, "IDC_UPDATE");
                                     }),
                  ExpectMessage("Corvana Server:Root Path cannot be blank"),
                  ExpectMessage("Corvana Server:Port # cannot be blank"));
    EXPECT_TRUE(outcome.leftOpen);
    EXPECT_EQ(server.m_strId, "CORVA:10.0.0.5");
    EXPECT_EQ(server.m_strPort, "5000");

    CEditServerArchiveDlg again(&server, nullptr);
    outcome = RunModal(again, [&] {
        Type(again, "IDC_CORVA_IP", "10.0.0.9");
        Press(again, "IDC_UPDATE");
    });
    EXPECT_EQ(outcome.result, wxID_OK);
    EXPECT_EQ(server.m_strId, "CORVA:10.0.0.9");
}

TEST(EnterLabelDialog, ProposesALabelAndKeepsWhatWasTypedOnOk) {
    CEnterLabelDlg dialog("MEDIA0008", nullptr);
    EXPECT_EQ(FromWx(dialog.GetTitle()), "Enter Label");
    EXPECT_EQ(TextOf(dialog, "IDC_LABEL"), "MEDIA0008");
    const ModalOutcome outcome = RunModal(dialog, [&] {
        Type(dialog, "IDC_LABEL", "Cardiology 2004");
        Press(dialog, wxID_OK);
    });
    EXPECT_EQ(outcome.result, wxID_OK);
    EXPECT_EQ(dialog.m_strLabel, "Cardiology 2004");

    CEnterLabelDlg cancelled("MEDIA0008", nullptr);
    const ModalOutcome cancel = RunModal(cancelled, [&] { Press(cancelled, wxID_CANCEL); });
    EXPECT_EQ(cancel.result, wxID_CANCEL);
}

}  // namespace

}  // namespace mirabel
