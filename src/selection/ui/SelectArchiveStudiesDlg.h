#pragma once
// Select Studies To Write To Archive: the operator searches the image system's database, collects
// studies from the result into the write list, which shows their total size, and archives
// exactly those to the current destination. A thin window over ManualArchiveSelection.
#include <string>
#include <vector>

#include "core/ui/LayoutDialog.h"
#include "selection/ManualArchiveSelection.h"
#include "selection/SelectionHost.h"

class wxCheckBox;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

namespace mirabel {

class CSelectArchiveStudiesDlg : public LayoutDialog {
  public:
    explicit CSelectArchiveStudiesDlg(SelectionHost& host, wxWindow* parent = nullptr);

    // The controls' values as last read (the search form, the check boxes) or shown.
    std::string m_strFirstName;
    std::string m_strLastName;
    bool m_bMarkArchived = true;
    std::string m_strMrn;
    bool m_bNonArchivedOnly = true;
    std::string m_strDateFrom;
    std::string m_strCurrentSize;
    std::string m_strDateTo;

    const ManualArchiveSelection& Selection() const { return selection_; }

  private:
    void FindControls();
    void AddListColumns();
    void WidenForColumns();
    void BindHandlers();
    // A long operation is in progress (a run, or studies being measured): the buttons do
    // nothing and the dialog does not close, since the lists are in use.
    bool Busy() const override;

    void ReadControls();
    SearchForm Form() const;
    void ShowResults();
    void ShowWriteList();
    void UpdateCurrentSize();

    void OnSearch();
    void OnAdd();
    void OnAddAll();
    void OnRemove();
    void OnWriteToArchive();
    void OnDateFrom();
    void OnDateTo();
    // Opens Select Date for the named field; on OK the picked date goes into the edit and its
    // member.
    void PickDate(const char* field, wxTextCtrl* edit, std::string& member);
    void OnMarkArchived();
    void OnNonArchivedOnly();

    SelectionHost& host_;
    ManualArchiveSelection selection_;

    wxListCtrl* m_lbWriteList = nullptr;
    wxListCtrl* m_lbResults = nullptr;
    wxTextCtrl* firstName_ = nullptr;
    wxTextCtrl* lastName_ = nullptr;
    wxCheckBox* markArchived_ = nullptr;
    wxTextCtrl* mrn_ = nullptr;
    wxCheckBox* nonArchivedOnly_ = nullptr;
    wxTextCtrl* dateFrom_ = nullptr;
    wxStaticText* currentSize_ = nullptr;
    wxStaticText* studyCount_ = nullptr;  // how many studies the write list holds
    wxStaticText* unwritable_ = nullptr;  // how many of them have no image folder
    wxTextCtrl* dateTo_ = nullptr;
};

}  // namespace mirabel
