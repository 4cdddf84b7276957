// The wizard pages driven with keys under the offscreen platform.

#include "setup/dialogs/DriveSpace.h"
#include "setup/dialogs/FileGroupsPage.h"
#include "setup/dialogs/ProgressPages.h"
#include "setup/dialogs/SelectFolderPage.h"
#include "setup/dialogs/WizardPages.h"
#include "setup/install/InstallUi.h"
#include "setup/kit/KitExceptions.h"
#include "setup/links/ShellLinks.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace setup;

namespace {

// Once the next modal window is up, runs the steps on it.
void WhenShown(std::function<void(TBaseFormContainer&)> steps) {
    QTimer::singleShot(0, [steps] {
        auto* host = dynamic_cast<TBaseFormContainer*>(QApplication::activeModalWidget());
        ASSERT_NE(host, nullptr);
        (void)QTest::qWaitForWindowActive(host);
        steps(*host);
    });
}

void Key(Qt::Key key) {
    QWidget* target =
        QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeModalWidget();
    QTest::keyClick(target, key);
}

// Presses Return until the wizard shows a page of that form (the pages the kit enters for itself come
// first); nullptr when none comes.
template <class PageForm> PageForm* GoTo(TBaseFormContainer& host) {
    auto* form = dynamic_cast<PageForm*>(host.CurrentPage());
    for (int i = 0; i < 6 && !form; ++i) {
        Key(Qt::Key_Return);
        form = dynamic_cast<PageForm*>(host.CurrentPage());
    }
    return form;
}

struct Seen {
    std::string Caption;
    bool BackVisible;
    std::string Focused;
};

Seen Look(TBaseFormContainer& host) {
    TBaseInstallForm* page = host.CurrentPage();
    auto* focused = dynamic_cast<QPushButton*>(QApplication::focusWidget());
    return {host.Caption().toStdString(), page && page->BackBtn->isVisibleTo(page),
            focused ? focused->text().toStdString() : std::string()};
}

class Pages : public setuptest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        install = std::make_unique<TInstall>();
        install->SetDestDirType(nullptr);
        install->SetDestDir(Path("app"));
    }
    void TearDown() override {
        dialogs.clear();
        managers.clear();
        install.reset();
        SetRebootNeeded(false);
        KitTest::TearDown();
    }
    TDialogManager& Manager(TManagerType type) {
        managers.push_back(
            std::make_unique<TDialogManager>("DialogManager" + std::to_string(managers.size() + 1), type));
        managers.back()->SetContainer(install.get());
        return *managers.back();
    }
    template <class Dlg> Dlg& Dialog() {
        auto d = std::make_unique<Dlg>();
        Dlg& ref = *d;
        ref.SetContainer(install.get());
        dialogs.push_back(std::move(d));
        return ref;
    }
    std::unique_ptr<TInstall> install;
    std::vector<std::unique_ptr<TDialogManager>> managers;
    std::vector<std::unique_ptr<TBroadcastReceiver>> dialogs;
};

