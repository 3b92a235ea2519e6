#include "app/ArchiverApp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <wx/app.h>
#include <wx/init.h>

#include "app/WxResources.h"

namespace {

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

class CArchiverApp : public wxApp {
public:
    bool OnInit() override {
        LoadMirabelResources();
        return false;  // the main window arrives with the next step
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
    return wxEntry(argc, argv);
}
