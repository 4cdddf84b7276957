#include "tests/kit/KitFixture.h"

#include "app/data/DataSetServices.h"
#include "app/tables/EngineTables.h"
#include "app/tables/TableEngine.h"
#include "app/tables/TableFiles.h"
#include "engine/Engine.h"
#include "tests/support/ChildProcess.h"

#include <unistd.h>

namespace kittest {
namespace {

class MyTableTest : public KitTest {
protected:
    MyTableTest() { MakeTable("Global", "PARTNER.DB"); }

    // Designer handlers that record their calls into `calls`.
    void Record(kit::TMyTable& t) {
        auto rec = [this](const char* name) {
            return [this, name](fw::TDataSet&) { reg.Calls.push_back(name); };
        };
        t.BeforeOpen = rec("BeforeOpen");
        t.AfterOpen = rec("AfterOpen");
        t.BeforeInsert = rec("BeforeInsert");
        t.OnNewRecord = rec("OnNewRecord");
        t.BeforeEdit = rec("BeforeEdit");
        t.BeforePost = rec("BeforePost");
        t.AfterPost = rec("AfterPost");
        t.BeforeDelete = rec("BeforeDelete");
        t.AfterDelete = rec("AfterDelete");
        t.BeforeClose = rec("BeforeClose");
        t.AfterClose = rec("AfterClose");
        app::FormOpener.FlushTableProc = [this](fw::TDataSet& ds) {
            reg.Calls.push_back("flush " + MemoryRegister::Key(ds));
        };
    }
};

TEST_F(MyTableTest, StartsWithTheKitSwitches) {
    kit::TMyTable t;
    EXPECT_TRUE(t.AutoOpen);
    EXPECT_TRUE(t.AutoFlush);
    EXPECT_TRUE(t.FreeToDelete);
    EXPECT_TRUE(t.FreeToInsert);
    EXPECT_FALSE(t.FreeToModify);
}

TEST_F(MyTableTest, ChainsTheDesignersHandlersAroundTheKitsWork) {
    kit::TMyTable t;
    Setup(t, "Global", "PARTNER.DB");
    t.FreeToModify = true;
    Record(t);
    t.Open();
    t.Append();
    t.FieldByName("Naziv").SetAsString("Prvi");
    t.Post();
    t.Delete();
    t.Close();
    const std::vector<std::string> expected{"register PARTNER.DB",   "BeforeOpen",  "AfterOpen",
                                            "BeforeInsert",          "OnNewRecord", "BeforePost",
                                            "mark PARTNER.DB",       "AfterPost",   "BeforeDelete",
                                            "AfterDelete",           "BeforeClose", "flush PARTNER.DB",
                                            "unregister PARTNER.DB", "AfterClose"};
    EXPECT_EQ(reg.Calls, expected);
}

TEST_F(MyTableTest, MarksTheRegisterOncePerOpeningAndClearsOnClose) {
    kit::TMyTable t;
    Setup(t, "Global", "PARTNER.DB");
    t.FreeToModify = true;
    t.Open();
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1);
    EXPECT_FALSE(reg.Changed["PARTNER.DB"]);
    AddRows(t, {{1, "A"}, {2, "B"}});
    t.First();
    t.Delete();
    EXPECT_TRUE(reg.Changed["PARTNER.DB"]);
    EXPECT_EQ(std::count(reg.Calls.begin(), reg.Calls.end(), "mark PARTNER.DB"), 1);
    EXPECT_TRUE(t.Changed);
    t.Close();
    EXPECT_EQ(reg.Open["PARTNER.DB"], 0);
    EXPECT_FALSE(reg.Changed["PARTNER.DB"]);
    EXPECT_FALSE(t.ChangeMarked);
    EXPECT_FALSE(t.Changed);
    // A new opening marks again on its first write.
    t.Open();
    t.First();
    t.Delete();
    EXPECT_EQ(std::count(reg.Calls.begin(), reg.Calls.end(), "mark PARTNER.DB"), 2);
    t.Close();
}

TEST_F(MyTableTest, RefusesInsertsPostsAndDeletesItsSwitchesForbid) {
    kit::TMyTable t;
    Setup(t, "Global", "PARTNER.DB");
    t.FreeToModify = true;
    t.Open();
    AddRows(t, {{1, "A"}});
    t.FreeToInsert = false;
    EXPECT_THROW(t.Append(), base::Abort);
    EXPECT_EQ(t.State(), fw::dsBrowse);
    app::EnableInsertPost(t);
    t.Append();
    t.Cancel();
    app::DisableInsertPost(t);

    // A user's new row is dropped without a message; an existing row is edited normally.
    t.FreeToInsert = true;
    t.FreeToModify = false;
    t.Append();
    t.FieldByName("Naziv").SetAsString("Novi");
    EXPECT_THROW(t.Post(), base::Abort);
    EXPECT_EQ(t.State(), fw::dsBrowse);
    EXPECT_EQ(Walk(t), (std::vector<std::string>{"A"}));
    t.First();
    t.Edit();
    t.FieldByName("Naziv").SetAsString("B");
    t.Post();
    EXPECT_EQ(Walk(t), (std::vector<std::string>{"B"}));
    // The program's own creation is let through.
    app::EnableInsertPost(t);
    AddRows(t, {{2, "C"}});
    app::DisableInsertPost(t);
    EXPECT_EQ(t.RecordCount(), 2);

    t.FreeToDelete = false;
    t.First();
    EXPECT_THROW(t.Delete(), base::Abort);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Nije dozvoljeno brisanje."}));
    EXPECT_EQ(t.RecordCount(), 2);

    t.Close();
}

TEST_F(MyTableTest, AParkedTableIsReleasedForGoodWhenFreed) {
    auto t = std::make_unique<kit::TMyTable>();
    Setup(*t, "Global", "PARTNER.DB");
    t->Open();
    app::CloseKeepingHandle(*t);
    ASSERT_TRUE(t->Parked());
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1);
    EXPECT_EQ(app::OpenListCount(), 1);
    t.reset();
    EXPECT_EQ(reg.Open["PARTNER.DB"], 0);
    EXPECT_EQ(app::OpenListCount(), 0);
}

