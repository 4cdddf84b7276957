#include "fw/db/FieldDataLink.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

class DataLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prepare(t);
        t.FieldDefs().Add("Code", ftAutoInc);
        t.FieldDefs().Add("Partner", ftInteger);
        t.FieldDefs().Add("Naziv", ftString, 20);
        t.CreateTable();
        t.AddIndex("", "Code", ixPrimary | ixUnique);
        t.AddIndex("PartnerNaziv", "Partner;Naziv", 0);
        t.Open();
        for (auto [partner, naziv] : {std::pair{1, "a"}, {2, "b"}, {2, "c"}, {2, "d"}, {3, "e"}}) {
            t.Append();
            t.FieldByName("Partner").SetAsInteger(partner);
            t.FieldByName("Naziv").SetAsString(naziv);
            t.Post();
        }
        t.First();
    }
    void Prepare(TTable& table) {
        table.SetDatabaseName(folder.Path().string());
        table.SetTableName("ROBA.DB");
    }
    // The Naziv of the row at that position, read for a view.
    std::string At(long long recNo) {
        std::string text = "-";
        t.ReadRecordAt(recNo, [&] { text = t.FieldByName("Naziv").AsString(); });
        return text;
    }
    testsupport::TempFolder folder;
    TTable t;
};

TEST_F(DataLinkTest, ReadsRowsOfTheViewWithoutMovingTheRecord) {
    t.Next();
    EXPECT_EQ(At(5), "e");
    EXPECT_EQ(At(1), "a");
    EXPECT_EQ(At(6), "-");
    EXPECT_EQ(At(0), "-");
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "b") << "the current record stays";
    // Within a range and a filter the positions are those of the view.
    t.SetIndexFieldNames("Partner;Naziv");
    t.SetRange({engine::Value::Int(2)}, {engine::Value::Int(2)});
    t.OnFilterRecord = [](TDataSet& ds, bool& accept) { accept = ds.FieldByName("Naziv").AsString() != "c"; };
    t.SetFiltered(true);
    EXPECT_EQ(At(1), "b");
    EXPECT_EQ(At(2), "d");
    EXPECT_EQ(At(3), "-");
    // While the record is edited the view's rows are the stored ones.
    t.Edit();
    t.FieldByName("Naziv").SetAsString("x");
    EXPECT_EQ(At(1), "b");
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "x");
}

TEST_F(DataLinkTest, KeepsTheControlsTextUntilTheRecordIsUpdated) {
    TDataSource source(&t);
    TFieldDataLink link;
    std::string shown, typed;
    link.OnDataChange = [&] { shown = link.Field() ? link.Field()->AsString() : "?"; };
    link.OnUpdateData = [&] { link.Field()->SetAsString(typed); };
    link.SetFieldName("Naziv");
    link.SetDataSource(&source);
    EXPECT_EQ(shown, "a");
    ASSERT_TRUE(link.Edit());
    typed = "z";
    link.SetModified();
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "a") << "nothing is written while the control holds it";
    EXPECT_FALSE(t.Modified());
    t.Post();
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "z") << "the post asked the control";
    EXPECT_FALSE(link.Modified());
    // A scroll drops what the control held and shows the next record.
    link.Edit();
    typed = "lost";
    link.SetModified();
    t.Cancel();
    EXPECT_FALSE(link.Modified());
    t.Next();
    EXPECT_EQ(shown, "b");
    // A read-only link (or table) never puts the record into edit.
    link.ReadOnly = true;
    EXPECT_FALSE(link.Edit());
    link.ReadOnly = false;
    t.ReadOnly = true;
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(t.State(), dsBrowse);
    t.Close();
    EXPECT_EQ(link.Field(), nullptr);
}

} // namespace
