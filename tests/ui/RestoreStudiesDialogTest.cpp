// Restore Studies over the main window's core: the search finds only removed studies, shows
// where each copy is, and Restore brings the highlighted one back.
#include <gtest/gtest.h>

#include <wx/listbox.h>
#include <wx/xrc/xmlres.h>

#include "app/ui/ArchiverDlg.h"
#include "app/ui/RestoreStudiesDialog.h"
#include "app/ui/WxOperator.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ProgramDirectory.h"
#include "ui/DialogTesting.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

TEST(RestoreStudiesDialogTest, FindsRemovedStudiesOnlyAndRestoresTheHighlightedOne) {
    ProgramDirectory dir;
    ExamMix mix;
    mix.exams = 3;
    mix.archivedShare = mix.temporaryShare = mix.oldCvsShare = mix.nullImagePathShare = 0;
    const ImageDatabaseContent content = GenerateImageDatabaseContent(mix);
    dir.StoreFolderArchive(content, 2);
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    // The second study was archived to the folder destination and removed.
    const ExamRow& removed = content.exams[1];
    std::string relative = removed.imagePath->substr(1);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const fs::path local = dir / "images" / relative;
    const fs::path copy = dir / "archive" / "images" / relative;
    const auto original = FolderHashes(local);
    fs::create_directories(copy.parent_path());
    fs::copy(local, copy);
    fs::remove_all(local);
    const std::string value = "NFS:lab:" + copy.string() + "/";
    const std::string id = std::to_string(removed.examId);
    RunSqlite(dir / "echo.db", {"UPDATE EXAM SET ARCHIVE_PATH = '" + value +
                                "', \"Media Type\" = 'Archive' WHERE EXAM_ID = " + id});

    auto previous = InstallOperator(std::make_unique<WxOperator>());
    {
        CArchiverDlg window(dir.Hive());
        ASSERT_TRUE(window.Initialise());
        RestoreStudiesDialog dialog(window.Core(), &window);
        RunModal(dialog, [&] {
            EXPECT_EQ(dialog.GetTitle(), "Restore Studies");
            Press(dialog, "IDC_SEARCH");
            wxListBox& results = *XRCCTRL(dialog, "IDC_RESULTS", wxListBox);
            ASSERT_EQ(results.GetCount(), 1u);
            EXPECT_TRUE(results.GetString(0).ToStdString().ends_with("  " + value));
            results.SetSelection(0);
            wxTEST_DIALOG(Press(dialog, "IDC_RESTORE"), ExpectMessage("Restored 1 of 1 studies."));
            EXPECT_EQ(results.GetCount(), 0u);
        });
    }
    InstallOperator(std::move(previous));
    EXPECT_EQ(FolderHashes(local), original);
}

}  // namespace
}  // namespace mirabel