TEST_F(MyTableTest, KeepsCodesWithLinkedItems) {
    fw::TTable make;
    make.SetDatabaseName("Global");
    make.SetTableName("ARTIKL.DB");
    make.FieldDefs().Add("Code", fw::ftAutoInc);
    make.FieldDefs().Add("Sifra", fw::ftString, 10);
    make.FieldDefs().Add("Items", fw::ftInteger);
    make.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
    make.CreateTable();
    kit::TMyTable t;
    Setup(t, "Global", "ARTIKL.DB");
    t.FreeToModify = true;
    t.Open();
    ASSERT_NE(t.ItemsField, nullptr);
    for (int items : {3, 0}) {
        t.Append();
        t.FieldByName("Sifra").SetAsString(std::to_string(items));
        t.FieldByName("Items").SetAsInteger(items);
        t.Post();
    }
    t.First();
    EXPECT_THROW(t.Delete(), base::Abort);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "Nije dozvoljeno brisanje šifre,\r\njer postoje podaci vezani uz šifru."}));
    t.Next();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 1);
    t.Close();
}

class KontaTest : public MyTableTest {
protected:
    KontaTest() {
        fw::TTable make;
        make.SetDatabaseName("Global");
        make.SetTableName("KONTA.DB");
        make.FieldDefs().Add("Code", fw::ftInteger);
        make.FieldDefs().Add("Konto", fw::ftString, 10);
        make.FieldDefs().Add("Items", fw::ftInteger);
        make.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
        make.CreateTable();
        Setup(t, "Global", "KONTA.DB");
        t.FreeToModify = true;
        t.Open();
    }
    ~KontaTest() override { t.Close(); }
    void Add(const std::string& konto, int items = 0) {
        t.Append();
        t.FieldByName("Konto").SetAsString(konto);
        t.FieldByName("Items").SetAsInteger(items);
        t.Post();
    }
    kit::TMyTable t;
};

TEST_F(KontaTest, TakesTheCodeFromTheAccount) {
    EXPECT_TRUE(t.IsKontaTable);
    Add("0123");
    EXPECT_EQ(t.FieldByName("Code").AsInteger(), 10123);
    t.Edit();
    t.FieldByName("Konto").SetAsString("44");
    t.Post();
    EXPECT_EQ(t.FieldByName("Code").AsInteger(), 144);
}

TEST_F(KontaTest, RefusesAnAccountChangeWithLinkedData) {
    Add("100");
    t.Edit();
    t.FieldByName("Items").SetAsInteger(2);
    t.Post();
    t.Edit();
    t.FieldByName("Konto").SetAsString("200");
    EXPECT_THROW(t.Post(), base::Abort);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "Nije dozvoljena promjena konta,\r\njer postoje podaci vezani uz konto."}));
    t.Cancel();
    EXPECT_EQ(t.FieldByName("Code").AsInteger(), 1100);
}

