// The real program started in a staged program folder: start-up, the main window, shutdown.

#include "app/data/DBMine.h"
#include "app/data/Settings.h"
#include "app/data/WBegin.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/FormOpener.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/tables/StageFolder.h"
#include "app/tables/TableDefinitions.h"
#include "app/tables/TableFiles.h"
#include "base/Files.h"
#include "base/FileSystem.h"
#include "base/ProgramState.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "fw/ui/Application.h"
#include "fw/ui/Color.h"
#include "fw/ui/Control.h"
#include "fw/ui/StdCtrls.h"
#include "kit/MyForm.h"
#include "kit/O_Plom.h"
#include "program/Startup.h"
#include "program/WinGlavna.h"
#include "registers/Artikli.h"
#include "registers/Grupe.h"
#include "registers/Sif_Boja.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
protected:
    ~MainWindowTest() override { base::ResetProgramState(); }

    // Starts the program on the folder; `drive` runs once the main window shows and must close it.
    int Start(const std::function<void(app::TWinGlavna&)>& drive = {}) {
        return app::RunProgram(folder.Path(), [&](app::TWinGlavna& w) {
            ranDrive = true;
            if (drive) drive(w);
            w.Close();
        });
    }

    // {Open, Changed} of every row of a folder's "OPEN.DB".
    std::map<std::string, std::pair<int, bool>> Register(const std::string& sub) {
        std::map<std::string, std::pair<int, bool>> rows;
        fw::TTable t;
        t.SetDatabaseName((folder.Path() / sub).string());
        t.SetTableName("OPEN.DB");
        t.Open();
        for (t.First(); !t.Eof(); t.Next())
            rows[t.FieldByName("File").AsString()] = {static_cast<int>(t.FieldByName("Open").AsInteger()),
                                                      t.FieldByName("Changed").AsBoolean()};
        return rows;
    }

    // The bytes of every table file but the register's.
    std::map<std::string, std::string> TableFiles() {
        std::map<std::string, std::string> files;
        for (const char* sub : {"global", "lokal"})
            for (const auto& e : fs::directory_iterator(folder.Path() / sub))
                if (e.path().stem() != "OPEN")
                    files[std::string(sub) + "/" + e.path().filename().string()] =
                        testsupport::ReadFile(e.path());
        return files;
    }

    testsupport::TempFolder folder;
    app::ScriptedDialogs dialogs;
    bool ranDrive = false;
};

// A form opened from the main window: it shows while the main window is hidden.
class TProbe : public kit::TMyForm {
public:
    explicit TProbe(fw::Component* owner) : kit::TMyForm(owner) {
        SetCaption("Probe");
        resize(200, 100);
        // Closes itself once shown modally.
        kit::TMyForm::OnShow = [this](fw::Component&) {
            if (CloseWhenShown)
                QMetaObject::invokeMethod(
                    this, [this] { SetModalResult(fw::mrCancel); }, Qt::QueuedConnection);
        };
    }
    bool CloseWhenShown = false;
};
TProbe* Probe = nullptr;

TEST(SplitCompanyName, SplitsAtTheLegalForm) {
    std::string kratki, oblik, puni;
    app::SplitCompanyName("Lumeno d.o.o., Zagreb", kratki, oblik, puni);
    EXPECT_EQ(kratki, "Lumeno");
    EXPECT_EQ(oblik, " d.o.o., Zagreb");
    EXPECT_EQ(puni, "Lumeno d.o.o.");
    app::SplitCompanyName("Stolarija Ivić obrt", kratki, oblik, puni);
    EXPECT_EQ(kratki, "Stolarija Ivić");
    EXPECT_EQ(oblik, " obrt");
    EXPECT_EQ(puni, "Stolarija Ivić obrt");
    app::SplitCompanyName("Čelik D.D. Sisak", kratki, oblik, puni);
    EXPECT_EQ(kratki, "Čelik");
    EXPECT_EQ(oblik, " D.D. Sisak");
    EXPECT_EQ(puni, "Čelik D.D.");
    app::SplitCompanyName("Žarko s.p.o. Split", kratki, oblik, puni);
    EXPECT_EQ(puni, "Žarko s.p.o.");
    EXPECT_EQ(oblik, " s.p.o. Split");
}

TEST(SplitCompanyName, WithoutOrAtTheStartKeepsTheWholeName) {
    std::string kratki = "x", oblik = "x", puni = "x";
    app::SplitCompanyName("Prozori Šimić", kratki, oblik, puni);
    EXPECT_EQ(kratki, "Prozori Šimić");
    EXPECT_EQ(oblik, "");
    EXPECT_EQ(puni, "Prozori Šimić");
    app::SplitCompanyName(" d.o.o. Zagreb", kratki, oblik, puni);
    EXPECT_EQ(kratki, " d.o.o. Zagreb");
    EXPECT_EQ(oblik, "");
    EXPECT_EQ(puni, " d.o.o.");
    app::SplitCompanyName("", kratki, oblik, puni);
    EXPECT_EQ(kratki, "");
    EXPECT_EQ(puni, "");
}

// The groups entry opens the own company's article groups over the hidden main window; Esc brings it back.
TEST_F(MainWindowTest, TheGroupsEntryOpensTheArticleGroupsOfTheOwnCompany) {
    app::StageProgramFolder(folder.Path());
    std::string caption;
    std::int32_t partner = -1;
    std::string supplier;
    bool mainHidden = false;
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  ASSERT_TRUE(w.mGrupa->Enabled());
                  QTimer poll;
                  QObject::connect(&poll, &QTimer::timeout, [&] {
                      registers::TSifarnikGrupaArtikli* f = registers::Grupe.SifarnikGrupaArtikli;
                      if (!f || !f->Modal() || !f->isVisible()) return;
                      poll.stop();
                      caption = f->Caption().toStdString();
                      partner = f->Partner;
                      supplier =
                          f->tMain->RecordCount() == 1 ? f->tMain->FieldByName("Sifra").AsString() : "";
                      mainHidden = !w.isVisible();
                      QTest::keyClick(f->ActiveControl() ? &f->ActiveControl()->Widget() : f, Qt::Key_Escape);
                  });
                  poll.start(5);
                  w.mGrupa->Click();
                  EXPECT_TRUE(w.isVisible());
              }),
              0);
    EXPECT_TRUE(dialogs.Texts().empty()) << dialogs.Texts().front();
    EXPECT_TRUE(mainHidden);
    EXPECT_EQ(partner, app::WBegin.PodaciPoduzeca.OwnPartner);
    EXPECT_NE(caption.find(" - Šifarnik grupa artikli"), std::string::npos) << caption;
    EXPECT_EQ(supplier, "LUMENO") << "our own company is its own supplier from the start";
}

