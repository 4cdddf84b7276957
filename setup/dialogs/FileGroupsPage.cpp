#include "setup/dialogs/FileGroupsPage.h"

#include "setup/dialogs/DriveSpace.h"
#include "setup/install/InstallUi.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitFormat.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QStyle>

namespace setup {

namespace {

const bool entered = [] {
    PageFormRegistry().push_back({TFileGroupSelectForm::ClassName,
                                  [](fw::Control* parent) { return new TFileGroupSelectForm(parent); },
                                  nullptr, 0});
    return true;
}();

TCustomInstall* Install() {
    return dynamic_cast<TCustomInstall*>(CurrentInstall());
}

std::string Translated(const std::string& text) {
    const TTranslator* t = MainTranslator();
    return t ? t->TranslateText(dlEnglish, text) : text;
}

std::string GroupLabel(TInstallContainer* c) {
    if (auto* g = dynamic_cast<TInstallFileGroup*>(c); g && !g->GroupName.empty())
        return Translated(g->GroupName);
    if (auto* i = dynamic_cast<TCustomInstall*>(c); i && !i->GroupName.empty())
        return Translated(i->GroupName);
    return Translated(c->Name());
}

std::string Bytes(std::uint64_t n) {
    return GroupedNumber(n) + " " + Translated("Bytes");
}

TInstallContainer* GroupOf(QTreeWidgetItem* item) {
    return item ? static_cast<TInstallContainer*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

void AddChildren(QTreeWidgetItem* parent, TInstallContainer* c) {
    for (int k = 0; k < c->Count(); ++k) {
        auto* group = dynamic_cast<TFileContainer*>(c->Items(k));
        if (!group) continue;
        auto* item = new QTreeWidgetItem(parent);
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(group)));
        AddChildren(item, group);
    }
}

} // namespace

TFileGroupSelectForm::TFileGroupSelectForm(fw::Control* parent)
    : TBaseInstallForm(parent, "Odabir komponenata instalacije", dmBeforeInstall, 50) {
    (void)entered;
    AddText(0, "Odaberite dijelove aplikacije koje želite instalirati.", 18);
    GroupTree = new TTreeControl(TextPanel);
    GroupTree->setColumnCount(2);
    GroupTree->setHeaderHidden(true);
    GroupTree->setFrameShape(QFrame::NoFrame);
    GroupTree->header()->setStretchLastSection(false);
    GroupTree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    GroupTree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    GroupTree->SetBounds(12, nextTextTop_, 310, 110);
    DirectoryLabel = new TTranslateLabel(TextPanel);
    DirectoryLabel->SetAutoSize(false);
    DirectoryLabel->SetBounds(12, 150, 220, 20);
    BrowseBtn = new TTranslateBitBtn(TextPanel);
    BrowseBtn->SetCaption("&Prikaz...");
    BrowseBtn->SetTabStop(true);
    BrowseBtn->SetBounds(240, 147, 82, 25);
    DescriptionPanel = new fw::Panel(TextPanel);
    DescriptionPanel->SetBevelOuter(fw::BevelCut::bvNone);
    DescriptionPanel->SetBounds(12, 176, 310, 60);
    GroupDescLabel = new TTranslateLabel(DescriptionPanel);
    GroupDescLabel->SetCaption("Opis:");
    GroupDescLabel->SetBounds(0, 0, 310, 16);
    DescriptionMemo = new fw::Memo(DescriptionPanel);
    DescriptionMemo->setReadOnly(true);
    DescriptionMemo->SetTabStop(false);
    DescriptionMemo->SetBounds(0, 16, 310, 44);
    DriveList = new TTreeControl(TextPanel);
    DriveList->setRootIsDecorated(false);
    DriveList->setColumnCount(3);
    DriveList->setHeaderLabels({"", "Space Required:", "Space Available:"});
    DriveList->header()->setSectionsClickable(false);
    // The sizes take what they need, the mount point the rest (cut in its middle, whole in its tip).
    DriveList->header()->setStretchLastSection(false);
    DriveList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    DriveList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    DriveList->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    DriveList->setTextElideMode(Qt::ElideMiddle);
    DriveList->SetTabStop(false);
    DriveList->SetBounds(12, 240, 310, 61);

    QObject::connect(GroupTree, &QTreeWidget::itemChanged, GroupTree,
                     [this](QTreeWidgetItem* item, int column) {
                         if (column == 0) ItemChanged(item);
                     });
    QObject::connect(GroupTree, &QTreeWidget::currentItemChanged, GroupTree, [this] { RefreshDetails(); });
    BrowseBtn->OnClick = [this](fw::Component&) { Browse(); };
}

bool TFileGroupSelectForm::SkipPage() const {
    const TCustomInstall* install = Install();
    return !install ||
           (install->CurrentInstallType() != itAlways && install->CurrentInstallType() != itCustom);
}

void TFileGroupSelectForm::FillTree() {
    filling_ = true;
    GroupTree->clear();
    if (TCustomInstall* install = Install()) {
        auto* root = new QTreeWidgetItem(GroupTree);
        root->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(install)));
        AddChildren(root, install);
        GroupTree->setCurrentItem(root);
        root->setExpanded(true);
    }
    filling_ = false;
    RefreshDetails();
}