TEST_F(KontaTest, TheSaveActionDoesNotRetryARefusal) {
    Add("100");
    t.Edit();
    t.FieldByName("Items").SetAsInteger(2);
    t.Post();
    int posts = 0;
    t.BeforePost = [&](fw::TDataSet&) { ++posts; };
    t.Edit();
    t.FieldByName("Konto").SetAsString("200");
    EXPECT_ANY_THROW(app::PostAndAppend(&t));
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "Nije dozvoljena promjena konta,\r\njer postoje podaci vezani uz konto."}));
    EXPECT_TRUE(std::none_of(dialogs.Calls.begin(), dialogs.Calls.end(),
                             [](const app::DialogCall& c) { return c.Kind == app::DialogKind::YesNo; }));
    t.BeforePost = nullptr;
}

TEST_F(KontaTest, RefusesAnAccountThatIsNoShortNumber) {
    for (const char* konto : {"1234567890", "12A"}) {
        dialogs.Calls.clear();
        t.Append();
        t.FieldByName("Konto").SetAsString(konto);
        EXPECT_THROW(t.Post(), base::Abort) << konto;
        EXPECT_EQ(Shown(), (std::vector<std::string>{kit::KontaRefusedText}));
        t.Cancel();
    }
    EXPECT_EQ(t.RecordCount(), 0);
}

TEST_F(MyTableTest, ChoosesTheSessionByDatabaseKind) {
    fw::TSession druga("Druga");
    fw::TDatabase db(&druga);
    Connect(db, "GLOBAL2", folder / "global");
    kit::Kit.SessionNameB = "Druga";
    kit::TMyTable a, b;
    Setup(a, "Global", "PARTNER.DB");
    Setup(b, "GLOBAL2", "PARTNER.DB");
    a.Open();
    b.Open();
    EXPECT_EQ(a.SessionName(), "Default");
    EXPECT_EQ(b.SessionName(), "Druga");
    a.Close();
    b.Close();
    kit::Kit.SessionNameB = "Default";
}

TEST_F(MyTableTest, RepairsATableThatFailedToOpenOnce) {
    int checks = 0;
    kit::KitTableServices.CheckTablesOf = [&](const std::string& name, const std::string& db, bool thorough) {
        ++checks;
        EXPECT_TRUE(thorough);
        MakeTable(db, name);
    };
    kit::TMyTable t;
    Setup(t, "Lokal", "NOVA.DB");
    int designerBeforeOpen = 0;
    t.BeforeOpen = [&](fw::TDataSet&) { ++designerBeforeOpen; };
    t.Open();
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(designerBeforeOpen, 1);
    t.Close();
}

TEST_F(MyTableTest, LeavesNoRegistrationWhenTheOpenFailsForGood) {
    kit::KitTableServices.CheckTablesOf = [](const std::string&, const std::string&, bool) {};
    kit::TMyTable t;
    Setup(t, "Lokal", "NEMA.DB");
    EXPECT_ANY_THROW(t.Open());
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(reg.Open["NEMA.DB"], 0);
}

class RegisterTest : public MyTableTest {
protected:
    RegisterTest() {
        fw::TTable make;
        make.SetDatabaseName("Global");
        make.SetTableName("OPEN.DB");
        make.FieldDefs().Add("File", fw::ftString, 20);
        make.FieldDefs().Add("OPEN", fw::ftInteger);
        make.FieldDefs().Add("Changed", fw::ftBoolean);
        make.CreateTable();
        make.Open();
        for (auto [file, open, changed] : {std::tuple{"ROBA.DB", 1, true}, std::tuple{"BOJE.DB", 0, true},
                                           std::tuple{"KUPCI.DB", 2, false}}) {
            make.Append();
            make.FieldByName("File").SetAsString(file);
            make.FieldByName("OPEN").SetAsInteger(open);
            make.FieldByName("Changed").SetAsBoolean(changed);
            make.Post();
        }
        make.Close();
        MakeTable("Global", "ROBA.DB");
        MakeTable("Global", "BOJE.DB");
        kit::KitTableServices.CheckTableQuick = [this](fw::TDataSet&) { reg.Calls.push_back("quick"); };
        kit::KitTableServices.CheckTableFull = [this](fw::TDataSet&) { reg.Calls.push_back("full"); };
    }
    // The tables whose primary index file is gone.
    std::vector<std::string> Deleted() const {
        std::vector<std::string> out;
        for (const char* name : {"ROBA", "BOJE"})
            if (!std::filesystem::exists(folder / "global" / (std::string(name) + ".PX")))
                out.push_back(name);
        return out;
    }
};

TEST_F(RegisterTest, FirstUserEmptiesTheRegisterAndDropsIndexesOfTablesLeftChanged) {
    kit::TMyTable r;
    Setup(r, "Global", "OPEN.DB");
    r.FreeToModify = true;
    r.Open();
    EXPECT_TRUE(r.ExclusiveProbe);
    EXPECT_EQ(r.RecordCount(), 0);
    EXPECT_EQ(Deleted(), (std::vector<std::string>{"ROBA"}));
    EXPECT_EQ(reg.Calls, (std::vector<std::string>{"quick"}));
    EXPECT_EQ(reg.Open.count("OPEN.DB"), 0u);
    r.Close();
}