// The colours entry opens the colours with no supplier or manufacturer given: our own company, which makes
// its colours, is the supplier; the keys alone make a colour with a name in our language.
TEST_F(MainWindowTest, TheColoursEntryMakesAColourWithItsNameByKeys) {
    app::StageProgramFolder(folder.Path());
    std::vector<std::string> seen;
    std::vector<std::string> colours, names, codes;
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  ASSERT_TRUE(w.mBoje->Enabled());
                  const std::int32_t own = app::WBegin.PodaciPoduzeca.OwnPartner;
                  {
                      fw::TTable firme;
                      firme.SetDatabaseName("Global");
                      firme.SetTableName("FIRME.DB");
                      firme.Open();
                      firme.Append();
                      firme.FieldByName("Sifra").SetAsString("LUMENO");
                      firme.FieldByName("Partner").SetAsInteger(own);
                      firme.Post();
                      firme.SaveChanges();
                      // Our company speaks Croatian.
                      fw::TTable govor, sifPart;
                      govor.SetDatabaseName("Global");
                      govor.SetTableName("GOVOR.DB");
                      govor.Open();
                      govor.Append();
                      govor.FieldByName("Sifra").SetAsString("HR");
                      govor.FieldByName("Naziv").SetAsString("Hrvatski");
                      govor.Post();
                      govor.SaveChanges();
                      sifPart.SetDatabaseName("Lokal");
                      sifPart.SetTableName("SIF_PART.DB");
                      sifPart.Open();
                      sifPart.Edit();
                      sifPart.FieldByName("Govor").SetAsInteger(govor.FieldByName("Code").AsInteger());
                      sifPart.Post();
                      sifPart.SaveChanges();
                      app::WBegin.PodaciPoduzeca.Jezik =
                          static_cast<std::int32_t>(govor.FieldByName("Code").AsInteger());
                  }
                  QTimer poll;
                  QObject::connect(&poll, &QTimer::timeout, [&] {
                      registers::TSifarnikBoja* f = registers::SifBoja.SifarnikBoja;
                      if (!f || !f->Modal() || !f->isVisible()) return;
                      poll.stop();
                      auto key = [f](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
                          QTest::keyClick(f->ActiveControl() ? &f->ActiveControl()->Widget() : f, k, m);
                      };
                      auto type = [f](const char* text) {
                          for (const QChar c : QString::fromUtf8(text))
                              QTest::keyClick(&f->ActiveControl()->Widget(), c.toLatin1());
                      };
                      auto active = [f] {
                          return f->ActiveControl() ? f->ActiveControl()->Name() : std::string("-");
                      };
                      seen.push_back(active());
                      seen.push_back(f->Caption().toStdString());
                      key(Qt::Key_Tab); // the codes
                      // the save button (the grids come after it): on an empty list it starts the first code
                      key(Qt::Key_End, Qt::ControlModifier);
                      key(Qt::Key_Return);
                      seen.push_back(active());
                      dialogs.Answer(true);
                      type("RAL9016");
                      key(Qt::Key_Return);
                      seen.push_back(active()); // the manufacturer's and our code are closed: the name
                      key(Qt::Key_Return);
                      seen.push_back(f->GovorLabel->Caption());
                      type("Bijela");
                      key(Qt::Key_Return);
                      key(Qt::Key_Escape);
                  });
                  poll.start(5);
                  w.mBoje->Click();
                  for (const auto& [table, index, fields, rows] :
                       {std::tuple{"BOJE.DB", "Code", std::vector<std::string>{"Sifra", "Naziv"}, &colours},
                        std::tuple{"IME_BOJA.DB", "", std::vector<std::string>{"Govor", "Naziv"}, &names},
                        std::tuple{"SIF_BOJA.DB", "", std::vector<std::string>{"Sifra", "Code", "Naziv"},
                                   &codes}}) {
                      fw::TTable t;
                      t.SetDatabaseName("Global");
                      t.SetTableName(table);
                      t.Open();
                      for (t.First(); !t.Eof(); t.Next()) {
                          std::string row;
                          for (const std::string& field : fields)
                              row += (row.empty() ? "" : "|") + t.FieldByName(field).AsString();
                          rows->push_back(row);
                      }
                  }
              }),
              0);
    EXPECT_TRUE(dialogs.Texts().empty()) << dialogs.Texts().front();
    EXPECT_EQ(seen, (std::vector<std::string>{"gFirme", "Šifarnici boja od dobavljača", "cSifra", "eNaziv",
                                              "(Hrvatski)"}));
    EXPECT_EQ(colours, std::vector<std::string>{"RAL9016|Bijela"});
    EXPECT_EQ(names, std::vector<std::string>{"1|Bijela"});
    EXPECT_EQ(codes, std::vector<std::string>{"RAL9016|1|Bijela"});
}

