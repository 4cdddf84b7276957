#include "tests/kit/KitFixture.h"

#include "app/data/OpenDbRegister.h"

namespace kittest {
namespace {

class FormTablesTest : public KitTest {
protected:
    FormTablesTest() {
        for (const char* name : {"PARTNER.DB", "ROBA.DB", "KUPCI.DB"})
            MakeTable("Global", name);
    }
    static void Setup(kit::TMyTable& t, const char* name) {
        t.SetDatabaseName("Global");
        t.SetTableName(name);
    }
};

TEST_F(FormTablesTest, TheLimitParksTheIdleTableBeforeAnotherOpens) {
    app::DBMine.MaxOpenTables = 1;
    kit::TMyTable a, b, c;
    Setup(a, "PARTNER.DB");
    Setup(b, "ROBA.DB");
    Setup(c, "KUPCI.DB");
    a.Open();
    kit::CloseTable(a); // soft: open underneath and idle
    EXPECT_FALSE(a.Active());
    EXPECT_EQ(app::IdleCount(), 1);
    b.Open();
    c.Open();
    EXPECT_TRUE(a.Parked());
    EXPECT_EQ(app::IdleCount(), 0);
    EXPECT_TRUE(b.Active());
    EXPECT_TRUE(c.Active());
    // Parked, the table is still registered as open; it comes back with its kept cursor.
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1);
    a.Open();
    EXPECT_TRUE(a.Active());
    EXPECT_EQ(reg.Open["PARTNER.DB"], 1);
}

TEST_F(FormTablesTest, OnlyTheTrailingRunOfDataComponentsBelongsToTheFormsTables) {
    std::unique_ptr<DataForm> form(fw::CreateForm<DataForm>(nullptr));
    // A control after the table ends the run: the walk from the end meets it first.
    std::unique_ptr<kit::TMyForm> mixed(fw::CreateForm<kit::TMyForm>(nullptr));
    auto* hidden = new kit::TMyTable(mixed.get());
    new fw::Edit(mixed.get(), mixed.get());
    auto* last = new kit::TMyTable(mixed.get());
    const std::vector<app::TMyTableX*> tables = app::FormTables(*mixed);
    EXPECT_EQ(tables, (std::vector<app::TMyTableX*>{last}));
    EXPECT_NE(tables.front(), hidden);
    EXPECT_EQ(app::FormTables(*form), (std::vector<app::TMyTableX*>{form->tPartner}));
}

TEST_F(FormTablesTest, OpenThenCloseLeavesTheTablesIdle) {
    std::unique_ptr<DataForm> form(fw::CreateForm<DataForm>(nullptr));
    EXPECT_TRUE(app::OpenCloseFormTables(form.get()));
    EXPECT_FALSE(form->tPartner->Active());
    EXPECT_EQ(form->tPartner->State(), fw::dsBrowse) << "soft-closed, open underneath";
    EXPECT_TRUE(app::OpenFormTables(form.get()));
    EXPECT_TRUE(form->tPartner->Active());
    EXPECT_FALSE(form->tPartner->ControlsDisabled());
}

TEST_F(FormTablesTest, ShutdownClosesEveryTableAndDatabase) {
    std::unique_ptr<DataForm> form(fw::CreateForm<DataForm>(nullptr));
    kit::TMyTable other;
    Setup(other, "ROBA.DB");
    other.Open();
    app::OpenFormTables(form.get());
    app::CloseFormTables(form.get());
    app::CloseAllDatabases();
    EXPECT_EQ(form->tPartner->State(), fw::dsInactive);
    EXPECT_FALSE(form->tPartner->HandleKept);
    EXPECT_EQ(other.State(), fw::dsInactive);
    EXPECT_EQ(reg.Open["PARTNER.DB"], 0);
    EXPECT_EQ(reg.Open["ROBA.DB"], 0);
    EXPECT_FALSE(global.Connected());
}

TEST_F(FormTablesTest, TheKitStartsWithItsHooksAndRegisters) {
    ASSERT_NE(kit::Kit.OpenDbGlobal, nullptr);
    EXPECT_EQ(app::OpenDbRegister.OpenDbGlobal, kit::Kit.OpenDbGlobal.get());
    EXPECT_EQ(app::OpenDbRegister.OpenDbLokal, kit::Kit.OpenDbLokal.get());
    EXPECT_EQ(kit::Kit.OpenDbGlobal->TableName(), "OPEN.DB");
    EXPECT_EQ(kit::Kit.OpenDbLokal->DatabaseName(), "Lokal");
    EXPECT_TRUE(kit::Kit.OpenDbGlobal->FreeToModify);
    EXPECT_FALSE(kit::Kit.OpenDbGlobal->Active());
    EXPECT_EQ(kit::Kit.SessionNameA, "Default");
    EXPECT_EQ(kit::Kit.SessionNameB, "Default");
    EXPECT_TRUE(app::FormOpener.FormCreationHook);
    EXPECT_TRUE(app::FormOpener.FormShowingHook);
    kit::FinalizeKit();
    EXPECT_TRUE(kit::Kit.SessionNameA.empty());
    EXPECT_NE(kit::Kit.OpenDbGlobal, nullptr) << "closed, not freed";
    kit::InitializeKit();
}

} // namespace
} // namespace kittest