TEST_F(Pages, TheBeforeInstallWizardShowsEachPageOnceInOrderAndCancelAbortsTheRun) {
    TDialogManager& before = Manager(dmBeforeInstall);
    // made out of order: the wizard sorts them
    Dialog<TInstallFileGroupsDlg>();
    Dialog<TReadmeDlg>().ReadmeText = {"Readme first line", "second line"};
    Dialog<TLicenseDlg>().LicenseAgreement = {"The licence"};
    Dialog<TWelcomeDlg>();
    std::vector<Seen> seen;
    std::string licence;
    WhenShown([&](TBaseFormContainer& host) {
        for (int i = 0; i < 6 && host.ModalResult() == fw::mrNone; ++i) {
            seen.push_back(Look(host));
            if (auto* page = dynamic_cast<TLicenseForm*>(host.CurrentPage()))
                licence = page->Agreement->toPlainText().toStdString();
            Key(Qt::Key_Return);
        }
    });
    install->Broadcast(install.get(), -980, nullptr);
    ASSERT_EQ(seen.size(), 4u);
    const std::vector<std::string> captions{"Dobro došli",
                                            "Uvjeti dozvole korištenja aplikacije (licence agreement)",
                                            "Informacija", "Odabir komponenata instalacije"};
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].Caption, captions[i]);
        EXPECT_EQ(seen[i].Focused, "Dalje >");
    }
    EXPECT_FALSE(seen[0].BackVisible);
    EXPECT_TRUE(seen[1].BackVisible);
    EXPECT_TRUE(seen[2].BackVisible);
    EXPECT_EQ(licence, "The licence");

    // Esc asks the install; a no keeps the wizard, a yes ends the run as a user abort
    bool answer = false;
    int asked = 0;
    install->OnUserAbort = [&](TCustomInstall&, bool& quit) {
        ++asked;
        quit = answer;
    };
    std::string stayedOn;
    WhenShown([&](TBaseFormContainer& host) {
        Key(Qt::Key_Return);
        Key(Qt::Key_Escape);
        stayedOn = Look(host).Caption;
        answer = true;
        Key(Qt::Key_Escape);
    });
    EXPECT_THROW(before.ShowDialogs(), EAIUserAbort);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(stayedOn, captions[1]);
    EXPECT_EQ(CurrentDialogManager(), nullptr);
}

TEST_F(Pages, APageShownAloneHidesBackAndClosesWithProceed) {
    TWelcomeDlg& welcome = Dialog<TWelcomeDlg>();
    ASSERT_EQ(welcome.DialogManager(), nullptr);
    Seen seen{};
    WhenShown([&](TBaseFormContainer& host) {
        seen = Look(host);
        Key(Qt::Key_Return);
    });
    int executed = 0;
    welcome.OnAfterExecute = [&](TCustomBaseInstallDlg&) { ++executed; };
    install->Broadcast(install.get(), -982, nullptr);
    EXPECT_EQ(executed, 1);
    EXPECT_EQ(seen.Caption, "Dobro došli");
    EXPECT_FALSE(seen.BackVisible);
    WhenShown([](TBaseFormContainer&) { Key(Qt::Key_Escape); });
    EXPECT_THROW(install->Broadcast(install.get(), -982, nullptr), EAIUserAbort);
    // an ending page alone shows Finish, not Proceed
    TGoodInstallationDlg& good = Dialog<TGoodInstallationDlg>();
    WhenShown([&](TBaseFormContainer& host) {
        seen = Look(host);
        Key(Qt::Key_Return);
    });
    EXPECT_TRUE(good.Execute());
    EXPECT_EQ(seen.Focused, "Kraj");
    // a manager that no page belongs to shows nothing
    EXPECT_NO_THROW(Manager(dmDuringCopyFiles).ShowDialogs());
}