// The program makes its code lists at start, hidden, after the main window; the articles entry opens the full
// register on the own company's suppliers, where an article is made by keys with names in two languages.
TEST_F(MainWindowTest, TheArticlesEntryMakesAnArticleWithNamesInTwoLanguages) {
    app::StageProgramFolder(folder.Path());
    auto add = [&](const char* sub, const char* table, const std::vector<std::string>& fields,
                   const std::vector<std::vector<std::string>>& rows) {
        fw::TTable t;
        t.SetDatabaseName((folder.Path() / sub).string());
        t.SetTableName(table);
        t.Open();
        for (const auto& row : rows) {
            t.Append();
            for (std::size_t i = 0; i < fields.size(); ++i)
                t.FieldByName(fields[i]).SetAsString(row[i]);
            t.Post();
        }
        t.SaveChanges();
    };
    add("global", "GOVOR.DB", {"Sifra", "Naziv"}, {{"HR", "hrvatski"}, {"DE", "njemački"}});
    // The own company is a supplier that makes what it sells; it speaks German, the company Croatian.
    std::int64_t own = 0;
    {
        fw::TTable partner;
        partner.SetDatabaseName((folder.Path() / "global").string());
        partner.SetTableName("PARTNER.DB");
        partner.Open();
        partner.Edit();
        partner.FieldByName("Jezik").SetAsInteger(1);
        partner.Post();
        own = partner.FieldByName("Code").AsInteger();
        partner.SaveChanges();
        fw::TTable sifPart;
        sifPart.SetDatabaseName((folder.Path() / "lokal").string());
        sifPart.SetTableName("SIF_PART.DB");
        sifPart.Open();
        sifPart.Edit();
        sifPart.FieldByName("Govor").SetAsInteger(2);
        sifPart.Post();
        sifPart.SaveChanges();
    }
    add("global", "FIRME.DB", {"Sifra", "Partner"}, {{"LUMENO", std::to_string(own)}});
    app::AddStartUpForms();
    std::vector<std::string> made;
    bool sawForm = false;
    // Forms an earlier test left hidden (the progress window is kept for the next job) are not this start's.
    std::vector<fw::Component*> before;
    for (int i = 0; i < fw::Application::Instance().ComponentCount(); ++i)
        before.push_back(fw::Application::Instance().Components(i));
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  fw::Application& a = fw::Application::Instance();
                  for (int i = 0; i < a.ComponentCount(); ++i)
                      if (auto* form = dynamic_cast<fw::Form*>(a.Components(i));
                          form && std::find(before.begin(), before.end(), form) == before.end())
                          made.push_back(form->Name());
                  registers::TSifarnikArtikli* f = registers::Artikli.SifarnikArtikli;
                  ASSERT_NE(f, nullptr);
                  EXPECT_FALSE(f->isVisible());
                  auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
                      QTest::keyClick(f->ActiveControl() ? &f->ActiveControl()->Widget() : f, k, m);
                  };
                  auto type = [&](const char* text) {
                      for (const char* c = text; *c; ++c)
                          QTest::keyClick(&f->ActiveControl()->Widget(), *c);
                  };
                  QTimer poll;
                  QObject::connect(&poll, &QTimer::timeout, [&] {
                      if (!f->Modal() || !f->isVisible()) return;
                      poll.stop();
                      sawForm = true;
                      EXPECT_FALSE(w.isVisible());
                      EXPECT_EQ(f->Partner, app::WBegin.PodaciPoduzeca.OwnPartner);
                      EXPECT_EQ(f->MainBook->PageIndex(), 0);
                      key(Qt::Key_End, Qt::ControlModifier);
                      key(Qt::Key_Return);
                      dialogs.Answer(true);
                      type("A100");
                      key(Qt::Key_Return);
                      type("LUMENO");
                      key(Qt::Key_Return);
                      type("Fenster");
                      key(Qt::Key_Return);
                      type("Prozor");
                      key(Qt::Key_Return);
                      key(Qt::Key_Escape);
                  });
                  poll.start(5);
                  w.SetActiveControl(w.bSifArt);
                  QTest::keyClick(w.bSifArt, Qt::Key_Return);
                  EXPECT_TRUE(w.isVisible());
              }),
              0);
    EXPECT_TRUE(sawForm);
    EXPECT_TRUE(dialogs.Texts().empty()) << dialogs.Texts().front();
    ASSERT_GE(made.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(made.begin(), made.begin() + 5),
              (std::vector<std::string>{"WinGlavna", "SifarnikBoja", "SifarnikPartnera", "SifarnikArtikli",
                                        "SifarnikGrupaArtikli"}));
    auto rows = [&](const char* table, const std::vector<std::string>& fields) {
        fw::TTable t;
        t.SetDatabaseName((folder.Path() / "global").string());
        t.SetTableName(table);
        t.Open();
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next()) {
            std::string row;
            for (const std::string& f : fields)
                row += (row.empty() ? "" : "|") + t.FieldByName(f).AsString();
            out.push_back(row);
        }
        return out;
    };
    EXPECT_EQ(rows("ROBA.DB", {"Code", "Sifra", "Proizvodi", "Naziv"}),
              std::vector<std::string>{"1|A100|" + std::to_string(own) + "|Fenster"});
    EXPECT_EQ(rows("IME_ROBE.DB", {"Roba", "Govor", "Naziv"}),
              (std::vector<std::string>{"1|1|Prozor", "1|2|Fenster"}));
    EXPECT_EQ(rows("SIF_ROBE.DB", {"Partner", "Sifra", "Code", "Naziv"}),
              std::vector<std::string>{std::to_string(own) + "|A100|1|Fenster"});
}

// A staged folder is as a setup's run leaves it: the first thorough check finds every index file current.
TEST_F(MainWindowTest, StagingStampsTheTablesFilesWithTheirTablesDate) {
    app::StageProgramFolder(folder.Path());
    for (const auto& [kind, sub] :
         {std::pair{app::Folder::Global, "global"}, std::pair{app::Folder::Lokal, "lokal"}})
        for (const auto& table : app::TablesOf(kind)) {
            ASSERT_TRUE(base::FindFile(folder / sub, table.FileName)) << table.FileName;
            EXPECT_FALSE(app::ScanIndexFiles(folder / sub, table.FileName, true).Reindex) << table.FileName;
        }
}

