// Window tests run real windows (under Xvfb in the test script). Listing the tests needs no
// display, so wx starts only when tests are actually run.
#include <cstring>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "app/ui/WxResources.h"

using namespace mirabel;

namespace {
// Toolkit errors and warnings (a broken dialog layout, say) fail the test that caused them.
class FailingLog : public wxLog {
  protected:
    void DoLogTextAtLevel(wxLogLevel level, const wxString& text) override {
        if (level <= wxLOG_Warning)
            ADD_FAILURE() << "toolkit message: " << text.ToStdString();
        else
            std::fprintf(stderr, "%s\n", text.utf8_str().data());
    }
};

class TestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

bool OnlyListing(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return true;
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (OnlyListing(argc, argv)) return RUN_ALL_TESTS();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "window tests need a display: run them under xvfb-run\n");
        return 1;
    }
    // Toolkit messages and assertions must fail or inform the run, never open a window that
    // waits for a person.
    delete wxLog::SetActiveTarget(new FailingLog);
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        ADD_FAILURE_AT(file.ToStdString().c_str(), line)
            << "wx assertion " << cond.ToStdString() << " in " << func.ToStdString() << ": "
            << msg.ToStdString();
    });
    LoadMirabelResources();
    const int status = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
