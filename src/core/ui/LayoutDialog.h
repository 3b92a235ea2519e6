#pragma once
// The step between a dialog's layout (XRC, compiled into the program) and its behaviour. Every
// dialog built from a layout loads it, finds its controls and binds its handlers through here,
// so that a layout and the code that uses it cannot disagree silently: a missing layout or
// control stops the program at the dialog's construction, naming what is missing, instead of
// leaving a null pointer for the first click to follow.
#include <functional>
#include <utility>

#include <wx/dialog.h>
#include <wx/xrc/xmlres.h>

namespace mirabel {

// Throws std::logic_error naming window (the layout's name), the control and its wanted type.
[[noreturn]] void ThrowMissingControl(const wxWindow& window, const char* name,
                                      const wxString& type);

// The control named name among window and its children, of type T; throws std::logic_error
// naming it when there is none of that name and type. For helpers shared by several dialogs.
template <typename T>
T* FindControl(const wxWindow& window, const char* name) {
    if (T* control = wxDynamicCast(window.FindWindow(XRCID(name)), T)) return control;
    ThrowMissingControl(window, name, wxCLASSINFO(T)->GetClassName());
}

class LayoutDialog : public wxDialog {
  protected:
    // Loads the dialog layout named resource into this object, with parent as its parent;
    // throws std::logic_error naming the layout when the program has none of that name.
    LayoutDialog(wxWindow* parent, const char* resource);

    // The control named name in this dialog; throws as FindControl does.
    template <typename T>
    T* Find(const char* name) const {
        return FindControl<T>(*this, name);
    }

    // While a dialog says it is busy, the handlers bound "unless busy" ignore their events: a
    // long operation works through the dialog's data and nothing may change it under it.
    virtual bool Busy() const { return false; }

    // handler runs when the button with id (or named name) is pressed; a name the layout does
    // not have throws as Find does.
    void OnButton(int id, std::function<void()> handler);
    void OnButton(const char* name, std::function<void()> handler);
    // As OnButton, but a press while Busy() does nothing.
    void OnButtonUnlessBusy(const char* name, std::function<void()> handler);

    // Binds handler to an event of source (with id, for events this dialog receives from its
    // children); while Busy() the event is ignored.
    template <typename EventTag>
    void BindUnlessBusy(wxEvtHandler& source, const EventTag& type, std::function<void()> handler,
                        int id = wxID_ANY) {
        source.Bind(
            type,
            [this, handler = std::move(handler)](wxEvent&) {
                if (!Busy()) handler();
            },
            id);
    }

    // Sizes the dialog to its layout again, once the content it was loaded with has changed
    // (controls hidden, longer texts): the layout sized it for what it showed when loaded.
    void FitToContent();
    // As FitToContent, but never smaller than the dialog is now (the operator may have
    // enlarged it), and no wider than the screen it is on.
    void GrowToContent();
    // How wide the control may become for the dialog to stay on its screen.
    int RoomFor(const wxWindow& control) const;
};

}  // namespace mirabel