TEST_F(MainWindowTest, FirstStartMakesTheTablesInTheEmptyDataFolders) {
    app::StageOptions o;
    o.Tables = false;
    app::StageProgramFolder(folder.Path(), o);
    fs::create_directory(folder / "global");
    fs::create_directory(folder / "lokal");
    app::MainWindow.WinGlavnaOpeners.Artikli = [](fw::Form* sender) {
        app::OpenForm<TProbe>(Probe, sender, [](TProbe& p) { p.CloseWhenShown = true; });
    };
    // Coming back from a form shows the main window again without reading the company again.
    EXPECT_EQ(Start([](app::TWinGlavna& w) {
                  w.mArtikli->Click();
                  ASSERT_NE(Probe, nullptr);
                  EXPECT_FALSE(Probe->isVisible());
                  EXPECT_TRUE(w.isVisible());
                  w.mArtikli->Click();
              }),
              0);
    EXPECT_TRUE(ranDrive);
    EXPECT_TRUE(fs::is_directory(folder / "global"));
    for (const char* f : {"lokal/OPEN.DB", "lokal/SIF_PART.DB", "lokal/SIF_PART.PX"})
        EXPECT_TRUE(fs::exists(folder / f)) << f;
    EXPECT_EQ(Register("lokal").at("SIF_PART.DB").first, 0);
    // No row for the installation code: one message, and no partner looked up with 0.
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Nema šifre partnera: \r\nLUMENO !!!"});
    EXPECT_EQ(app::WBegin.PodaciPoduzeca.OwnPartner, 0);
}

TEST_F(MainWindowTest, FindsTheOwnCompanyAndShowsTheCaptions) {
    app::StageOptions o;
    o.Sifra = "LUMENO";
    app::StageProgramFolder(folder.Path(), o);
    // The installation code with blanks around it still finds its row.
    fs::remove(folder / "Link.DB");
    o.Sifra = "  LUMENO ";
    app::WriteLinkTable(folder.Path(), o);
    app::WBegin.PodaciPoduzeca = {};
    EXPECT_EQ(Start([](app::TWinGlavna& w) {
                  EXPECT_EQ(fw::Application::Instance().Title, "Lumeno");
                  EXPECT_EQ(w.Caption().toStdString(), "Lumeno -  Radionica Lumeno");
                  EXPECT_EQ(w.mSifarnik->Caption(), "&Šifarnik");
                  std::vector<std::string> captions;
                  for (fw::MenuItem* m : w.mSifarnik->Items())
                      captions.push_back(m->IsSeparator() ? "-" : m->Caption());
                  EXPECT_EQ(captions,
                            (std::vector<std::string>{"&Artikala", "&Sistema", "&Grupa", "Boja", "-",
                                                      "Parametri Artikala", "&Nalozi", "&Tipovi prozora", "-",
                                                      "&Arhiva", "-", "&O programu..."}));
                  EXPECT_EQ(w.bParArt->Caption(), "&Param. Artikala");
                  EXPECT_EQ(w.bSifArt->Caption(), "&Šifarnik Artikala");
                  EXPECT_EQ(w.bNalozi->Caption(), "Radni &Nalozi");
                  EXPECT_EQ(w.bTipovi->Caption(), "Tipovi prozora");
                  EXPECT_EQ(w.bSifSis->Caption(), "Šifarnik &Sistema");
                  EXPECT_TRUE(w.bNalozi->Visible());
                  EXPECT_FALSE(w.mP_Naloga->Visible());
                  // Forms that are not part of the program yet keep their entries, disabled; the articles,
                  // the type list, the window systems and the article parameters are part of it.
                  EXPECT_TRUE(w.mArtikli->Enabled());
                  EXPECT_TRUE(w.bSifArt->Enabled());
                  EXPECT_TRUE(w.bTipovi->Enabled());
                  EXPECT_TRUE(w.mP_Tipova->Enabled());
                  EXPECT_TRUE(w.mSistem->Enabled() && w.bSifSis->Enabled());
                  EXPECT_TRUE(w.mParametriArtikala->Enabled() && w.bParArt->Enabled());
                  EXPECT_EQ(app::Settings.PostavkePrograma.Valuta, "EUR");
                  EXPECT_EQ(app::Settings.CommonSettings.Resources.LoadMode, 1);
                  EXPECT_FALSE(app::Settings.CommonSettings.Safety.AutoCheck);
                  EXPECT_TRUE(app::DBMine.MultiUser);
                  EXPECT_EQ(app::WBegin.GlobalFolder, (w.Global->Directory() / "").string());
                  EXPECT_TRUE(app::WBegin.LinkFolder.empty());
                  // The clock, the title strip, the picture and the tray icon.
                  EXPECT_EQ(w.Sat->ShowMode(), controls::TShowClock::scAnalog);
                  EXPECT_EQ(w.Sat->geometry().size(), QSize(64, 64));
                  EXPECT_TRUE(w.Sat->isVisible());
                  EXPECT_EQ(w.Backdrop1->geometry(), QRect(0, 0, 480, 31));
                  EXPECT_EQ(w.lNaslov->Caption(), "Lumeno");
                  EXPECT_FALSE(w.PlTrayIcon1->Icon().Empty());
                  // Without a notification area (as here) the icon is left out and nothing is said.
                  EXPECT_EQ(w.PlTrayIcon1->Added(), QSystemTrayIcon::isSystemTrayAvailable());
                  const QString dir = QStringLiteral(PLOM_BINARY_DIR);
                  QApplication::processEvents();
                  EXPECT_TRUE(w.grab().save(dir + "/screenshot-main-window.png"));
              }),
              0);
    EXPECT_TRUE(dialogs.Texts().empty()) << dialogs.Texts().front();
    const app::TPodaciPoduzeca& p = app::WBegin.PodaciPoduzeca;
    EXPECT_GT(p.OwnPartner, 0);
    EXPECT_EQ(p.Sifra, "LUMENO");
    EXPECT_EQ(p.NazivKratki, "Lumeno");
    EXPECT_EQ(p.PravniOblik, " d.o.o., Zagreb");
    EXPECT_EQ(p.NazivPuni, "Lumeno d.o.o.");
    EXPECT_EQ(p.Mjesto, "Zagreb");
    EXPECT_EQ(p.UlicaBroj, "Ilica 1");
    EXPECT_EQ(app::WBegin.PodaciInstalacije.Opis, "Radionica Lumeno");
}

