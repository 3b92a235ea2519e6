#include "app/ArchiverApp.h"

#include <cstdio>
#include <cstdlib>

#include <wx/app.h>
#include <wx/init.h>

#include "app/ArchiverDlg.h"
#include "app/WxOperator.h"
#include "app/WxResources.h"
#include "platform/RegistryHive.h"

namespace {

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

class CArchiverApp : public wxApp {
  public:
    // The program lives exactly as long as its main window: OnInit runs it modally and then
    // returns false, which ends the program.
    bool OnInit() override {
        LoadMirabelResources();
        InstallOperator(std::make_unique<WxOperator>());
        std::unique_ptr<RegistryHive> hive = OpenUserHive();
        {
            CArchiverDlg mainWindow(*hive);
            SetTopWindow(&mainWindow);
            if (mainWindow.Initialise()) mainWindow.ShowModal();
        }
        return false;
    }
};

}  // namespace

int RunMirabel(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "mirabel: no graphical display (DISPLAY is not set); run it on a desktop "
                     "or under xvfb-run\n");
        return 2;
    }
    wxApp::SetInstance(new CArchiverApp);
    // OnInit runs the whole program; its "false" means "done", not "failed".
    int status = 0;
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "mirabel: the window system could not be started\n");
        status = 2;
    } else {
        wxTheApp->CallOnInit();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return status;
}