TEST_F(RegisterTest, LeavesARegisterAnotherUserHoldsAlone) {
    fw::TTable other;
    other.SetDatabaseName("Global");
    other.SetTableName("OPEN.DB");
    other.Open();
    kit::TMyTable r;
    Setup(r, "Global", "OPEN.DB");
    r.Open();
    EXPECT_FALSE(r.ExclusiveProbe);
    EXPECT_EQ(r.RecordCount(), 3);
    EXPECT_TRUE(Deleted().empty());
    EXPECT_TRUE(reg.Calls.empty());
    r.Close();
    other.Close();
}

// The kit table on the shell's own "OPEN.DB" register.
class RealRegisterTest : public MyTableTest {
protected:
    RealRegisterTest() {
        kit::ResetTableServices();
        app::SetTableEngine(&app::FileTableEngine());
        app::InstallTableSets();
        MakeTable("Global", "TESTNI.DB");
    }
    ~RealRegisterTest() override {
        kit::Kit.OpenDbGlobal->Close();
        kit::Kit.OpenDbLokal->Close();
        for (app::Folder f : {app::Folder::Global, app::Folder::Lokal, app::Folder::Link})
            app::HooksOf(f) = app::FolderHooks();
    }
    // {Open, Changed} of the table's register row as another open of "OPEN.DB" reads it; {-1, false} without.
    std::pair<int, bool> Row(const std::string& file) {
        fw::TTable t;
        t.SetDatabaseName((folder / "global").string());
        t.SetTableName("OPEN.DB");
        t.Open();
        if (!t.FindKey({engine::Value::Text(file)})) return {-1, false};
        return {static_cast<int>(t.FieldByName("Open").AsInteger()), t.FieldByName("Changed").AsBoolean()};
    }
};

TEST_F(RealRegisterTest, PostsAndDeletesMarkTheRowClosingCountsItOff) {
    kit::TMyTable t;
    Setup(t, "Global", "TESTNI.DB");
    t.FreeToModify = true;
    t.Open();
    EXPECT_EQ(Row("TESTNI.DB"), std::make_pair(1, false));
    AddRows(t, {{1, "A"}, {2, "B"}});
    EXPECT_EQ(Row("TESTNI.DB"), std::make_pair(1, true));
    t.First();
    t.Delete();
    EXPECT_EQ(Row("TESTNI.DB"), std::make_pair(1, true));
    t.Close();
    EXPECT_EQ(Row("TESTNI.DB").first, 0);
    // The next first opener starts the row unchanged.
    t.Open();
    EXPECT_EQ(Row("TESTNI.DB"), std::make_pair(1, false));
    t.Close();
    EXPECT_EQ(Row("TESTNI.DB").first, 0);
}

// Another program instance holds the register of the folder given open (shared) until its stdin closes; it
// answers 'o' once the register is open, 'x' when it could not open it.
PLOM_CHILD_ROLE(RegisterHolder) {
    std::unique_ptr<engine::Table> t;
    char answer = 'o';
    try {
        t = engine::Table::Open(args.at(0), "OPEN.DB", engine::OpenMode::Shared);
    } catch (...) {
        answer = 'x';
    }
    char cmd;
    if (::write(STDOUT_FILENO, &answer, 1) == 1) (void)!::read(STDIN_FILENO, &cmd, 1);
    return 0;
}

class OtherInstance {
public:
    explicit OtherInstance(const std::filesystem::path& folder)
        : child_(testsupport::ChildProcess::Role("RegisterHolder", {folder.string()})),
          opened_(child_->Read(1).value_or("?") == "o") {}
    ~OtherInstance() {
        child_->CloseInput();
        if (!child_->Wait()) child_->Kill();
    }
    bool Opened() const { return opened_; }

private:
    std::unique_ptr<testsupport::ChildProcess> child_;
    bool opened_;
};

TEST_F(RegisterTest, ARegisterInUseByAnotherProcessIsNotSwept) {
    {
        OtherInstance other(folder / "global");
        ASSERT_TRUE(other.Opened());
        kit::TMyTable r;
        Setup(r, "Global", "OPEN.DB");
        r.Open();
        EXPECT_FALSE(r.ExclusiveProbe);
        EXPECT_EQ(r.RecordCount(), 3);
        r.Close();
    }
    kit::TMyTable r;
    Setup(r, "Global", "OPEN.DB");
    r.FreeToModify = true;
    r.Open();
    EXPECT_TRUE(r.ExclusiveProbe);
    EXPECT_EQ(r.RecordCount(), 0);
    r.Close();
}

} // namespace
} // namespace kittest
