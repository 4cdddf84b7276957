#pragma once
// The page where the user picks the file groups to install, sees where they go and the space they need.

#include "setup/dialogs/ListControls.h"
#include "setup/dialogs/WizardPages.h"

namespace setup {

class TFileGroupSelectForm : public TBaseInstallForm {
public:
    static constexpr const char* ClassName = "TFileGroupSelectForm";
    explicit TFileGroupSelectForm(fw::Control* parent);

    bool SkipPage() const override;
    void RefreshPage() override;
    // Refuses, saying so, while the chosen groups do not fit on a file system they go to.
    void GoNext() override;
    // Fills the tree from the current install.
    void FillTree();
    // The group shown in the details, sizes and the space list brought up to date.
    void RefreshDetails();
    void RefreshDrives();
    TInstallContainer* SelectedGroup() const;

    TTreeControl* GroupTree = nullptr; // name and choice, size
    TTranslateLabel* DirectoryLabel = nullptr;
    TTranslateBitBtn* BrowseBtn = nullptr;
    fw::Panel* DescriptionPanel = nullptr;
    TTranslateLabel* GroupDescLabel = nullptr;
    fw::Memo* DescriptionMemo = nullptr;
    TTreeControl* DriveList = nullptr;

private:
    void ItemChanged(QTreeWidgetItem* item);
    void Browse();
    bool filling_ = false;
};

class TInstallFileGroupsDlg : public TPageDlg<TFileGroupSelectForm> {
public:
    explicit TInstallFileGroupsDlg(std::string name = "InstallFileGroupsDlg1");
    void AssignDialogProperties() override;
};

} // namespace setup
