#pragma once
// The page where the user names the application menu's folder of the main shortcut group.

#include "setup/dialogs/ListControls.h"
#include "setup/dialogs/WizardPages.h"

namespace setup {

class TSelectFolderForm : public TBaseInstallForm {
public:
    static constexpr const char* ClassName = "TSelectFolderForm";
    explicit TSelectFolderForm(fw::Control* parent);

    // Skipped without a shortcut group to name the folder of.
    bool SkipPage() const override;
    void RefreshPage() override;
    void GoNext() override;

    fw::Edit* FolderEdit = nullptr;
    TListBox* Folders = nullptr;

private:
    TInstallContainer* Group() const;
    void EditChanged();
    bool filled_ = false;
};

// A folder name the menu can hold: not empty, no separator, not "." or "..".
bool ValidMenuFolder(const std::string& name);
// The folders already in the application menu, sorted.
std::vector<std::string> ExistingMenuFolders();

class TSelectFolderDlg : public TPageDlg<TSelectFolderForm> {
public:
    explicit TSelectFolderDlg(std::string name = "SelectFolderDlg1");
    void AssignDialogProperties() override;
    bool ShouldShow() override;
};

} // namespace setup
