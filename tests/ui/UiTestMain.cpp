// Window tests run real windows (under Xvfb in the test script). Listing the tests needs no
// display, so wx starts only when tests are actually run.
#include <cstring>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include "app/WxResources.h"

namespace {
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
    LoadMirabelResources();
    const int status = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