TEST_F(MainWindowTest, StartUpWiresTheSettingsIntoTheGuardAndTheLockWait) {
    app::StageProgramFolder(folder.Path(), {});
    std::ofstream(folder / "QK.INI", std::ios::trunc) << "[Background]\r\nPriority=6\r\n";
    EXPECT_EQ(Start([](app::TWinGlavna&) {
                  ASSERT_TRUE(app::FocusNavigation.BackgroundPriority);
                  EXPECT_EQ(app::FocusNavigation.BackgroundPriority(), 6);
                  EXPECT_TRUE(static_cast<bool>(fw::Hooks().Creating));
                  EXPECT_TRUE(static_cast<bool>(fw::Hooks().Hidden));
              }),
              0);
    EXPECT_TRUE(ranDrive);
}

TEST_F(MainWindowTest, AMissingPartnerRowIsReportedWithTheInstallationCode) {
    app::StageOptions o;
    o.OwnCompany = false;
    o.Opis.clear();
    app::StageProgramFolder(folder.Path(), o);
    {
        fw::TTable t;
        t.SetDatabaseName((folder.Path() / "lokal").string());
        t.SetTableName("SIF_PART.DB");
        t.Open();
        t.Append();
        t.FieldByName("Sifra").SetAsString("LUMENO");
        t.FieldByName("Partner").SetAsInteger(99);
        t.Post();
        t.SaveChanges();
    }
    app::WBegin.PodaciPoduzeca = {};
    app::WBegin.PodaciPoduzeca.Sifra = "PRIJE";
    // Without a description the caption stays "Lumeno".
    EXPECT_EQ(Start([](app::TWinGlavna& w) { EXPECT_EQ(w.Caption().toStdString(), "Lumeno"); }), 0);
    EXPECT_TRUE(ranDrive);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Nema partnera:\r\nLUMENO !!!"});
    EXPECT_EQ(app::WBegin.PodaciPoduzeca.OwnPartner, 99);
    EXPECT_EQ(app::WBegin.PodaciPoduzeca.Sifra, "PRIJE");
}

TEST_F(MainWindowTest, ShutdownClearsTheRegistersAndASecondStartReusesTheTables) {
    app::StageProgramFolder(folder.Path());
    ASSERT_EQ(Start(), 0);
    // Every dataset and the two databases are closed.
    EXPECT_EQ(fw::Session().FindDatabase("Global"), nullptr);
    EXPECT_EQ(fw::Session().FindDatabase("Lokal"), nullptr);
    for (int d = 0; d < fw::Session().DatabaseCount(); ++d)
        EXPECT_EQ(fw::Session().Databases(d).DataSetCount(), 0);
    for (const char* sub : {"global", "lokal"}) {
        const auto rows = Register(sub);
        EXPECT_FALSE(rows.empty()) << sub;
        for (const auto& [file, row] : rows)
            EXPECT_EQ(row.first, 0) << sub << "/" << file;
    }
    const auto before = TableFiles();
    ASSERT_EQ(Start(), 0);
    // Neither restructured nor re-indexed: every table and index file is as it was.
    EXPECT_EQ(TableFiles(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(MainWindowTest, AMissingInstallationRecordEndsWithOneMessage) {
    EXPECT_EQ(Start(), 1);
    EXPECT_FALSE(ranDrive);
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_NE(dialogs.Texts()[0].find("\"Link.DB\""), std::string::npos) << dialogs.Texts()[0];
    EXPECT_FALSE(fs::exists(folder / "global"));
    EXPECT_FALSE(fs::exists(folder / "lokal"));

    // A damaged one is reported the same way.
    testsupport::TempFolder other;
    other.Write("Link.DB", "not a table");
    app::ScriptedDialogs second;
    EXPECT_EQ(app::RunProgram(other.Path()), 1);
    ASSERT_EQ(second.Texts().size(), 1u);
    EXPECT_NE(second.Texts()[0].find("\"Link.DB\""), std::string::npos);

    // One without its row: a message that says so, and the end, before any data folder is made.
    testsupport::TempFolder empty;
    app::WriteLinkTable(empty.Path(), {});
    {
        fw::TTable link;
        link.SetDatabaseName(empty.Path().string());
        link.SetTableName("Link.DB");
        link.Open();
        link.First();
        link.Delete();
        link.SaveChanges();
        link.Close();
    }
    app::ScriptedDialogs third;
    EXPECT_EQ(app::RunProgram(empty.Path()), 1);
    ASSERT_EQ(third.Texts().size(), 1u) << third.Texts().back();
    EXPECT_NE(third.Texts()[0].find("nema instalacijskog zapisa"), std::string::npos) << third.Texts()[0];
    EXPECT_FALSE(fs::exists(empty / "global"));
    EXPECT_FALSE(fs::exists(empty / "lokal"));
}

TEST_F(MainWindowTest, DataFoldersThatCannotBeMadeEndTheProgramUntouched) {
    app::StageOptions o;
    o.Tables = false;
    app::StageProgramFolder(folder.Path(), o);
    folder.Write("global", "a file where the folder should be");
    EXPECT_EQ(Start(), 2);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{app::BadParametersText});
    EXPECT_FALSE(fs::exists(folder / "lokal" / "SIF_PART.DB"));
    EXPECT_FALSE(fs::exists(folder / "lokal" / "OPEN.DB"));
}

// A data folder moved away or not restored: the program ends at once and makes nothing in its place.
TEST_F(MainWindowTest, AMissingDataFolderEndsTheProgramWithoutMakingIt) {
    app::StageProgramFolder(folder.Path());
    fs::remove_all(folder / "global");
    const auto lokal = [&] {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(folder.Path() / "lokal"))
            files[e.path().filename().string()] = testsupport::ReadFile(e.path());
        return files;
    };
    const auto before = lokal();
    EXPECT_EQ(Start(), 2);
    EXPECT_FALSE(ranDrive);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{app::BadParametersText});
    EXPECT_FALSE(fs::exists(folder / "global"));
    EXPECT_EQ(lokal(), before);
}

