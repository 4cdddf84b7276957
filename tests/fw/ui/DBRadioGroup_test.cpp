#include "fw/db/DataSource.h"
#include "fw/db/Table.h"
#include "fw/ui/DBRadioGroup.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// A form with the group on "Decimale" of a table and an edit to leave it for.
class RadioForm : public fw::Form {
public:
    explicit RadioForm(fw::Component* owner) : fw::Form(owner) {
        resize(300, 200);
        group = new fw::DBRadioGroup(this, this);
        group->SetName("rDecimale");
        group->SetBounds(10, 10, 200, 120);
        group->SetItems({"3 dec.", "2 dec.", "1 dec.", "0 dec."});
        group->SetValues({"3", "2", "1", "0"});
        other = new fw::Edit(this, this);
        other->SetName("eOther");
        other->SetBounds(10, 150, 100, 24);
    }
    fw::DBRadioGroup* group;
    fw::Edit* other;
};

class RadioGroupTest : public ::testing::Test {
protected:
    RadioGroupTest() {
        fw::TTable t;
        Prepare(t);
        t.FieldDefs().Add("Code", fw::ftAutoInc);
        t.FieldDefs().Add("Decimale", fw::ftSmallint);
        t.CreateTable();
        t.AddIndex("", "Code", fw::ixPrimary | fw::ixUnique);
        t.Open();
        for (const char* v : {"2", ""}) {
            t.Append();
            if (*v) t.FieldByName("Decimale").SetAsString(v);
            t.Post();
        }
    }
    void Prepare(fw::TTable& t) {
        t.SetDatabaseName(folder.Path().string());
        t.SetTableName("VALUTA.DB");
    }
    std::vector<std::string> Stored() {
        fw::TTable t;
        Prepare(t);
        t.Open();
        std::vector<std::string> values;
        for (t.First(); !t.Eof(); t.Next())
            values.push_back(t.FieldByName("Decimale").AsString());
        return values;
    }
    void Key(fw::Control& c, Qt::Key key) { QTest::keyClick(&c.Widget(), key); }
    testsupport::TempFolder folder;
};

// The group shows the stored value, moves its choice by keys and clicks only while the record can be edited,
// writes the chosen item's value on the exit, and shows the field again after a cancel.
TEST_F(RadioGroupTest, ShowsChoosesAndStoresTheItemsValue) {
    fw::TTable table;
    Prepare(table);
    fw::TDataSource source;
    source.SetDataSet(&table);
    auto form = fw::MakeForm<RadioForm>();
    form->group->SetDataSource(&source);
    form->group->SetDataField("Decimale");
    table.Open();
    fwtest::ShowActive(*form);
    fw::DBRadioGroup& g = *form->group;
    EXPECT_EQ(g.ItemIndex(), 1) << "2 decimals";

    g.SetFocus();
    Key(g, Qt::Key_Down);
    EXPECT_EQ(g.ItemIndex(), 2);
    EXPECT_EQ(table.State(), fw::dsEdit);
    Key(g, Qt::Key_Down);
    Key(g, Qt::Key_Down);
    EXPECT_EQ(g.ItemIndex(), 3) << "the last item stays chosen";
    Key(g, Qt::Key_Up);
    EXPECT_EQ(g.Value(), "1");
    form->other->SetFocus();
    EXPECT_EQ(table.FieldByName("Decimale").AsInteger(), 1);
    table.Post();
    EXPECT_EQ(Stored(), (std::vector<std::string>{"1", ""}));

    // A record without a value shows the item of zero; a click chooses, a cancel shows the field again.
    table.Next();
    EXPECT_EQ(g.ItemIndex(), 3);
    form->group->findChildren<QRadioButton*>().at(0)->click();
    EXPECT_EQ(g.ItemIndex(), 0);
    table.Cancel();
    EXPECT_EQ(g.ItemIndex(), 3);

    // Read-only: neither keys nor clicks change the choice.
    g.DataLink().ReadOnly = true;
    g.SetFocus();
    Key(g, Qt::Key_Up);
    form->group->findChildren<QRadioButton*>().at(1)->click();
    EXPECT_EQ(g.ItemIndex(), 3);
    EXPECT_TRUE(form->group->findChildren<QRadioButton*>().at(3)->isChecked());
    EXPECT_FALSE(form->group->findChildren<QRadioButton*>().at(1)->isChecked());
    EXPECT_EQ(table.State(), fw::dsBrowse);
    table.Close();
}

} // namespace