void TFileGroupSelectForm::RefreshPage() {
    if (GroupTree->topLevelItemCount() == 0) FillTree();
    TBaseInstallForm::RefreshPage();
}

TInstallContainer* TFileGroupSelectForm::SelectedGroup() const {
    return GroupOf(GroupTree->currentItem());
}

void TFileGroupSelectForm::RefreshDetails() {
    if (filling_) return;
    filling_ = true;
    // Labels, choices and sizes of every row (a choice is shown without acting on it).
    QTreeWidgetItemIterator it(GroupTree);
    for (; *it; ++it) {
        QTreeWidgetItem* item = *it;
        TInstallContainer* c = GroupOf(item);
        auto* fc = dynamic_cast<TFileContainer*>(c);
        item->setText(0, QString::fromStdString(GroupLabel(c)));
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (fc && fc->AllowChoice && !dynamic_cast<TCustomInstall*>(c)) flags |= Qt::ItemIsUserCheckable;
        item->setFlags(flags);
        item->setCheckState(0, c->Selected() ? Qt::Checked : Qt::Unchecked);
        item->setText(1, QString::fromStdString(Bytes(fc ? fc->TotalSize(false) : 0)));
    }
    if (TInstallContainer* group = SelectedGroup()) {
        DirectoryLabel->SetPathCaption(group->DestPath());
        auto* fc = dynamic_cast<TFileContainer*>(group);
        BrowseBtn->SetEnabled(fc && fc->AllowChangeDir);
        const bool described = fc && !fc->Description.empty();
        DescriptionPanel->SetVisible(described);
        if (described) {
            const TTranslator* t = MainTranslator();
            const std::vector<std::string> lines =
                t ? t->TranslateMemo(dlEnglish, fc->Description) : fc->Description;
            std::string text;
            for (std::size_t i = 0; i < lines.size(); ++i)
                text += (i ? "\n" : "") + lines[i];
            DescriptionMemo->SetText(text);
        }
    }
    filling_ = false;
    RefreshDrives();
}

void TFileGroupSelectForm::RefreshDrives() {
    DriveList->clear();
    const TCustomInstall* install = Install();
    if (!install) return;
    const std::vector<DriveRow> rows = DriveSpace(*install);
    for (const DriveRow& row : rows) {
        auto* item = new QTreeWidgetItem(DriveList);
        item->setText(0, QString::fromStdString(row.MountPoint));
        item->setToolTip(0, QString::fromStdString(row.MountPoint));
        item->setText(1, QString::fromStdString(Bytes(row.Required)));
        item->setText(2, QString::fromStdString(Bytes(row.Available)));
        item->setIcon(0, DriveList->style()->standardIcon(row.Enough() ? QStyle::SP_DialogApplyButton
                                                                       : QStyle::SP_MessageBoxWarning));
    }
    DriveList->SetHeight(rows.size() > 2 ? 61 : static_cast<int>(rows.size()) * 18 + 25);
}

void TFileGroupSelectForm::ItemChanged(QTreeWidgetItem* item) {
    if (filling_) return;
    TInstallContainer* c = GroupOf(item);
    if (!c || dynamic_cast<TCustomInstall*>(c)) return;
    c->Include = item->checkState(0) == Qt::Checked;
    RefreshDetails();
}

void TFileGroupSelectForm::Browse() {
    TInstallContainer* group = SelectedGroup();
    if (!group) return;
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QString::fromStdString(Translated("Browse")), QString::fromStdString(group->DestPath()));
    if (chosen.isEmpty()) return;
    group->SetDestDirType(nullptr);
    group->SetDestDir(chosen.toStdString());
    RefreshDetails();
}

void TFileGroupSelectForm::GoNext() {
    // The copy would run out of space part way: the page stays until the chosen groups fit.
    if (const TCustomInstall* install = Install())
        for (const DriveRow& row : DriveSpace(*install))
            if (!row.Enough()) {
                ShowKitMessage(FormatText(
                    Translated("Na disku %s nema dovoljno mjesta za odabrane dijelove: potrebno je %s, "
                               "slobodno je %s. Oslobodite mjesto na disku ili ne odaberite neke dijelove."),
                    {row.MountPoint, Bytes(row.Required), Bytes(row.Available)}));
                return;
            }
    TBaseInstallForm::GoNext();
}

TInstallFileGroupsDlg::TInstallFileGroupsDlg(std::string name)
    : TPageDlg(std::move(name), "TInstallFileGroupsDlg", dmBeforeInstall, 50, -992) {}

void TInstallFileGroupsDlg::AssignDialogProperties() {
    if (!Parent())
        throw IEFileGroupSelectForm(
            "Cannot show the install file groups dialog for blank container property");
    if (!dynamic_cast<TFileContainer*>(Parent()))
        throw IEFileGroupSelectForm("Container is not a TFileContainer for %s", {Name()});
    TPageDlg::AssignDialogProperties();
}

} // namespace setup
