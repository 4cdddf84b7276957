#include "app/data/OpenDbRegister.h"

#include "app/data/DataSetServices.h"
#include "app/tables/TableFiles.h"
#include "base/Files.h"
#include "tests/app/data/ServicesFixture.h"

#include <gmock/gmock.h>

#include <fstream>

using namespace app;
using apptest::ServicesTest;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

const std::string Corrupt = ":\r\nTable \"OPEN.DB\" corrupt.";

class RegisterTest : public ServicesTest {
protected:
    RegisterTest() {
        CreateOpenDbTables();
        while (OpenCount() > 0) // a balanced start whatever an earlier failure left
            DecOpenCount();
        Setup(wingl, "Lokal", "WINGL.DB");
        Setup(wingl2, "LOKAL2", "wingl.db");
        Setup(roba, "Global", "ROBA.DB");
    }
    static void Setup(TMyTableX& t, const std::string& db, const std::string& name) {
        t.SetDatabaseName(db);
        t.SetTableName(name);
    }
    bool Has(const std::string& file) { return base::FindFile(root / "lokal", file).has_value(); }
    std::int64_t Time(const std::string& file) { return base::FileTime(root / "lokal" / file); }
    // The message the coded error showed, and that it ended in the cancel.
    template <class F> void ExpectCode(int code, F&& f) {
        shown.clear();
        try {
            f();
            ADD_FAILURE() << "no error for code " << code;
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "ESC");
        }
        EXPECT_THAT(shown, ElementsAre("User error " + std::to_string(code) + Corrupt));
    }

    TMyTableX wingl, wingl2, roba;
};

TEST_F(RegisterTest, TheFirstOpenerAppendsTheRowAndChecksTheTable) {
    RegisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(1, false));
    EXPECT_TRUE(Has("WINGL.DB")); // the quick check made it
    EXPECT_TRUE(Has("OPEN.DB"));
    EXPECT_EQ(OpenCount(), 1);
    EXPECT_EQ(TableOpenCount(wingl), 1);

    // A second opener raises the count and runs no check.
    DeleteTableIndexFiles("WINGL.DB", "Lokal");
    RegisterTableOpen(wingl2);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, false));
    EXPECT_FALSE(Has("WINGL.PX"));
    EXPECT_EQ(OpenCount(), 2);
    EXPECT_EQ(Row("global", "WINGL.DB").first, -1); // the Lokal register only
    EXPECT_EQ(shown.size(), 0u);
}

TEST_F(RegisterTest, ARowAnotherStationAppendedFirstIsUsed) {
    bool raced = false;
    OpenDbRegister.OpenDbLokal->BeforePost = [&](fw::TDataSet& reg) {
        if (raced || reg.State() != fw::dsInsert) return;
        raced = true; // the other station's row arrives between our search and our post
        fw::TTable other;
        other.SetDatabaseName("Lokal");
        other.SetTableName("OPEN.DB");
        other.Open();
        other.Append();
        other.FieldByName("File").SetAsString("WINGL.DB");
        other.FieldByName("Open").SetAsInteger(1);
        other.Post();
    };
    RegisterTableOpen(wingl);
    EXPECT_TRUE(raced);
    EXPECT_EQ(Row("lokal", "WINGL.DB"), std::make_pair(2, false));
    EXPECT_FALSE(Has("WINGL.DB")); // not the first opener: no check
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(asked.empty());
}

TEST_F(RegisterTest, OnlyTheLastCloserStampsTheTablesFiles) {
    RegisterTableOpen(wingl);
    RegisterTableOpen(wingl2);
    const std::int64_t old = 1'600'000'000'000'000'000;
    base::SetFileTime(root / "lokal" / "WINGL.PX", old);
    UnregisterTableOpen(wingl2);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 1);
    EXPECT_EQ(Time("WINGL.PX"), old);
    UnregisterTableOpen(wingl);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 0);
    for (const auto& file : base::FilesMatching(root / "lokal", "WINGL.*"))
        EXPECT_EQ(base::FileTime(file), Time("WINGL.DB")) << file;
    EXPECT_EQ(OpenCount(), 0);
    // The next thorough check finds the index files current: nothing is rebuilt.
    const std::int64_t stamped = Time("WINGL.PX");
    CheckTableFull(&wingl);
    EXPECT_EQ(Time("WINGL.PX"), stamped);
}