TEST_F(Pages, UntickingAGroupLowersTheSpaceItsFileSystemNeeds) {
    TInstallFile program("Program");
    program.SetContainer(install.get());
    program.FileSize = 1000;
    TInstallFileGroup data("Data", install.get()), help("Help", install.get()),
        elsewhere("Elsewhere", install.get());
    data.GroupName = "Podaci";
    data.Description = {"Tablice aplikacije."};
    for (TInstallFileGroup* g : {&data, &help}) {
        g->SetDestDirType(nullptr);
        g->SetDestDir(Path("app/" + g->Name()));
    }
    elsewhere.SetDestDirType(nullptr);
    elsewhere.SetDestDir("relative/folder"); // not a place on this system: no row
    TInstallFile table("Table"), page("Page"), other("Other");
    table.SetContainer(&data);
    table.FileSize = 5000;
    page.SetContainer(&help);
    page.FileSize = 300;
    other.SetContainer(&elsewhere);
    other.FileSize = 7;
    std::vector<DriveRow> rows = DriveSpace(*install);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Required, 6300u);
    EXPECT_GT(rows[0].Available, 0u);
    EXPECT_EQ(GroupedNumber(1234567), "1.234.567");
    EXPECT_EQ(GroupedNumber(999), "999");

    Manager(dmBeforeInstall);
    Dialog<TInstallFileGroupsDlg>();
    std::string required, details, mountTip;
    bool mountFits = false;
    data.SetDestDir(Path("app/" + std::string(60, 'd') + "/Data"));
    WhenShown([&](TBaseFormContainer& host) {
        auto* form = GoTo<TFileGroupSelectForm>(host);
        ASSERT_NE(form, nullptr);
        QTreeWidget* tree = form->GroupTree;
        tree->setFocus();
        QTreeWidgetItem* dataRow = tree->topLevelItem(0)->child(0);
        EXPECT_EQ(dataRow->text(0).toStdString(), "Podaci");
        tree->setCurrentItem(dataRow);
        // a long path is cut to the label and whole in its tip
        const TTranslateLabel& folder = *form->DirectoryLabel;
        const std::string tip = folder.toolTip().toStdString();
        details =
            (tip.empty() ? folder.Caption() : tip) + "|" + form->DescriptionMemo->toPlainText().toStdString();
        EXPECT_LE(folder.fontMetrics().horizontalAdvance(QString::fromStdString(folder.Caption())),
                  folder.width());
        const QTreeWidgetItem* drive = form->DriveList->topLevelItem(0);
        mountTip = drive->toolTip(0).toStdString();
        mountFits = form->DriveList->fontMetrics().horizontalAdvance(drive->text(0)) <=
                    form->DriveList->columnWidth(0);
        Key(Qt::Key_Space); // untick the data
        required = form->DriveList->topLevelItem(0)->text(1).toStdString();
        form->NextBtn->Click();
    });
    install->Broadcast(install.get(), -980, nullptr);
    EXPECT_FALSE(data.Include);
    EXPECT_EQ(details, Path("app/" + std::string(60, 'd') + "/Data") + "|Tablice aplikacije.");
    EXPECT_EQ(mountTip, rows[0].MountPoint);
    EXPECT_TRUE(mountFits) << mountTip;
    EXPECT_EQ(required, "1.300 Bytes"); // the row stays with the data's size taken off
}

TEST_F(Pages, TheGroupsPageGoesOnOnlyWhileTheChosenGroupsFit) {
    TInstallFileGroup data("Data", install.get());
    data.SetDestDirType(nullptr);
    data.SetDestDir(Path("app/Data"));
    // tables of 4 GiB each, one more than the disk they go to holds
    const std::uint64_t free = ProbeFileSystem(Path("app")).Available;
    std::vector<std::unique_ptr<TInstallFile>> tables;
    for (std::uint64_t n = 0; n <= free / 0xFFFFFFFFu; ++n) {
        tables.push_back(std::make_unique<TInstallFile>("Table" + std::to_string(n)));
        tables.back()->SetContainer(&data);
        tables.back()->FileSize = 0xFFFFFFFFu;
    }
    std::vector<std::string> told;
    Ui().ShowMessage = [&](const std::string& text) { told.push_back(text); };
    Manager(dmBeforeInstall);
    Dialog<TInstallFileGroupsDlg>();
    bool stayed = false, wentOn = false;
    WhenShown([&](TBaseFormContainer& host) {
        auto* form = GoTo<TFileGroupSelectForm>(host);
        ASSERT_NE(form, nullptr);
        form->NextBtn->setFocus();
        Key(Qt::Key_Return);
        stayed = host.ModalResult() == 0 && host.CurrentPage() == form;
        // unticked, the rest fits
        QTreeWidget* tree = form->GroupTree;
        tree->setFocus();
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        Key(Qt::Key_Space);
        form->NextBtn->setFocus();
        Key(Qt::Key_Return);
        wentOn = host.ModalResult() == fw::mrOk;
    });
    install->Broadcast(install.get(), -980, nullptr);
    Ui() = InstallUi();
    for (auto& t : tables)
        t->SetContainer(nullptr);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(wentOn);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("nema dovoljno mjesta za odabrane dijelove"), std::string::npos) << told[0];
}

