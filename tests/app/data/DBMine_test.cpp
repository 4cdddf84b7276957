#include "tests/app/data/DataLayerFixture.h"

#include <gmock/gmock.h>

using namespace app;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class RegistryTest : public apptest::DataLayerTest {
protected:
    // A table object for the registry routines alone (nothing is opened).
    TMyTableX& Table(const std::string& database, const std::string& name) {
        auto& t = tables.emplace_back(std::make_unique<TMyTableX>());
        t->SetDatabaseName(database);
        t->SetTableName(name);
        return *t;
    }
    std::string CancelMessage(const std::function<void()>& call) {
        try {
            call();
        } catch (const base::Exception& e) {
            return e.Message();
        }
        return "no exception";
    }
    ~RegistryTest() override {
        // The objects are registry-only: leave them closed so their destruction finds nothing to undo.
        for (auto& t : tables) {
            t->RegistryHeld = true;
            t->IsOpen = t->IsEnabled = false;
        }
    }
    std::vector<std::unique_ptr<TMyTableX>> tables;
};

TEST_F(RegistryTest, OneSlotPerTableFileAndDatabaseKind) {
    TMyTableX& a = Table("Global", "ROBA.DB");
    TMyTableX& b = Table("GLOBAL2", "roba");
    TMyTableX& c = Table("Lokal", "ROBA.DB");
    NewTable_Opened(a);
    NewTable_Opened(b);
    NewTable_Opened(c);
    EXPECT_EQ(a.Slot, b.Slot);
    EXPECT_NE(a.Slot, c.Slot);
    EXPECT_EQ(SlotName(a.Slot), "ROBA");
    EXPECT_EQ(SlotKind(a.Slot), 2);
    EXPECT_EQ(SlotKind(c.Slot), 1);
    EXPECT_EQ(TablesOpen(a.Slot), 2);
    EXPECT_EQ(Table_Open(b), 2);
    EXPECT_EQ(GetTablesOpen(a), 2);
    EXPECT_EQ(DistinctOpen(), 2);
    NewTable_Closed(a);
    EXPECT_EQ(TablesOpen(b.Slot), 1);
    EXPECT_EQ(DistinctOpen(), 2);
    NewTable_Closed(b);
    NewTable_Closed(c);
    EXPECT_EQ(DistinctOpen(), 0);
    EXPECT_EQ(IdleCount(), 0);
}

TEST_F(RegistryTest, UncountedDatabasesChangeOnlyTheTablesOwnFlags) {
    TMyTableX& link2 = Table("LINK2", "ROBA.DB");
    TMyTableX& other = Table("C:/podaci", "ROBA.DB");
    EXPECT_EQ(GetTablesOpen(link2), 0); // looked up now
    EXPECT_EQ(link2.Slot, 0);
    NewTable_Opened(link2);
    NewTable_Opened(other);
    EXPECT_EQ(other.Slot, 0);
    EXPECT_TRUE(link2.IsOpen && link2.IsEnabled);
    NewTable_Disabled(link2);
    EXPECT_FALSE(link2.IsEnabled);
    NewTable_Enabled(link2);
    NewTable_Closed(link2);
    EXPECT_FALSE(link2.IsOpen || link2.IsEnabled);
    EXPECT_EQ(GetTablesOpen(link2), 1);
    EXPECT_EQ(SlotCount(), 0);
    EXPECT_EQ(DistinctOpen(), 0);
    NewTable_Closed(other);
}

TEST_F(RegistryTest, FullNamesAndAsManySlotsAsNeeded) {
    TMyTableX& a = Table("Lokal", "DUGACKOIME1.DB");
    TMyTableX& b = Table("Lokal", "DUGACKOIME2.DB");
    TMyTableX& a2 = Table("LOKAL2", "dugackoime1");
    LookupSlot(a);
    LookupSlot(b);
    LookupSlot(a2);
    EXPECT_NE(a.Slot, b.Slot);
    EXPECT_EQ(a.Slot, a2.Slot);
    EXPECT_EQ(SlotName(a.Slot), "DUGACKOIME1");
    for (int i = 0; i < 600; ++i) {
        TMyTableX& t = Table("Global", "T" + std::to_string(i));
        NewTable_Opened(t);
    }
    EXPECT_EQ(SlotCount(), 602);
    EXPECT_EQ(DistinctOpen(), 600);
    EXPECT_EQ(SlotName(602), "T599");
    for (std::size_t i = 3; i < tables.size(); ++i)
        NewTable_Closed(*tables[i]);
    EXPECT_EQ(DistinctOpen(), 0);
}