TEST_F(RegisterTest, ChangedIsSetOnceAndClearedByTheNextFirstOpener) {
    RegisterTableOpen(roba);
    MarkTableChanged(roba);
    MarkTableChanged(roba);
    EXPECT_EQ(Row("global", "ROBA.DB"), std::make_pair(1, true));
    UnregisterTableOpen(roba);
    EXPECT_EQ(Row("global", "ROBA.DB"), std::make_pair(0, true)); // kept until someone opens it again
    RegisterTableOpen(roba);
    EXPECT_EQ(Row("global", "ROBA.DB"), std::make_pair(1, false));
    UnregisterTableOpen(roba);

    TMyTableX reg;
    Setup(reg, "Global", "open.db");
    MarkTableChanged(reg); // the register itself is never marked
    EXPECT_EQ(Row("global", "OPEN.DB").first, -1);
}

TEST_F(RegisterTest, TheFirstOpenerChecksThoroughlyWhenAskedTo) {
    RegisterTableOpen(wingl);
    UnregisterTableOpen(wingl);
    base::SetFileTime(root / "lokal" / "WINGL.PX", 1); // stale: only a thorough check sees it
    RegisterTableOpen(wingl);                          // an existing row gets no check
    EXPECT_EQ(Time("WINGL.PX"), 1);
    UnregisterTableOpen(wingl);
    base::SetFileTime(root / "lokal" / "WINGL.PX", 1);
    wingl.CheckOnFirstRegistration = true;
    RegisterTableOpen(wingl);
    EXPECT_NE(Time("WINGL.PX"), 1);
    UnregisterTableOpen(wingl);

    Settings.CommonSettings.Safety.AutoCheck = true; // a new row is checked thoroughly
    TMyTableX wino;
    Setup(wino, "Lokal", "WINO.DB");
    RegisterTableOpen(wino);
    EXPECT_TRUE(Has("WINO.DB"));
    UnregisterTableOpen(wino);
}

TEST_F(RegisterTest, ARegisterThatCannotBeUsedGivesItsCode) {
    ExpectCode(OpenDbError::CounterZero, [] { DecOpenCount(); });
    RegisterTableOpen(roba); // opens the Global register only
    ExpectCode(OpenDbError::LokalClosed, [&] { UnregisterTableOpen(wingl); });
    ExpectCode(OpenDbError::LokalMarkRowMissing, [&] { MarkTableChanged(wingl); });
    RegisterTableOpen(wingl);
    OpenDbRegister.OpenDbGlobal->Close();
    ExpectCode(OpenDbError::GlobalClosed, [&] { UnregisterTableOpen(roba); });
    TMyTableX boje, wino;
    Setup(boje, "Global", "BOJE.DB");
    ExpectCode(OpenDbError::GlobalMarkRowMissing, [&] { MarkTableChanged(boje); });
    RegisterTableOpen(wingl2);
    Setup(wino, "Lokal", "WINO.DB");
    ExpectCode(OpenDbError::LokalRowMissing, [&] { UnregisterTableOpen(wino); });
    EXPECT_EQ(OpenCount(), 0); // lowered also when the unregistration failed
    EXPECT_EQ(DBMine.OpenDbLokalLock.A.a, 0);
    EXPECT_EQ(DBMine.OpenDbGlobalLock.A.a, 0);
    EXPECT_EQ(OpenDbRegister.OpenDbLokal->State(), fw::dsBrowse);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 2);
}

