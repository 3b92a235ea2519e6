// Window tests run real windows (under Xvfb in the test script). Listing the tests needs no
// display, so wx starts only when tests are actually run.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

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

// A message box that no expectation of the test answers would wait for a person: it fails the
// test that opened it, naming its text, and is cancelled. Registered first, it is asked last,
// after every hook a test sets up.
class UnansweredMessageBoxes : public wxModalDialogHook {
  protected:
    int Enter(wxDialog* dialog) override {
        const auto* box = dynamic_cast<wxMessageDialogBase*>(dialog);
        if (!box) return wxID_NONE;
        ADD_FAILURE() << "message box nobody answers: \"" << box->GetMessage().utf8_string()
                      << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

class TestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// When the toolkit cannot start, says what the X server's local socket answers, so a failure
// in a test run tells a missing server from a refused or overloaded one.
std::string DescribeDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return "DISPLAY is not set";
    std::string text = std::string("DISPLAY=") + display;
    if (display[0] != ':') return text;
    const std::string number = std::string(display + 1).substr(0, std::strcspn(display + 1, "."));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%s", number.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return text + ", no socket: " + std::strerror(errno);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::close(fd);
    return text + (connected ? ", its socket accepts connections"
                             : std::string(", its socket refuses: ") + std::strerror(error));
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // InitGoogleTest has taken its own options out of argv, so ask it whether this is a listing.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "window tests need a display (%s): run them under Xvfb\n",
                     DescribeDisplay().c_str());
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
    UnansweredMessageBoxes unanswered;
    unanswered.Register();
    LoadMirabelResources();
    const int status = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