TEST_F(RegistryTest, TheIdleQueueHoldsSlotsInTheOrderTheyBecameIdle) {
    TMyTableX& a = Table("Global", "A");
    TMyTableX& b = Table("Lokal", "B");
    TMyTableX& a2 = Table("Global", "A");
    NewTable_Opened(a);
    NewTable_Opened(b);
    EXPECT_EQ(IdleHeadSlot(), -1);
    EXPECT_EQ(IdleHeadKind(), 0);
    NewTable_Disabled(a);
    NewTable_Disabled(b);
    EXPECT_EQ(IdleCount(), 2);
    EXPECT_EQ(IdleHeadSlot(), a.Slot);
    EXPECT_EQ(IdleHeadKind(), 2);
    // A second form's table on the idle slot takes it out of the queue.
    NewTable_Opened(a2);
    EXPECT_EQ(EnabledCount(a.Slot), 1);
    EXPECT_EQ(IdleHeadSlot(), b.Slot);
    EXPECT_EQ(IdleHeadKind(), 1);
    NewTable_Enabled(b);
    EXPECT_EQ(IdleCount(), 0);
    NewTable_Enabled(b); // already enabled: nothing
    EXPECT_EQ(EnabledCount(b.Slot), 1);
    // Closing the last enabled table of a slot while another is soft-closed leaves the slot idle.
    NewTable_Closed(a2);
    EXPECT_THAT(std::vector<int>{IdleHeadSlot()}, ElementsAre(a.Slot));
    NewTable_Closed(a);
    NewTable_Closed(b);
    EXPECT_EQ(IdleCount(), 0);
    EXPECT_EQ(DistinctOpen(), 0);
}

TEST_F(RegistryTest, TheCountsAndTheIdleQueueAgreeAfterEveryTransition) {
    std::vector<TMyTableX*> ts;
    for (const char* name : {"A", "A", "B", "C", "C", "C"})
        ts.push_back(&Table("Global", name));
    unsigned seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int step = 0; step < 2000; ++step) {
        TMyTableX& t = *ts[next() % ts.size()];
        switch (next() % 4) {
        case 0:
            if (!t.IsOpen) NewTable_Opened(t);
            break;
        case 1:
            if (t.IsOpen) NewTable_Closed(t);
            break;
        case 2:
            if (t.IsOpen) NewTable_Disabled(t);
            break;
        default:
            if (t.IsOpen) NewTable_Enabled(t);
        }
        int open = 0, idle = 0;
        bool headIsIdle = IdleHeadSlot() == -1;
        for (int slot = 1; slot <= SlotCount(); ++slot) {
            int enabled = 0, opened = 0;
            for (TMyTableX* u : ts)
                if (u->Slot == slot) {
                    opened += u->IsOpen;
                    enabled += u->IsEnabled;
                }
            ASSERT_EQ(TablesOpen(slot), opened);
            ASSERT_EQ(EnabledCount(slot), enabled);
            open += opened > 0;
            bool isIdle = opened > 0 && enabled == 0;
            idle += isIdle;
            if (isIdle && IdleHeadSlot() == slot) headIsIdle = true;
        }
        ASSERT_EQ(DistinctOpen(), open);
        ASSERT_EQ(IdleCount(), idle);
        ASSERT_TRUE(headIsIdle);
    }
    for (TMyTableX* t : ts)
        if (t->IsOpen) NewTable_Closed(*t);
}

TEST_F(RegistryTest, InconsistenciesAreShownAndEndInTheCancel) {
    TMyTableX& t = Table("Global", "ROBA");
    EXPECT_EQ(CancelMessage([&] { NewTable_Enabled(t); }), "ESC");
    LookupSlot(t);
    EXPECT_EQ(CancelMessage([&] { NewTable_Closed(t); }), "ESC");
    EXPECT_EQ(CancelMessage([&] { NewTable_Disabled(t); }), "ESC");
    NewTable_Opened(t);
    EXPECT_EQ(CancelMessage([&] { NewTable_Opened(t); }), "ESC");
    TMyTableX& u = Table("Global", "ROBA");
    EXPECT_EQ(CancelMessage([&] { NewTable_Disabled(u); }), "ESC");
    EXPECT_THAT(shown, ElementsAre("NewTable_Enabled: Table not defined!", "NewTable_Closed",
                                   "NewTable_Disabled - Error 2", "NewTable_Opened - 2",
                                   "NewTable_Disabled: Table not defined!"));
    u.Slot = 99;
    EXPECT_EQ(CancelMessage([&] { Table_Open(u); }), "ESC");
    EXPECT_EQ(CancelMessage([&] { GetTablesOpen(u); }), "ESC");
    EXPECT_EQ(shown.back(), "TablesOpen index out of bounds");
    EXPECT_EQ(shown[shown.size() - 2], "Table_Open index out of bounds");
    // The lock taken by the failing routines was released.
    EXPECT_EQ(DBMine.RegistryLock.A.a.load(), 0);
    NewTable_Closed(t);
}

