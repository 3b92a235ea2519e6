#include "removal/ui/SelectStudiesDlg.h"

#include <wx/listbox.h>
#include <wx/wupdlock.h>
#include <wx/xrc/xmlres.h>

#include "config/SettingsStore.h"
#include "core/Text.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "log/Logs.h"
#include "removal/CandidateLines.h"
#include "removal/DeleteNowQuestion.h"
#include "removal/DeletionSettings.h"
#include "removal/StudyDeletion.h"

namespace mirabel {

namespace {
constexpr int kTimer6 = 6;
constexpr int kDeleteDelayMs = 1000;
}  // namespace

CSelectStudiesDlg::CSelectStudiesDlg(RemovalHost& host, wxWindow* parent, RemovalMode mode)
    : host_(host),
      m_bAutoMode(mode == RemovalMode::Auto),
      m_strSkip(ReadDeleteSetting(host, kSkip)),
      m_bVerifyFolderCopies(SettingIsTrue(ReadDeleteSetting(host, kVerifyFolderCopies))),
      m_font(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE).FaceName("Courier New")),
      timer6_(this, kTimer6) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_SELECT_STUDIES");
    m_lbStudies = XRCCTRL(*this, "IDC_STUDY_LIST", wxListBox);
    m_lbStudies->SetFont(m_font);
    XRCCTRL(*this, "IDC_CAPTIONS", wxWindow)->SetFont(m_font);
    FillList();
    const auto onButton = [this](const char* name, auto handler) {
        Bind(
            wxEVT_BUTTON, [handler](wxCommandEvent&) { handler(); }, XRCID(name));
    };
    onButton("IDC_SELECT_ALL", [this] { HighlightAll(true); });
    onButton("IDC_DESELECT_ALL", [this] { HighlightAll(false); });
    onButton("IDC_DELETE_NOW", [this] { OnDeleteNow(); });
    onButton("wxID_OK", [this] { OnClose(); });
    // Esc and the close box leave the selection as it was, though there is no Cancel button.
    SetEscapeId(wxID_CANCEL);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { OnDeleteNow(); }, kTimer6);
    // The timer only ticks once the dialog runs its loop: one second after it has opened.
    if (m_bAutoMode) timer6_.StartOnce(kDeleteDelayMs);
}

void CSelectStudiesDlg::FillList() {
    for (CandidateListLine& line : CandidateListLines(host_.Candidates())) {
        const int index = m_lbStudies->Append(ToWx(line.text));
        if (line.selected) m_lbStudies->SetSelection(index);
        lineKeys_.push_back(std::move(line.key));
    }
}

void CSelectStudiesDlg::HighlightAll(bool on) {
    // Frozen rather than hidden: hiding a modal dialog would end it.
    wxWindowUpdateLocker frozen(m_lbStudies);
    const int count = static_cast<int>(m_lbStudies->GetCount());
    for (int line = 0; line < count; ++line) {
        if (on)
            m_lbStudies->SetSelection(line);
        else
            m_lbStudies->Deselect(line);
    }
}

std::vector<CandidateKey> CSelectStudiesDlg::HighlightedKeys() const {
    wxArrayInt highlighted;
    m_lbStudies->GetSelections(highlighted);
    std::vector<CandidateKey> keys;
    keys.reserve(highlighted.size());
    for (int line : highlighted) keys.push_back(lineKeys_.at(static_cast<std::size_t>(line)));
    return keys;
}

void CSelectStudiesDlg::OnClose() {
    SyncSelection(host_.Candidates(), HighlightedKeys());
    EndModal(wxID_OK);
}

void CSelectStudiesDlg::OnDeleteNow() {
    timer6_.Stop();
    const std::vector<CandidateKey> highlighted = HighlightedKeys();
    // The operator confirms what the highlighting deletes; No leaves everything as it was. The
    // unattended pass, whose timer presses the button, has nobody to ask.
    if (!m_bAutoMode && !ConfirmDeleteNow(host_.Config(), host_.Candidates(), highlighted)) return;
    SyncSelection(host_.Candidates(), highlighted);
    DeletionOptions options;
    options.skip = m_strSkip;
    options.verifyFolderCopies = m_bVerifyFolderCopies;
    std::string refusal;
    DeletionPassResult pass;
    const bool ran = host_.RunExclusively(
        [&] {
            pass = RunDeletionPass(host_.Control(), host_.Candidates(), host_.Config(), options);
        },
        refusal);
    if (ran && !pass.databaseFailure.empty() && !m_bAutoMode)
        ProgramMessageBox(ToWx("The deletion stopped: " + AsSentence(pass.databaseFailure)), wxOK,
                          this);
    if (!ran) {
        ErrorLog("Delete not started: " + refusal);
        // Nobody waits at the unattended pass; the operator can try again later.
        if (!m_bAutoMode) {
            ProgramMessageBox(ToWx(AsSentence(refusal)), wxOK, this);
            return;
        }
    }
    EndModal(wxID_OK);
}

}  // namespace mirabel
