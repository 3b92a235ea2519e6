#include "core/ui/OwnInputGroup.h"

#include <wx/toplevel.h>
#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace mirabel {

void TakeInputBesideModalDialogs([[maybe_unused]] wxTopLevelWindow& window) {
#ifdef __WXGTK__
    GtkWindowGroup* group = gtk_window_group_new();
    gtk_window_group_add_window(group, GTK_WINDOW(window.GetHandle()));
    g_object_unref(group);
#endif
}

}  // namespace mirabel
