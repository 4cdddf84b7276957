#include "setup/program/InstPlom.h"
#include "setup/program/PlomSetup.h"

#include <gtest/gtest.h>
#include <QTest>

namespace {

using setup::plom::TForm1;

TEST(SetupWindow, TheMakersNameKeepsToTheBottomRightCornerOnAnySize) {
    std::unique_ptr<TForm1> form(fw::CreateForm<TForm1>(nullptr));
    EXPECT_EQ(form->Caption().toStdString(), "SetUp");
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    form->Show();
    for (QSize size : {QSize(572, 409), QSize(1920, 1080), QSize(800, 600)}) {
        SCOPED_TRACE(size.width());
        form->resize(size);
        QCoreApplication::processEvents();
        const auto* label = form->lTovan;
        const int h = label->Height();
        EXPECT_EQ(form->ClientWidth() - (label->Left() + label->Width()), h);
        EXPECT_EQ(form->ClientHeight() - (label->Top() + h), h);
        EXPECT_EQ(form->ProductLabel1->Left(), 10);
        EXPECT_EQ(form->ProductLabel1->Top(), 10);
    }
    EXPECT_EQ(form->lTovan->Caption(), setup::plom::CompanyName);
    EXPECT_EQ(form->ProductLabel1->Caption(), "Lumeno 1.112");
}

TEST(SetupConfiguration, HoldsTheProgramTheTablesAndTheHelpWithTheirPages) {
    setup::plom::PlomSetup config;
    auto& install = config.Install1;
    EXPECT_EQ(install.Information.ProductName, "Lumeno 1.112");
    EXPECT_EQ(config.Global.FileCount() + config.Lokal.FileCount() + config.Pomoc.FileCount(), 37 + 19 + 50);
    const auto* partner = install.FindFile("Global/Partner.db");
    ASSERT_NE(partner, nullptr);
    EXPECT_EQ(partner->OverwriteMode, setup::owNever); // the workshop's data are never replaced
    ASSERT_NE(install.FindFile("Plom"), nullptr);
    EXPECT_EQ(install.FindFile("Plom")->OverwriteMode, setup::owAlways);
    EXPECT_EQ(config.WelcomeDlg2->DialogManager(), &config.DialogManager1);
    EXPECT_EQ(config.GoodInstallationDlg2->DialogManager(), &config.DialogManager2);
    EXPECT_EQ(config.DialogManager1.Dialogs().size(), 5u);
    EXPECT_EQ(config.ReadmeDlg2->ReadmeText, setup::plom::ReadmeText());
}

} // namespace