TEST_F(Pages, TheEndingsOfferNoCancelAndEscFinishes) {
    int asked = 0;
    install->OnUserAbort = [&](TCustomInstall&, bool& quit) {
        ++asked;
        quit = true;
    };
    struct Ending {
        TManagerType kind;
        int code;
        std::function<void()> make;
    };
    const Ending endings[] = {
        {dmAfterGoodInstall, -979, [&] { Dialog<TGoodInstallationDlg>(); }},
        {dmAfterBadInstall, -978, [&] { Dialog<TBadInstallationDlg>(); }},
        {dmReboot, -987, [&] { Dialog<TRebootDlg>(); }},
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.code);
        Manager(e.kind);
        e.make();
        bool cancelShown = true;
        std::string focused;
        int result = -1;
        WhenShown([&](TBaseFormContainer& host) {
            TBaseInstallForm* page = host.CurrentPage();
            cancelShown = page->CancelBtn->isVisibleTo(page);
            focused = Look(host).Focused;
            Key(Qt::Key_Escape);
            result = host.ModalResult();
        });
        EXPECT_NO_THROW(install->Broadcast(install.get(), e.code, nullptr));
        EXPECT_FALSE(cancelShown);
        EXPECT_EQ(focused, "Kraj");
        EXPECT_EQ(result, fw::mrOk);
    }
    EXPECT_EQ(asked, 0);
}

TEST_F(Pages, TheRebootChoiceAndTheFlagAgree) {
    Manager(dmReboot);
    Dialog<TRebootDlg>();
    for (bool wanted : {true, false}) {
        SCOPED_TRACE(wanted);
        SetRebootNeeded(wanted);
        int shownItem = -2;
        WhenShown([&](TBaseFormContainer& host) {
            auto* form = dynamic_cast<TRebootForm*>(host.CurrentPage());
            shownItem = form->ItemIndex();
            (wanted ? form->No : form->Yes)->click();
            Key(Qt::Key_Return);
        });
        install->Broadcast(install.get(), -987, nullptr);
        EXPECT_EQ(shownItem, wanted ? 0 : 1);
        EXPECT_EQ(RebootNeeded(), !wanted);
    }
}

TEST_F(Pages, TheFolderPageTakesOnlyANameInsideTheMenu) {
    EXPECT_TRUE(ValidMenuFolder("Lumeno"));
    for (const char* bad : {"", "  ", ".", "..", "a/b", "..\\x"})
        EXPECT_FALSE(ValidMenuFolder(bad)) << bad;
    // without a shortcut group the page is passed over
    Manager(dmBeforeInstall);
    TSelectFolderDlg& folder = Dialog<TSelectFolderDlg>();
    EXPECT_FALSE(folder.ShouldShow());
    EXPECT_THROW(
        {
            folder.SetPageForm(nullptr);
            folder.AssignDialogProperties();
        },
        base::Exception);

    // with one: Return in the name goes on; a name leaving the menu is refused with a word
    TMainLinkGroup group;
    group.SetContainer(install.get());
    folder.SetContainer(&group);
    std::vector<std::string> told;
    Ui().ShowMessage = [&](const std::string& text) { told.push_back(text); };
    bool stayed = false, wentOn = false;
    WhenShown([&](TBaseFormContainer& host) {
        auto* form = GoTo<TSelectFolderForm>(host);
        ASSERT_NE(form, nullptr);
        form->FolderEdit->SetFocus();
        form->FolderEdit->SetText("../../../evil");
        Key(Qt::Key_Return);
        stayed = host.ModalResult() == fw::mrNone && QApplication::focusWidget() == form->FolderEdit;
        form->FolderEdit->SetText("Radionica");
        Key(Qt::Key_Return);
        wentOn = host.ModalResult() == fw::mrOk;
    });
    install->Broadcast(install.get(), -980, nullptr);
    Ui() = InstallUi();
    folder.SetContainer(install.get());
    group.SetContainer(nullptr);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(wentOn);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("<../../../evil>"), std::string::npos) << told[0];
    EXPECT_EQ(group.DestDir(), "\\Radionica");
}