TEST_F(RegisterTest, ARowHeldForTooLongEndsTheWaitWithItsCode) {
    RegisterTableOpen(wingl);
    fw::TTable other; // another station's edit of the row
    other.SetDatabaseName("Lokal");
    other.SetTableName("OPEN.DB");
    other.Open();
    ASSERT_TRUE(other.FindKey({engine::Value::Text("WINGL.DB")}));
    other.Edit();
    OpenDbRegister.OpenDbEditTries = 5;
    OpenDbRegister.OpenDbEditPauseMs = 1;
    ExpectCode(OpenDbError::LokalRowHeld, [&] { RegisterTableOpen(wingl2); });
    EXPECT_EQ(OpenCount(), 2); // raised also when the registration failed
    EXPECT_EQ(OpenDbRegister.OpenDbLokal->State(), fw::dsBrowse);
    other.Cancel();
    UnregisterTableOpen(wingl2);
    EXPECT_EQ(Row("lokal", "WINGL.DB").first, 0);
}

TEST_F(RegisterTest, ADataFolderRemovedWhileTheProgramRunsIsToldAsSuch) {
    RegisterTableOpen(roba);
    const std::string folder = FolderPath(Folder::Global);
    fs::remove_all(folder);
    TMyTableX boje;
    Setup(boje, "Global", "BOJE.DB");
    OpenDbRegister.OpenDbEditTries = 3;
    OpenDbRegister.OpenDbEditPauseMs = 1;
    shown.clear();
    EXPECT_ANY_THROW(RegisterTableOpen(boje));
    EXPECT_THAT(shown,
                ElementsAre("Mapa s podacima " + folder +
                            " više ne postoji: program je možda uklonjen dok je radio. Zatvorite program."));
}

TEST_F(RegisterTest, LinkTablesAreMadeAnewAndOtherDatabasesIgnored) {
    TMyTableX link;
    Setup(link, "LINK", "OPEN.DB");
    EXPECT_THROW(RegisterTableOpen(link), base::Exception); // no link folder
    EXPECT_EQ(OpenCount(), 0);

    fs::create_directories(root / "link");
    WBegin.LinkFolder = (root / "link").string() + "/";
    std::ofstream(root / "link" / "OPEN.DB") << "not a table";
    std::ofstream(root / "link" / "OPEN.PX") << "not an index";
    RegisterTableOpen(link);
    EXPECT_EQ(OpenCount(), 1);
    const auto info = engine::ReadTableInfo(root / "link", "OPEN.DB");
    EXPECT_EQ(info.Fields.size(), 3u);
    EXPECT_EQ(info.RecordCount, 0);
    EXPECT_EQ(TableOpenCount(link), 0); // not open itself
    UnregisterTableOpen(link);
    EXPECT_EQ(OpenCount(), 0);

    TMyTableX link2, other;
    Setup(link2, "LINK2", "WINGL.DB");
    Setup(other, root.string(), "WINGL.DB");
    for (TMyTableX* t : {&link2, &other}) {
        RegisterTableOpen(*t);
        UnregisterTableOpen(*t);
        MarkTableChanged(*t);
    }
    EXPECT_EQ(OpenCount(), 0);
    EXPECT_FALSE(Has("OPEN.DB"));
}

TEST_F(RegisterTest, LocksAreTakenUnlessTheCallerHoldsThem) {
    AcquireLock(DBMine.OpenDbLokalLock, LockNo::RegisterLokal);
    EXPECT_THROW(RegisterTableOpen(wingl), base::Exception); // re-entry: a deadlock report
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].starts_with("DeathLock_1 at 64,"));
    wingl.RegistryHeld = true;
    RegisterTableOpen(wingl);
    EXPECT_EQ(TableOpenCount(wingl), 1);
    UnregisterTableOpen(wingl);
    ReleaseLock(DBMine.OpenDbLokalLock, LockNo::RegisterLokal);
    EXPECT_EQ(OpenCount(), 1); // the failed registration counted as well
    DecOpenCount();
}

TEST_F(RegisterTest, AFileNameTooLongForTheRegisterIsRefused) {
    TMyTableX t;
    Setup(t, "Lokal", "PREDUGO_IME.DB");
    EXPECT_THROW(RegisterTableOpen(t), base::Exception);
    DecOpenCount();
}

} // namespace
