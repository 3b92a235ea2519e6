#include "core/ui/LayoutDialog.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include <wx/display.h>
#include <wx/sizer.h>

#include "core/ui/WxText.h"

namespace mirabel {

void ThrowMissingControl(const wxWindow& window, const char* name, const wxString& type) {
    throw std::logic_error("dialog " + FromWx(window.GetName()) + " has no " + FromWx(type) +
                           " named " + name);
}

LayoutDialog::LayoutDialog(wxWindow* parent, const char* resource) {
    if (!wxXmlResource::Get()->LoadDialog(this, parent, resource))
        throw std::logic_error(std::string("no dialog layout named ") + resource);
}

void LayoutDialog::OnButton(int id, std::function<void()> handler) {
    Bind(
        wxEVT_BUTTON, [handler = std::move(handler)](wxCommandEvent&) { handler(); }, id);
}

// A misspelt name would make a fresh id that no button sends: the button must be in the layout.
void LayoutDialog::OnButton(const char* name, std::function<void()> handler) {
    OnButton(Find<wxWindow>(name)->GetId(), std::move(handler));
}

void LayoutDialog::OnButtonUnlessBusy(const char* name, std::function<void()> handler) {
    BindUnlessBusy(*this, wxEVT_BUTTON, std::move(handler), Find<wxWindow>(name)->GetId());
}

void LayoutDialog::FitToContent() {
    GetSizer()->Fit(this);
}

void LayoutDialog::GrowToContent() {
    const wxSize fitting = GetSizer()->ComputeFittingWindowSize(this);
    const wxSize now = GetSize();
    SetSize(std::max(now.x, fitting.x), std::max(now.y, fitting.y));
    Layout();
    // Grown to the right, it may now reach past the screen's edge: it moves back onto it, with
    // room for the window manager's frame.
    constexpr int kFrameRoom = 12;
    const wxRect screen = wxDisplay(this).GetClientArea();
    const wxRect placed = GetRect();
    if (placed.GetRight() + kFrameRoom > screen.GetRight())
        Move(std::max(screen.x, screen.GetRight() - kFrameRoom - placed.width), placed.y);
}

int LayoutDialog::RoomFor(const wxWindow& control) const {
    const int screen = wxDisplay(this).GetClientArea().GetWidth();
    return screen * 9 / 10 - (GetSize().x - control.GetSize().x);
}

}  // namespace mirabel