TEST_F(Pages, TheCopyWindowIsPlacedAndKeepsBothEndsOfALongPath) {
    SetScreenMetricsHook([] { return ScreenMetrics{1280, 1024, 20}; });
    TDialogManager& copying = Manager(dmDuringCopyFiles);
    TFileStatusParameter status;
    status.FileName = "/home/radionica/.local/share/Lumeno/" + std::string(40, 'x') + "/Global/Sif_robe.db";
    status.Percent = 50;
    copying.Receive(install.get(), -998, &status);
    TCopyFileForm* form = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = dynamic_cast<TCopyFileForm*>(w); f && f->isVisible()) form = f;
    ASSERT_NE(form, nullptr);
    const ScreenPlace centre = PlaceOnScreen(ddpCenter, 1280, 1024, form->width(), form->height(), 0, 0, 20);
    EXPECT_EQ(form->pos(), QPoint(centre.Left, centre.Top));
    const std::string shown = form->lblCopyingFile->Caption();
    EXPECT_EQ(shown.rfind("/home/", 0), 0u) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 11), "Sif_robe.db") << shown;
    EXPECT_LE(form->lblCopyingFile->fontMetrics().horizontalAdvance(QString::fromStdString(shown)),
              form->lblCopyingFile->width());
    EXPECT_EQ(form->lblCopyingFile->toolTip().toStdString(), status.FileName);
    copying.Receive(install.get(), -996, nullptr);
    SetScreenMetricsHook(nullptr);
}

TEST_F(Pages, TheStatusLineShowsTheTopOfItsStack) {
    TInstallStatusDlg& status = Dialog<TInstallStatusDlg>();
    install->ShowStatus("Kopiram datoteke");
    install->ShowStatus("Pripremam bazu podataka koja ima dugačko ime");
    const int wide = status.Form()->width();
    install->HideStatus();
    ASSERT_TRUE(status.Form()->isVisible());
    EXPECT_EQ(status.Form()->lblMessage->Caption(), "Kopiram datoteke");
    EXPECT_LT(status.Form()->width(), wide); // sized to its text, not widened for good
    install->HideStatus();
    EXPECT_FALSE(status.Form()->isVisible());
    TMessageParameter text("x");
    TFileStatusParameter wrong;
    EXPECT_THROW(status.Receive(install.get(), -974, nullptr), IException);
    EXPECT_THROW(status.Receive(install.get(), -974, &wrong), IException);
}

TEST_F(Pages, PagesTakeTheTranslatorsTextsAndFonts) {
    TTranslator translator;
    translator.lgEnglish().SetStrings({"5;Dalje >", "900;Dobro došli", "901;Informacija"});
    translator.lgGerman().SetStrings({"5;Weiter >", "900;Willkommen", "6;Abbrechen"});
    translator.SetTranslateIntoLanguage(dlGerman);
    TWelcomeDlg& welcome = Dialog<TWelcomeDlg>();
    Seen seen{};
    std::string cancel;
    int pointSize = 0;
    WhenShown([&](TBaseFormContainer& host) {
        seen = Look(host);
        cancel = host.CurrentPage()->CancelBtn->Caption();
        pointSize = host.CurrentPage()->NextBtn->font().pointSize();
        Key(Qt::Key_Return);
    });
    EXPECT_TRUE(welcome.Execute());
    EXPECT_EQ(seen.Caption, "Willkommen");
    EXPECT_EQ(seen.Focused, "Weiter >");
    EXPECT_EQ(cancel, "Abbrechen");
    EXPECT_GE(pointSize, 8);
    EXPECT_EQ(welcome.TextLanguage, dlGerman);

    // without texts in the target the page keeps its own
    translator.SetTranslateIntoLanguage(dlFrench);
    TReadmeDlg& readme = Dialog<TReadmeDlg>();
    WhenShown([&](TBaseFormContainer& host) {
        seen = Look(host);
        Key(Qt::Key_Return);
    });
    EXPECT_TRUE(readme.Execute());
    EXPECT_EQ(seen.Caption, "Informacija");
    EXPECT_EQ(readme.TextLanguage, dlEnglish);
}

} // namespace
