#pragma once
// Windows that open beside a modal dialog and must still take the operator's input.
class wxTopLevelWindow;

namespace mirabel {

// The main window runs modally, and so may a dialog above it. GTK lets only the modal dialog's
// window group take input, so a window opened beside it (the progress window, a log viewer)
// would take no click, key or close box. A group of its own takes them. Elsewhere this does
// nothing: there a window made after the modal dialog opened takes its input anyway.
void TakeInputBesideModalDialogs(wxTopLevelWindow& window);

}  // namespace mirabel