// A file layer whose calls on one path fail with an error, as a folder the user may not write, a
// read-only file or a full disk make them.
class RefusingFileSystem : public base::FileSystem {
public:
    std::string PathPart; // the calls on paths containing it fail
    bool OnOpen = false;  // the open itself fails; else the first write after it
    int Error = EACCES;
    int Open(const char* path, int flags, mode_t mode) override {
        const bool hit =
            std::string(path).find(PathPart) != std::string::npos && (flags & (O_WRONLY | O_RDWR)) != 0;
        if (hit && OnOpen) {
            errno = Error;
            return -1;
        }
        const int fd = base::FileSystem::Open(path, flags, mode);
        if (hit) failing_ = fd;
        return fd;
    }
    ssize_t Write(int fd, const void* data, size_t len) override {
        if (fd >= 0 && fd == failing_) {
            errno = Error;
            return -1;
        }
        return base::FileSystem::Write(fd, data, len);
    }

private:
    int failing_ = -1;
};

// Data folders the program cannot write in are told with their cause and their folder, and the program
// ends before any table is opened.
TEST_F(MainWindowTest, AFolderThatCannotBeWrittenOrAFullDiskIsToldByName) {
    app::StageProgramFolder(folder.Path());
    const std::string lokal = (folder.Path() / "lokal").string();
    const std::string global = (folder.Path() / "global").string();
    struct Case {
        std::string PathPart;
        bool OnOpen;
        int Error;
        std::string Start, Folder;
    };
    for (const Case& c :
         {Case{"/lokal/.plom-proba", true, EACCES, "Program ne smije pisati u mapu podataka", lokal},
          Case{"/global/.plom-proba", true, EROFS, "Program ne smije pisati u mapu podataka", global},
          Case{"/global/.plom-proba", false, ENOSPC, "Na disku nema mjesta", global},
          Case{"/lokal/OPEN.DB", true, EACCES, "Tablica \"OPEN.DB\" je samo za čitanje", lokal}}) {
        SCOPED_TRACE(c.PathPart + " " + std::to_string(c.Error));
        RefusingFileSystem refusing;
        refusing.PathPart = c.PathPart;
        refusing.OnOpen = c.OnOpen;
        refusing.Error = c.Error;
        dialogs.Calls.clear();
        ranDrive = false;
        {
            base::ScopedFileSystem scope(refusing);
            EXPECT_EQ(Start(), 2);
        }
        EXPECT_FALSE(ranDrive);
        ASSERT_EQ(dialogs.Texts().size(), 1u);
        const std::string text = dialogs.Texts()[0];
        EXPECT_EQ(text.rfind(c.Start, 0), 0u) << text;
        EXPECT_NE(text.find(c.Folder), std::string::npos) << text;
        EXPECT_EQ(Register("lokal").count("SIF_PART.DB"), 0u) << "no table was opened";
    }
    // Nothing left behind: the next start works.
    dialogs.Calls.clear();
    EXPECT_EQ(Start(), 0);
    EXPECT_TRUE(dialogs.Texts().empty());
    for (const char* sub : {"global", "lokal"})
        for (const auto& e : fs::directory_iterator(folder.Path() / sub))
            EXPECT_EQ(e.path().filename().string().find(".plom-proba"), std::string::npos);
}

TEST_F(MainWindowTest, FindsDataFoldersWhateverTheirCase) {
    app::StageProgramFolder(folder.Path());
    fs::rename(folder / "global", folder / "Global");
    fs::rename(folder / "lokal", folder / "LOKAL");
    EXPECT_EQ(Start(), 0);
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_FALSE(fs::exists(folder / "global"));
    EXPECT_EQ(app::WBegin.LokalFolder, (folder.Path() / "LOKAL").string() + "/");
    EXPECT_GT(app::WBegin.PodaciPoduzeca.OwnPartner, 0);
}

TEST_F(MainWindowTest, MenuAndButtonsOpenTheirFormsOverTheHiddenMainWindow) {
    app::StageProgramFolder(folder.Path());
    std::vector<bool> mainVisibleWhileOpen;
    app::MainWindow.WinGlavnaOpeners.Artikli = [&](fw::Form* sender) {
        app::OpenForm<TProbe>(Probe, sender);
    };
    app::MainWindow.WinGlavnaOpeners.Sistemi = app::MainWindow.WinGlavnaOpeners.Artikli;
    app::MainWindow.WinGlavnaOpeners.Tipovi = app::MainWindow.WinGlavnaOpeners.Artikli;
    app::MainWindow.WinGlavnaOpeners.ParametriArtikala = app::MainWindow.WinGlavnaOpeners.Artikli;
    int opened = 0;
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  EXPECT_TRUE(w.mArtikli->Enabled());
                  EXPECT_TRUE(w.mGrupa->Enabled()) << "the article groups are part of the program";
                  QTimer poll;
                  auto closeProbeWhenShown = [&] {
                      poll.disconnect();
                      QObject::connect(&poll, &QTimer::timeout, [&] {
                          if (!Probe || !Probe->Modal() || !Probe->isVisible()) return;
                          poll.stop();
                          mainVisibleWhileOpen.push_back(w.isVisible());
                          ++opened;
                          QTest::keyClick(Probe, Qt::Key_Escape);
                      });
                      poll.start(5);
                  };
                  closeProbeWhenShown();
                  w.mArtikli->Click();
                  EXPECT_TRUE(w.isVisible());
                  EXPECT_FALSE(Probe->isVisible());
                  closeProbeWhenShown();
                  w.bSifSis->Click();
                  EXPECT_TRUE(w.isVisible());

                  // The arrows move between the big buttons; the entered one turns blue.
                  w.activateWindow();
                  (void)QTest::qWaitForWindowActive(&w);
                  w.SetActiveControl(w.bParArt);
                  EXPECT_EQ(w.bParArt->FontColor(), fw::clBlue);
                  QTest::keyClick(w.bParArt, Qt::Key_Down);
                  EXPECT_EQ(w.ActiveControl(), w.bSifArt);
                  EXPECT_EQ(w.bSifArt->FontColor(), fw::clBlue);
                  EXPECT_NE(w.bParArt->FontColor(), fw::clBlue);
                  QTest::keyClick(w.bSifArt, Qt::Key_Down);
                  EXPECT_EQ(w.ActiveControl(), w.bNalozi) << "the work orders are part of the program";
                  QTest::keyClick(w.bNalozi, Qt::Key_Down);
                  EXPECT_EQ(w.ActiveControl(), w.bTipovi);
                  QTest::keyClick(w.bTipovi, Qt::Key_Up);
                  QTest::keyClick(w.bNalozi, Qt::Key_Up);
                  EXPECT_EQ(w.ActiveControl(), w.bSifArt);
                  closeProbeWhenShown();
                  QTest::keyClick(w.bSifArt, Qt::Key_Return);
                  EXPECT_TRUE(w.isVisible());
              }),
              0);
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(mainVisibleWhileOpen, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Probe, nullptr); // freed with the application's forms
}

