#include "app/ui/WxOperator.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/toplevel.h>

#include "app/ui/ArchiverDlg.h"
#include "app/ui/QueuedEvents.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "archive/ui/ArchiveProgressDlg.h"
#include "config/ui/EnterLabelDlg.h"
#include "removal/ui/DeleteProblemDlg.h"

namespace mirabel {

namespace {

long StyleFor(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return wxOK;
        case Buttons::OkCancel:
            return wxOK | wxCANCEL;
        case Buttons::YesNo:
            return wxYES_NO;
        case Buttons::YesNoCancel:
            return wxYES_NO | wxCANCEL;
    }
    return wxOK;
}

Answer AnswerFor(int result) {
    switch (result) {
        case wxYES:
            return Answer::Yes;
        case wxNO:
            return Answer::No;
        case wxCANCEL:
            return Answer::Cancel;
        default:
            return Answer::Ok;
    }
}

// Owns the progress window for the operation; a window is destroyed, never deleted.
class WxProgressWindow : public ProgressWindow {
  public:
    WxProgressWindow(bool deleting, std::function<void()> cancel)
        : dialog_(new CArchiveProgressDlg(g_pMainDlg, deleting, std::move(cancel))) {
        dialog_->Show();
    }
    ~WxProgressWindow() override { dialog_->Destroy(); }
    void SetStudyProgress(int current, int total) override {
        dialog_->SetStudyProgress(current, total);
    }
    void SetFileProgress(int current, int total) override {
        dialog_->SetFileProgress(current, total);
    }
    void SetWaitText(const std::string& text) override { dialog_->SetWaitText(text); }

  private:
    CArchiveProgressDlg* dialog_;
};

// The window a message belongs over: the newest modal dialog (Select Studies To Write To
// Archive has no parent, and a box over the main window would raise the main window over it,
// leaving a disabled window in front of the one that takes input), else the main window. A
// modal dialog outlives the box, which runs inside its modal loop.
wxWindow* MessageParent() {
    for (auto window = wxTopLevelWindows.rbegin(); window != wxTopLevelWindows.rend(); ++window)
        if (auto* dialog = dynamic_cast<wxDialog*>(*window); dialog && dialog->IsModal())
            return dialog;
    return g_pMainDlg;
}

}  // namespace

Answer WxOperator::MessageBox(const std::string& text, Buttons buttons) {
    return AnswerFor(ProgramMessageBox(ToWx(text), StyleFor(buttons), MessageParent()));
}

std::optional<std::string> WxOperator::AskMediaLabel(const std::string& proposed) {
    CEnterLabelDlg dialog(proposed, g_pMainDlg);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.m_strLabel;
}

bool WxOperator::AskForMedium(const std::string& text) {
    // A box of its own, without owner, that stays until the medium is in.
    return wxMessageBox(ToWx(text), "Archive Verify", wxOK | wxCANCEL) == wxOK;
}

DeleteProblemAnswer WxOperator::AskDeleteProblem(const std::string& studyName,
                                                 const std::string& examDate,
                                                 const std::string& problem, bool mayAccept) {
    wxWindow* parent = wxGetActiveWindow();
    CDeleteProblemDlg dialog(studyName, examDate, problem, parent ? parent : g_pMainDlg, mayAccept);
    return dialog.Ask();
}

std::unique_ptr<ProgressWindow> WxOperator::OpenProgressWindow(bool deleting,
                                                               std::function<void()> cancel) {
    return std::make_unique<WxProgressWindow>(deleting, std::move(cancel));
}

bool WxOperator::PumpEvents(int maxEvents) {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) return true;
    // Queued events first, one at a time: while one waits, the toolkit's next idle step would
    // handle all of them at once.
    for (int handled = 0; handled < maxEvents; ++handled) {
        if (HandleOneQueuedEvent()) continue;
        if (!loop->Pending()) break;
        if (!loop->Dispatch()) {
            // The loop met a quit request: keep it for the main loop and stop pumping.
            wxTheApp->ExitMainLoop();
            return false;
        }
    }
    return true;
}

}  // namespace mirabel
