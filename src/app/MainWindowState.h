#pragma once
// What the main window shows about itself rather than about the configuration: whether it is
// the active window, its caption as the window resource gives it, and the status line. The main
// window's core keeps it; nothing below the window's side reads it.
#include <string>

namespace mirabel {

struct MainWindowState {
    bool m_bActive = true;                                // the main window is the active window
    std::string m_strTitle;                               // caption as loaded from the resource
    std::string m_strStatus = "No Studies To Archive!!";  // the count line under the controls
};

}  // namespace mirabel