TEST_F(MainWindowTest, TheStartUpFormsFollowTheMainWindowHidden) {
    app::StageProgramFolder(folder.Path());
    std::vector<std::string> made;
    TProbe* first = nullptr;
    app::Startup.StartUpForms = {[&] {
                                     made.push_back(app::MainWindow.WinGlavna ? "after main window"
                                                                              : "before");
                                     first = fw::CreateForm<TProbe>(&fw::Application::Instance());
                                 },
                                 [&] { made.push_back("second"); }};
    EXPECT_EQ(Start([&](app::TWinGlavna&) {
                  ASSERT_NE(first, nullptr);
                  EXPECT_FALSE(first->isVisible());
              }),
              0);
    app::Startup.StartUpForms.clear();
    EXPECT_EQ(made, (std::vector<std::string>{"after main window", "second"}));
}

TEST_F(MainWindowTest, TheAboutBoxAndThePasswordPromptComeFromTheKit) {
    app::StageProgramFolder(folder.Path());
    app::MainWindow.WinGlavnaOpeners.RadniNalozi = [](fw::Form*) {};
    bool aboutShown = false, mainHidden = false;
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  ASSERT_TRUE(w.O1->Enabled());
                  QTimer poll;
                  QObject::connect(&poll, &QTimer::timeout, [&] {
                      kit::TO_Programu* about = kit::OPlom.O_Programu;
                      if (!about || !about->Modal() || !about->isVisible()) return;
                      poll.stop();
                      aboutShown = true;
                      mainHidden = !w.isVisible();
                      about->BitBtn1->Click();
                  });
                  poll.start(5);
                  w.O1->Click();
                  EXPECT_TRUE(w.isVisible());

                  // The prompt answers with the typed text; a wrong one leaves the work orders hidden.
                  w.activateWindow();
                  (void)QTest::qWaitForWindowActive(&w);
                  auto answerPrompt = [&](const char* text) {
                      QTimer::singleShot(0, [text] {
                          QWidget* prompt = QApplication::activeModalWidget();
                          ASSERT_NE(prompt, nullptr);
                          auto* edit = prompt->findChild<QLineEdit*>();
                          ASSERT_NE(edit, nullptr);
                          QTest::keyClicks(edit, text);
                          QTest::keyClick(edit, Qt::Key_Return);
                      });
                  };
                  answerPrompt("krivo");
                  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
                  EXPECT_FALSE(w.mP_Naloga->Visible());
                  answerPrompt("");
                  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
                  EXPECT_TRUE(w.mP_Naloga->Visible());
              }),
              0);
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(mainHidden);
}

TEST_F(MainWindowTest, CtrlAltSAsksTheWorkOrderPassword) {
    app::StageProgramFolder(folder.Path());
    std::vector<bool> answers{false, true};
    int asked = 0;
    app::MainWindow.WinGlavnaOpeners.RadniNalozi = [](fw::Form*) {};
    app::MainWindow.WinGlavnaOpeners.AskWorkOrderPassword = [&] {
        return answers[static_cast<std::size_t>(asked++)];
    };
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  w.activateWindow();
                  (void)QTest::qWaitForWindowActive(&w);
                  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
                  EXPECT_EQ(asked, 0);
                  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
                  EXPECT_EQ(asked, 1);
                  EXPECT_FALSE(w.mP_Naloga->Visible());
                  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
                  EXPECT_EQ(asked, 2);
                  EXPECT_TRUE(w.mP_Naloga->Visible());
                  EXPECT_EQ(w.ActiveControl(), w.bNalozi);
              }),
              0);
}

} // namespace

namespace {

TEST_F(MainWindowTest, ADamagedTableTheChecksCannotRepairEndsWithOneMessage) {
    app::StageProgramFolder(folder.Path());
    folder.Write("lokal/SIF_PART.DB", std::string(5000, '\x7f'));
    EXPECT_EQ(Start(), 2);
    EXPECT_FALSE(ranDrive);
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0].rfind("Greška: ", 0), 0u);
    EXPECT_NE(dialogs.Texts()[0].find("SIF_PART.DB"), std::string::npos) << dialogs.Texts()[0];
    for (const auto& [file, row] : Register("lokal"))
        EXPECT_EQ(row.first, 0) << file;
}

} // namespace

namespace {

// Runs `step` from the event loop once `ready` answers a window (a modal one shows inside a key handler).
void WhenShown(const std::function<QWidget*()>& ready, const std::function<void(QWidget&)>& step) {
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [poll, ready, step] {
        QWidget* window = ready();
        if (!window || !window->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        step(*window);
    });
    poll->start(5);
}

QWidget* FocusOr(QWidget* fallback) {
    return QApplication::focusWidget() ? QApplication::focusWidget() : fallback;
}

// The horizontal margins left and right of what is drawn in other colours than the background.
std::pair<int, int> InkMargins(const QImage& image, QColor background) {
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, image.width() - 1 - right};
}

