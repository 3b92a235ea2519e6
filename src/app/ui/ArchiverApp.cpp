#include "app/ui/ArchiverApp.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/init.h>

#include "app/ui/ArchiverDlg.h"
#include "app/CommandLine.h"
#include "app/ui/WxOperator.h"
#include "app/ui/WxResources.h"
#include "platform/RegistryHive.h"

namespace mirabel {

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
        // The name message boxes carry, whatever the program file is called.
        SetAppDisplayName("Mirabel");
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
    if (const std::optional<int> status =
            RunHeadlessCommand(std::vector<std::string>(argv + 1, argv + argc)))
        return *status;
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

}  // namespace mirabel
