#include "removal/ui/SelectStudiesDlg.h"

#include <wx/listbox.h>
#include <wx/wupdlock.h>

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

CSelectStudiesDlg::CSelectStudiesDlg(RemovalHost& host, wxWindow* parent, RemovalMode mode)
    : LayoutDialog(parent, "IDD_SELECT_STUDIES"),
      host_(host),
      m_bAutoMode(mode == RemovalMode::Auto),
      m_strSkip(ReadDeleteSetting(host, kSkip)),
      m_bVerifyFolderCopies(SettingIsTrue(ReadDeleteSetting(host, kVerifyFolderCopies))),
      m_font(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE).FaceName("Courier New")),
      deleteStep_(*this, kTimer6, [this] { OnDeleteNow(); }) {
    m_lbStudies = Find<wxListBox>("IDC_STUDY_LIST");
    m_lbStudies->SetFont(m_font);
    Find<wxWindow>("IDC_CAPTIONS")->SetFont(m_font);
    FillList();
    OnButton("IDC_SELECT_ALL", [this] { HighlightAll(true); });
    OnButton("IDC_DESELECT_ALL", [this] { HighlightAll(false); });
    OnButton("IDC_DELETE_NOW", [this] { OnDeleteNow(); });
    OnButton(wxID_OK, [this] { OnClose(); });
    // Esc and the close box leave the selection as it was, though there is no Cancel button.
    SetEscapeId(wxID_CANCEL);
    if (m_bAutoMode) deleteStep_.Start();
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
    deleteStep_.Stop();
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
