#include "app/ui/ArchiverApp.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/init.h>

#include "app/ui/ArchiverDlg.h"
#include "app/HeadlessRun.h"
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

void PrintUsage() {
    std::printf(
        "usage: mirabel [--archive-now | --remove-now | --count]\n"
        "  (no option)    the main window, working in the current directory\n"
        "  --archive-now  one archive run to the current destination, without a window\n"
        "  --remove-now   one study removal pass by the stored rules, without a window\n"
        "  --count        print how many studies wait to be archived\n");
}

}  // namespace

int RunMirabel(int argc, char** argv) {
    if (argc > 1) {
        const std::string option = argv[1];
        if (argc == 2 && option == "--archive-now") return RunArchiveNowHeadless();
        if (argc == 2 && option == "--remove-now") return RunRemoveNowHeadless();
        if (argc == 2 && option == "--count") return PrintStudyCountHeadless();
        if (option == "--help" || option == "-h") {
            PrintUsage();
            return 0;
        }
        std::fprintf(stderr, "mirabel: unknown option %s\n", option.c_str());
        PrintUsage();
        return 2;
    }
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
