#include "config/ui/AddArchiveDlg.h"

#include <vector>

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/ProcessState.h"
#include "config/ArchiveDestination.h"
#include "core/ui/WxText.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

struct FieldInput {
    const char* control;
    const char* value;
    const char* blankMessage;  // null: the field may stay empty
};

struct SectionInput {
    const char* radio;
    std::vector<FieldInput> fields;  // in the order "Add" checks them
};

const SectionInput kFtp{"IDC_TYPE_FTP",
                        {{"IDC_FTP_IP", "10.0.0.5", "FTP:IP cannot be blank"},
                         {"IDC_FTP_ROOT_PATH", "/archive", "FTP:Root Path cannot be blank"},
                         {"IDC_FTP_USERNAME", "user", "FTP:Username cannot be blank"},
                         {"IDC_FTP_PASSWORD", "secret", "FTP:Password cannot be blank"}}};
const SectionInput kNfs{"IDC_TYPE_NFS",
                        {{"IDC_NFS_ROOT_PATH", "//server/share", "NFS: Root Path cannot be blank"},
                         {"IDC_NFS_LABEL", "Shelf A", "NFS: Archive Label cannot be blank"}}};
const SectionInput kServer{
    "IDC_TYPE_CORVA",
    {{"IDC_CORVA_IP", "10.0.0.5", "Corvana Server:IP Address cannot be blank"},
     {"IDC_CORVA_ROOT_PATH", "/images", "Corvana Server:Root Path cannot be blank"},
     {"IDC_CORVA_USERNAME", "corva", "Corvana Server:FTP Username cannot be blank"},
     {"IDC_CORVA_PASSWORD", "pw", "Corvana Server:FTP Password cannot be blank"},
     {"IDC_CORVA_PORT", "5000", "Corvana Server:Port # cannot be blank"}}};
const SectionInput kRemovable{
    "IDC_TYPE_REM",
    {{"IDC_REM_ROOT_PATH", "/media/cd", "Removable Media: Root Path cannot be blank"},
     {"IDC_REM_MEDIA_TYPE", "CD", "Removable Media: Media Type cannot be blank"},
     {"IDC_REM_MEDIA_SIZE", "650", "Removable Media: Media Size cannot be blank"},
     {"IDC_REM_LABEL", "", nullptr}}};

wxRadioButton& Radio(wxDialog& dialog, const char* name) {
    return *XRCCTRL(dialog, name, wxRadioButton);
}

void Choose(wxDialog& dialog, const char* radio) {
    Radio(dialog, radio).SetValue(true);
}

void Fill(wxDialog& dialog, const SectionInput& section) {
    Choose(dialog, section.radio);
    for (const FieldInput& field : section.fields) Type(dialog, field.control, field.value);
}

class AddArchiveDialog : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }

    // Fills a section, presses "Add" and returns the outcome.
    ModalOutcome Add(const SectionInput& section) {
        CAddArchiveDlg dialog(nullptr);
        return RunModal(dialog, [&] {
            Fill(dialog, section);
            Press(dialog, "IDC_ADD");
        });
    }
};

TEST_F(AddArchiveDialog, OpensWithFtpChosenAndOnlyTheMediaDefaultsFilledIn) {
    CAddArchiveDlg dialog(nullptr);
    EXPECT_EQ(FromWx(dialog.GetTitle()), "Add Archive");
    EXPECT_TRUE(Radio(dialog, "IDC_TYPE_FTP").GetValue());
    for (const char* other : {"IDC_TYPE_NFS", "IDC_TYPE_CORVA", "IDC_TYPE_REM"})
        EXPECT_FALSE(Radio(dialog, other).GetValue()) << other;
    for (const SectionInput* section : {&kFtp, &kNfs, &kServer, &kRemovable})
        for (const FieldInput& field : section->fields) {
            const std::string expected =
                field.control == std::string("IDC_REM_MEDIA_SIZE") ? "590" : "";
            EXPECT_EQ(TextOf(dialog, field.control), expected) << field.control;
        }
    EXPECT_TRUE(XRCCTRL(dialog, "IDC_REM_DICOMDIR", wxCheckBox)->GetValue());
    for (const char* password : {"IDC_FTP_PASSWORD", "IDC_CORVA_PASSWORD"})
        EXPECT_TRUE(XRCCTRL(dialog, password, wxTextCtrl)->HasFlag(wxTE_PASSWORD)) << password;
}

TEST_F(AddArchiveDialog, ChoosingATypeClearsTheOtherThree) {
    CAddArchiveDlg dialog(nullptr);
    Choose(dialog, "IDC_TYPE_REM");
    Choose(dialog, "IDC_TYPE_NFS");
    EXPECT_TRUE(Radio(dialog, "IDC_TYPE_NFS").GetValue());
    for (const char* other : {"IDC_TYPE_FTP", "IDC_TYPE_CORVA", "IDC_TYPE_REM"})
        EXPECT_FALSE(Radio(dialog, other).GetValue()) << other;
}