TEST_F(MainWindowTest, KeysComeBackAfterTheMenuAndWindowsSitWhereTheyBelong) {
    app::StageProgramFolder(folder.Path());
    int groups = 0;
    app::MainWindow.WinGlavnaOpeners.GrupeArtikala = [&](fw::Form*) { ++groups; };
    bool closedByEsc = false;
    EXPECT_EQ(
        Start([&](app::TWinGlavna& w) {
            // A fixed box in the middle of the screen.
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            EXPECT_EQ(w.minimumSize(), w.maximumSize());
            EXPECT_LE((w.frameGeometry().center() - screen.center()).manhattanLength(), 4);
            w.resize(w.width(), w.height() + 100);
            EXPECT_EQ(w.height(), 368 + w.MainMenu1->height());
            // The menu bar is seen: nothing lies over it, and everything else fits in the box below it.
            const QRect bar = w.MainMenu1->geometry();
            EXPECT_EQ(bar.top(), 0);
            EXPECT_GT(bar.height(), 0);
            for (QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (child == w.MainMenu1 || !child->isVisible()) continue;
                EXPECT_FALSE(child->geometry().intersects(bar)) << child->objectName().toStdString();
                EXPECT_TRUE(w.rect().contains(child->geometry())) << child->objectName().toStdString();
            }

            // The about box over the main window, its memo centred on the form colour.
            WhenShown([] { return static_cast<QWidget*>(kit::OPlom.O_Programu); },
                      [&](QWidget& box) {
                          EXPECT_LE((box.geometry().center() - w.geometry().center()).manhattanLength(), 4);
                          fw::Memo* memo = kit::OPlom.O_Programu->Memo1;
                          const QImage inside = memo->viewport()->grab().toImage();
                          const QColor face = fw::ToQColor(fw::clBtnFace);
                          EXPECT_EQ(inside.pixelColor(2, inside.height() - 2), face);
                          const auto [left, right] = InkMargins(inside, face);
                          EXPECT_GT(left, 4);
                          EXPECT_LE(std::abs(left - right), 16) << left << " " << right;
                          QTest::keyClick(FocusOr(&box), Qt::Key_Escape);
                      });
            w.O1->Click();
            EXPECT_TRUE(w.isVisible());

            // The menu closed with Esc: the keys are the window's again (Ctrl+Alt+S asks the
            // password, in a prompt over the window).
            w.MainMenu1->setActiveAction(w.mSifarnik->Action());
            ASSERT_TRUE(QApplication::activePopupWidget());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            QApplication::processEvents();
            bool prompted = false;
            WhenShown(
                [] { return QApplication::activeModalWidget(); },
                [&](QWidget& prompt) {
                    prompted = true;
                    EXPECT_EQ(prompt.windowTitle().toStdString(), "Šifra:");
                    EXPECT_LE(
                        (prompt.frameGeometry().center() - w.frameGeometry().center()).manhattanLength(), 4)
                        << prompt.frameGeometry().x() << "," << prompt.frameGeometry().y() << " "
                        << prompt.width() << "x" << prompt.height() << " over " << w.x() << "," << w.y();
                    QTest::keyClick(FocusOr(&prompt), Qt::Key_Return);
                });
            QTest::keyClick(FocusOr(&w), Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
            EXPECT_TRUE(prompted);
            EXPECT_TRUE(w.mP_Naloga->Visible());

            // An entry chosen from the keyboard: Esc then closes the window.
            w.MainMenu1->setActiveAction(w.mSifarnik->Action());
            ASSERT_TRUE(QApplication::activePopupWidget());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_G);
            QApplication::processEvents();
            EXPECT_EQ(groups, 1);
            QTest::keyClick(FocusOr(&w), Qt::Key_Escape);
            closedByEsc = !w.isVisible();
        }),
        0);
    EXPECT_TRUE(closedByEsc);
}

// F10, and Alt pressed and let go alone, open the menu bar's first menu, though the window's buttons take
// Alt letters of their own.
TEST_F(MainWindowTest, F10AndAltAloneOpenTheMenuBar) {
    app::StageProgramFolder(folder.Path());
    bool opened = false;
    EXPECT_EQ(Start([&](app::TWinGlavna& w) {
                  QAction* first = nullptr;
                  for (QAction* a : w.MainMenu1->actions())
                      if (!first && a->isVisible() && !a->isSeparator()) first = a;
                  ASSERT_NE(first, nullptr);
                  QTest::keyClick(FocusOr(&w), Qt::Key_F10);
                  ASSERT_TRUE(QApplication::activePopupWidget());
                  EXPECT_EQ(w.MainMenu1->activeAction(), first);
                  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
                  QApplication::processEvents();
                  ASSERT_FALSE(QApplication::activePopupWidget());
                  w.MainMenu1->GiveKeysBack();
                  QTest::keyPress(FocusOr(&w), Qt::Key_Alt);
                  QTest::keyRelease(FocusOr(&w), Qt::Key_Alt, Qt::AltModifier);
                  ASSERT_TRUE(QApplication::activePopupWidget());
                  EXPECT_EQ(w.MainMenu1->activeAction(), first);
                  opened = true;
                  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
                  QApplication::processEvents();
                  w.MainMenu1->GiveKeysBack();
                  // Alt with a letter is no Alt alone.
                  QTest::keyPress(FocusOr(&w), Qt::Key_Alt);
                  QTest::keyClick(FocusOr(&w), Qt::Key_X, Qt::AltModifier);
                  QTest::keyRelease(FocusOr(&w), Qt::Key_Alt, Qt::AltModifier);
                  EXPECT_FALSE(QApplication::activePopupWidget());
                  QTest::keyClick(FocusOr(&w), Qt::Key_Escape);
              }),
              0);
    EXPECT_TRUE(opened);
}

} // namespace