TEST_F(RegistryTest, ReEntryIsReportedAsADeadlockWithTheNumbersOfBothRoutines) {
    TMyTableX& t = Table("Global", "ROBA");
    AcquireLock(DBMine.RegistryLock, LockNo::LoadFormTables);
    EXPECT_EQ(CancelMessage([&] { NewTable_Opened(t); }), "Deathlock !?");
    EXPECT_THAT(shown, ElementsAre("DeathLock_1 at 10,\r\nwaiting for 32."));
    EXPECT_FALSE(t.IsOpen);
    // The holder keeps it; with RegistryHeld the table is registered under the held lock.
    t.RegistryHeld = true;
    NewTable_Opened(t);
    EXPECT_TRUE(t.IsOpen);
    NewTable_Closed(t);
    ReleaseLock(DBMine.RegistryLock, LockNo::LoadFormTables);
    EXPECT_EQ(DBMine.RegistryLock.A.a.load(), 0);
    t.RegistryHeld = false;
    NewTable_Opened(t);
    NewTable_Closed(t);
}

TEST_F(RegistryTest, ReleasingALockNotHeldReportsTheThreadError) {
    EXPECT_EQ(CancelMessage([] { ReleaseLock(DBMine.OpenCountLock, LockNo::DecOpenCount); }), "ESC");
    AcquireLock(DBMine.OpenCountLock, LockNo::IncOpenCount);
    EXPECT_EQ(CancelMessage([] { ReleaseLock(DBMine.OpenCountLock, LockNo::DecOpenCount); }), "ESC");
    EXPECT_THAT(shown, ElementsAre("Thread error: A.a=0, A.b=0, A.c=0, b=63",
                                   "Thread error: A.a=1, A.b=62, A.c=62, b=63"));
    ReleaseLock(DBMine.OpenCountLock, LockNo::IncOpenCount);
    {
        LockScope scope(DBMine.CheckLokalLock, LockNo::FullCheckLokal);
        EXPECT_EQ(DBMine.CheckLokalLock.A.b, 53);
    }
    EXPECT_EQ(DBMine.CheckLokalLock.A.a.load(), 0);
}

TEST(DBMineServices, AbortMemoryErrorAndInsertPost) {
    std::vector<std::string> shown;
    Dialogs.ShowInfoHook = [&](const std::string& text) { shown.push_back(text); };
    try {
        AbortWithMessage("ESC");
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "ESC");
        EXPECT_TRUE(base::IsSilent(e));
    }
    EXPECT_THAT(shown, IsEmpty());
    EXPECT_THROW(AbortWithMessage("Nije dozvoljeno brisanje."), base::Exception);
    EXPECT_THAT(shown, ElementsAre("Nije dozvoljeno brisanje."));
    try {
        MemoryError(6);
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "Memory error No. 6 !");
    }
    Dialogs.ShowInfoHook = nullptr;

    TMyTableX t;
    fw::TTable plain;
    EnableInsertPost(t);
    EnableInsertPost(plain);
    EXPECT_TRUE(t.InsertPost);
    DisableInsertPost(t);
    EXPECT_FALSE(t.InsertPost);
}

TEST(DBMineServices, ValidNamesAreShortPlainIdentifiers) {
    EXPECT_TRUE(IsValidName("Code"));
    EXPECT_TRUE(IsValidName("SIF_PART"));
    EXPECT_TRUE(IsValidName("a@1"));
    EXPECT_TRUE(IsValidName(std::string(50, 'x')));
    EXPECT_FALSE(IsValidName(""));
    EXPECT_FALSE(IsValidName(std::string(51, 'x')));
    EXPECT_FALSE(IsValidName("Šifra"));
    EXPECT_FALSE(IsValidName("Naziv robe"));
    EXPECT_FALSE(IsValidName("Partner;Sifra"));
}

TEST(DBMineServices, LookupCombosSkipNamesThatAreNotPlain) {
    EXPECT_TRUE(LookupKeySearchAllowed("Partner", "Code", "Code"));
    EXPECT_FALSE(LookupKeySearchAllowed("Partner", "Partner;Code", "Partner"));
    EXPECT_FALSE(LookupKeySearchAllowed("Šifra", "Code", "Code"));
    EXPECT_FALSE(LookupKeySearchAllowed("Partner", "Code", ""));
    EXPECT_EQ(LookupDisplayField("Naziv"), "Naziv");
    EXPECT_EQ(LookupDisplayField("Naziv;Sifra"), "");
    EXPECT_EQ(LookupDisplayField("Država"), "");
}

} // namespace