TEST_F(AddArchiveDialog, EachBlankFieldIsRefusedInTurnWithItsMessage) {
    for (const SectionInput* section : {&kFtp, &kNfs, &kServer, &kRemovable}) {
        SCOPED_TRACE(section->radio);
        CAddArchiveDlg dialog(nullptr);
        Type(dialog, "IDC_REM_MEDIA_SIZE", "");
        // The messages differ per section, so the expectations are queued by hand rather than
        // listed in wxTEST_DIALOG.
        MessageBoxHook hook(__FILE__, __LINE__, __func__);
        std::vector<ExpectMessage> expected;
        for (const FieldInput& field : section->fields)
            if (field.blankMessage) expected.emplace_back(field.blankMessage);
        for (const ExpectMessage& message : expected) hook.AddExpectation(message);
        // Every field starts blank; each press names the first blank one, which is then filled.
        const ModalOutcome outcome = RunModal(dialog, [&] {
            Choose(dialog, section->radio);
            for (const FieldInput& field : section->fields) {
                if (!field.blankMessage) continue;
                Press(dialog, "IDC_ADD");
                Type(dialog, field.control, field.value);
            }
        });
        hook.CheckUnmetExpectations();
        EXPECT_TRUE(outcome.leftOpen);
        EXPECT_TRUE(g_Archives.empty());
    }
}

TEST_F(AddArchiveDialog, AcceptsACompleteDestinationOfEachType) {
    for (const SectionInput* section : {&kFtp, &kNfs, &kServer, &kRemovable})
        EXPECT_EQ(Add(*section).result, wxID_OK) << section->radio;
    ASSERT_EQ(g_Archives.size(), 4u);
    EXPECT_EQ(g_Archives[0]->m_strId, "FTP:10.0.0.5");
    EXPECT_EQ(g_Archives[0]->m_strPassword, "secret");
    EXPECT_EQ(g_Archives[1]->m_strId, "NFS:Shelf A");
    EXPECT_EQ(g_Archives[1]->m_strRootPath, "//server/share");
    // Same address as the FTP server: another type, another id.
    EXPECT_EQ(g_Archives[2]->m_strId, "CORVA:10.0.0.5");
    EXPECT_EQ(g_Archives[2]->TypeLine(), "CORVA");
    EXPECT_EQ(g_Archives[2]->m_strPort, "5000");
    const ArchiveDestination& medium = *g_Archives[3];
    EXPECT_EQ(medium.m_strId, "REM:CD");
    EXPECT_EQ(medium.m_strMediaSize, "650");
    EXPECT_EQ(medium.m_strLabel, "");
    EXPECT_EQ(medium.m_strDicomDir, "SAVE");
}

TEST_F(AddArchiveDialog, UntickedDicomDirLeavesTheFlagEmpty) {
    CAddArchiveDlg dialog(nullptr);
    const ModalOutcome outcome = RunModal(dialog, [&] {
        Fill(dialog, kRemovable);
        XRCCTRL(dialog, "IDC_REM_DICOMDIR", wxCheckBox)->SetValue(false);
        Press(dialog, "IDC_ADD");
    });
    EXPECT_EQ(outcome.result, wxID_OK);
    ASSERT_EQ(g_Archives.size(), 1u);
    EXPECT_EQ(g_Archives[0]->m_strDicomDir, "");
}

TEST_F(AddArchiveDialog, SecondFtpServerAtOneAddressIsRefused) {
    ASSERT_EQ(Add(kFtp).result, wxID_OK);
    ModalOutcome outcome;
    wxTEST_DIALOG(outcome = Add(kFtp),
                  ExpectMessage("An archive has already been added for that IP address!!"));
    EXPECT_TRUE(outcome.leftOpen);
    EXPECT_EQ(g_Archives.size(), 1u);
    // Removable media are never refused as duplicates.
    EXPECT_EQ(Add(kRemovable).result, wxID_OK);
    EXPECT_EQ(Add(kRemovable).result, wxID_OK);
    EXPECT_EQ(g_Archives.size(), 3u);
}

TEST_F(AddArchiveDialog, CancelAddsNothing) {
    CAddArchiveDlg dialog(nullptr);
    const ModalOutcome outcome = RunModal(dialog, [&] {
        Fill(dialog, kFtp);
        Press(dialog, wxID_CANCEL);
    });
    EXPECT_EQ(outcome.result, wxID_CANCEL);
    EXPECT_FALSE(outcome.leftOpen);
    EXPECT_TRUE(g_Archives.empty());
}

}  // namespace

}  // namespace mirabel
