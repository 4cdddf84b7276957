#pragma once
// A program folder with "global/" and "lokal/" databases, the kit started, a register that keeps its
// "Open" counts and "Changed" marks in memory, and a test data form with a table. The program's state
// starts at its defaults (the test main resets it) and is reset again at the end, while the folder is still
// there.

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Settings.h"
#include "app/data/Useful.h"
#include "app/data/WBegin.h"
#include "app/shell/FormOpener.h"
#include "app/shell/ResPlus.h"
#include "app/shell/ScriptedDialogs.h"
#include "app/shell/Splash.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Session.h"
#include "fw/ui/Application.h"
#include "fw/ui/Grid.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"
#include "kit/KitButtons.h"
#include "kit/Mycombo.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"
#include "tests/support/PartnerRows.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <QApplication>
#include <QTest>
#include <QTimer>

namespace kittest {

// The register rows of the tables as the kit reports them.
struct MemoryRegister {
    std::map<std::string, int> Open;
    std::map<std::string, bool> Changed;
    std::vector<std::string> Calls;
    static std::string Key(fw::TDataSet& ds) {
        return base::UpperCase(dynamic_cast<fw::TTable&>(ds).TableName());
    }
};

class KitTest : public ::testing::Test {
protected:
    KitTest() {
        std::filesystem::create_directories(folder / "global");
        std::filesystem::create_directories(folder / "lokal");
        Connect(global, "Global", folder / "global");
        Connect(lokal, "Lokal", folder / "lokal");
        app::WBegin.GlobalFolder = (folder / "global").string() + "/";
        app::WBegin.LokalFolder = (folder / "lokal").string() + "/";
        kit::InitializeKit();
        app::Settings.CommonSettings.Resources.LoadMode = 1;
        app::Settings.CommonSettings.Resources.Usage = 4;
        app::FormOpener.FlushTableProc = [this](fw::TDataSet& ds) {
            flushed.push_back(MemoryRegister::Key(ds));
        };
        kit::TableServices& s = kit::KitTableServices;
        s.RegisterTableOpen = [this](fw::TDataSet& ds) {
            ++reg.Open[MemoryRegister::Key(ds)];
            reg.Calls.push_back("register " + MemoryRegister::Key(ds));
        };
        s.UnregisterTableOpen = [this](fw::TDataSet& ds) {
            const std::string k = MemoryRegister::Key(ds);
            if (--reg.Open[k] == 0) reg.Changed[k] = false;
            reg.Calls.push_back("unregister " + k);
        };
        s.MarkTableChanged = [this](fw::TDataSet& ds) {
            reg.Changed[MemoryRegister::Key(ds)] = true;
            reg.Calls.push_back("mark " + MemoryRegister::Key(ds));
        };
        s.TableOpenCount = [this](fw::TDataSet& ds) { return reg.Open[MemoryRegister::Key(ds)]; };
    }
    ~KitTest() override { base::ResetProgramState(); }

    static void Connect(fw::TDatabase& db, const std::string& name, const std::filesystem::path& path) {
        db.SetDatabaseName(name);
        db.KeepConnection = false;
        db.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
        db.SetParam("PATH", path.string());
    }
    // Code (auto-increment, primary), Partner, Naziv.
    static void MakeTable(const std::string& database, const std::string& name) {
        fw::TTable t;
        t.SetDatabaseName(database);
        t.SetTableName(name);
        t.FieldDefs().Add("Code", fw::ftAutoInc);
        t.FieldDefs().Add("Partner", fw::ftInteger);
        t.FieldDefs().Add("Naziv", fw::ftString, 20);
        t.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
        t.CreateTable();
    }
    static void AddRows(fw::TTable& t, std::initializer_list<std::pair<int, const char*>> rows) {
        testsupport::AddRows(t, rows);
    }
    static void Setup(fw::TTable& t, const std::string& database, const std::string& name) {
        t.SetDatabaseName(database);
        t.SetTableName(name);
    }
    static std::vector<std::string> Walk(fw::TTable& t) { return testsupport::Walk(t); }
    std::vector<std::string> Shown() const { return dialogs.Texts(); }

    testsupport::TempFolder folder;
    fw::TDatabase global, lokal;
    MemoryRegister reg;
    std::vector<std::string> flushed;
    fw::MessageRecorder recorder;
    app::ScriptedDialogs dialogs;
};

// Sends a key to the form's active control (or the form).
inline void Key(fw::Form& form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = form.ActiveControl() ? &form.ActiveControl()->Widget() : &form;
    QTest::keyClick(target, key, mods);
}

// Runs f once the event loop is running (inside a modal form's loop).
inline void Later(std::function<void()> f) {
    QTimer::singleShot(0, qApp, [f = std::move(f)] { fw::Guarded(f); });
}

// Runs f once ready() holds (polled from the event loop, at most two seconds).
inline void When(std::function<bool()> ready, std::function<void()> f) {
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, qApp, [=] {
        if (!ready() && ++*tries < 200) return;
        timer->stop();
        timer->deleteLater();
        fw::Guarded(f);
    });
    timer->start(10);
}

// Lets the event loop run until ready() holds (at most two seconds); answers ready().
inline bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 200 && !ready(); ++i)
        QTest::qWait(10);
    return ready();
}

// A data form: two edits, a grid, a save button, and the "PARTNER.DB" table of "Global" at the end.
class DataForm : public kit::TMyForm {
public:
    explicit DataForm(fw::Component* owner) : kit::TMyForm(owner) {
        setObjectName("DataForm");
        resize(400, 300);
        eNaziv = new fw::Edit(this, this);
        eNaziv->SetName("eNaziv");
        eNaziv->SetBounds(10, 10, 150, 24);
        eMjesto = new fw::Edit(this, this);
        eMjesto->SetName("eMjesto");
        eMjesto->SetBounds(10, 50, 150, 24);
        eDesno = new fw::Edit(this, this);
        eDesno->SetName("eDesno");
        eDesno->SetBounds(200, 10, 150, 24);
        gPartner = new fw::Grid(this, this);
        gPartner->SetName("gPartner");
        gPartner->SetBounds(10, 90, 380, 150);
        bSpremi = new kit::TMyBitBtn(this, this);
        bSpremi->SetName("bSpremi");
        bSpremi->SetBounds(10, 250, 80, 30);
        bSpremi->OnClick = [this](fw::Component&) { ++saves; };
        tPartner = new kit::TMyTable(this);
        tPartner->SetDatabaseName("Global");
        tPartner->SetTableName("PARTNER.DB");
        tPartner->FreeToModify = true;
        SetActiveControl(eNaziv);
    }
    fw::Edit* eNaziv;
    fw::Edit* eMjesto;
    fw::Edit* eDesno;
    fw::Grid* gPartner;
    kit::TMyBitBtn* bSpremi;
    kit::TMyTable* tPartner;
    int saves = 0;
};

} // namespace kittest
