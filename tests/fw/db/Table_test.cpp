#include "base/CroatianFormat.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/DataSource.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace fw;
using engine::Value;
using ::testing::ElementsAre;
using testsupport::TempFolder;

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        TTable t;
        Prepare(t, "ROBA.DB");
        t.FieldDefs().Add("Code", ftAutoInc);
        t.FieldDefs().Add("Partner", ftInteger);
        t.FieldDefs().Add("Sifra", ftString, 10);
        t.FieldDefs().Add("Naziv", ftString, 40);
        t.FieldDefs().Add("Cijena", ftFloat);
        t.FieldDefs().Add("Opis", ftMemo, 1);
        t.CreateTable();
        t.AddIndex("", "Code", ixPrimary | ixUnique);
        t.AddIndex("_Naziv", "Naziv", ixCaseInsensitive);
        t.AddIndex("PartnerSifra", "Partner;Sifra", 0);
        AddRoba(t, {{1, "A", "Šljiva"},
                    {1, "B", "jabuka"},
                    {2, "A", "Kruška"},
                    {2, "C", "dunja"},
                    {3, "A", "šipak"}});
    }
    void Prepare(TTable& t, const std::string& name) {
        t.SetDatabaseName(folder.Path().string());
        t.SetTableName(name);
    }
    struct Roba {
        int partner;
        const char* sifra;
        const char* naziv;
    };
    void AddRoba(TTable& t, std::initializer_list<Roba> list) {
        bool wasOpen = t.Active();
        if (!wasOpen) t.Open();
        for (const auto& r : list) {
            t.Append();
            t.FieldByName("Partner").SetAsInteger(r.partner);
            t.FieldByName("Sifra").SetAsString(r.sifra);
            t.FieldByName("Naziv").SetAsString(r.naziv);
            t.Post();
        }
        if (!wasOpen) t.Close();
    }
    std::vector<std::string> Walk(TTable& t, const char* field = "Naziv") {
        std::vector<std::string> out;
        for (t.First(); !t.Eof(); t.Next())
            out.push_back(t.FieldByName(field).AsString());
        return out;
    }

    TempFolder folder;
};

TEST_F(TableTest, EventsRunInOrderOnARealTable) {
    TTable t;
    Prepare(t, "ROBA");
    std::vector<std::string> calls;
    auto record = [&](const char* name) {
        return [&calls, name](TDataSet& d) {
            calls.push_back(std::string(name) + ":" + std::to_string(d.State()));
        };
    };
    t.BeforeOpen = record("BeforeOpen");
    t.AfterOpen = record("AfterOpen");
    t.BeforeClose = record("BeforeClose");
    t.AfterClose = record("AfterClose");
    t.BeforeInsert = record("BeforeInsert");
    t.AfterInsert = record("AfterInsert");
    t.BeforeEdit = record("BeforeEdit");
    t.AfterEdit = record("AfterEdit");
    t.BeforePost = record("BeforePost");
    t.AfterPost = record("AfterPost");
    t.BeforeCancel = record("BeforeCancel");
    t.AfterCancel = record("AfterCancel");
    t.BeforeDelete = record("BeforeDelete");
    t.AfterDelete = record("AfterDelete");
    t.BeforeScroll = record("BeforeScroll");
    t.AfterScroll = record("AfterScroll");
    t.OnNewRecord = record("OnNewRecord");
    t.Open();
    t.Insert();
    t.FieldByName("Naziv").SetAsString("Novi");
    t.Post();
    t.Edit();
    t.Cancel();
    t.Delete(); // the new row was the last: now at the end
    EXPECT_TRUE(t.Eof());
    t.Next(); // nothing to move to: no scroll
    t.Prior();
    t.Close();
    EXPECT_THAT(calls, ElementsAre("BeforeOpen:0", "AfterOpen:1", "AfterScroll:1", "BeforeInsert:1",
                                   "BeforeScroll:1", "OnNewRecord:3", "AfterInsert:3", "AfterScroll:3",
                                   "BeforePost:3", "AfterPost:1", "BeforeEdit:1", "AfterEdit:2",
                                   "BeforeCancel:2", "AfterCancel:1", "BeforeDelete:1", "BeforeScroll:1",
                                   "AfterDelete:1", "AfterScroll:1", "BeforeScroll:1", "AfterScroll:1",
                                   "BeforeClose:1", "AfterClose:0"));
    t.Open();
    EXPECT_THAT(Walk(t), ElementsAre("Šljiva", "jabuka", "Kruška", "dunja", "šipak"));
}

TEST_F(TableTest, FieldTextsRoundTripThroughTheFiles) {
    TTable t;
    Prepare(t, "SVE.DB");
    t.FieldDefs().Add("Code", ftAutoInc);
    t.FieldDefs().Add("Tekst", ftString, 12);
    t.FieldDefs().Add("Malo", ftSmallint);
    t.FieldDefs().Add("Veliko", ftInteger);
    t.FieldDefs().Add("Broj", ftFloat);
    t.FieldDefs().Add("Iznos", ftFloat);
    t.FieldDefs().Add("Da", ftBoolean);
    t.FieldDefs().Add("Datum", ftDate);
    t.FieldDefs().Add("Opis", ftMemo, 1);
    t.CreateTable();
    t.AddIndex("", "Code", ixPrimary | ixUnique);
    for (const char* name : {"Code", "Tekst", "Malo", "Veliko", "Broj", "Da", "Datum", "Opis"})
        t.AddField(CreateField(t.FieldDefs()[t.FieldDefs().IndexOf(name)].DataType,
                               t.FieldDefs()[t.FieldDefs().IndexOf(name)].Size),
                   name);
    t.AddField(std::make_unique<TCurrencyField>(), "Iznos");
    const std::vector<std::pair<const char*, const char*>> texts = {
        {"Tekst", "Žuti čaj"},    {"Malo", "-32767"},
        {"Veliko", "2147483647"}, {"Broj", "-0,000125"},
        {"Iznos", "1234,5"},      {"Da", "False"},
        {"Datum", "29.2.2024"},   {"Opis", "Prvi red\r\nDrugi red"}};
    t.Open();
    t.Append();
    for (auto [field, text] : texts)
        t.FieldByName(field).SetText(text);
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(t.FieldByName("Code").Text(), "1");
    for (auto [field, text] : texts)
        EXPECT_EQ(t.FieldByName(field).Text(), text) << field;
    EXPECT_EQ(t.FieldByName("Iznos").DisplayText(), "1.234,50");
    EXPECT_EQ(t.FieldByName("Datum").AsDateTime(), base::ToDateTime({2024, 2, 29}));
}

TEST_F(TableTest, DefinitionsReadBackExactlyAsCreated) {
    TTable t;
    Prepare(t, "roba");
    t.FieldDefs().Update();
    ASSERT_EQ(t.FieldDefs().Count(), 6);
    EXPECT_EQ(t.FieldDefs()[0].Name, "Code");
    EXPECT_EQ(t.FieldDefs()[0].DataType, ftAutoInc);
    EXPECT_EQ(t.FieldDefs()[2].DataType, ftString);
    EXPECT_EQ(t.FieldDefs()[2].Size, 10);
    EXPECT_EQ(t.FieldDefs()[5].DataType, ftMemo);
    EXPECT_EQ(t.FieldDefs()[5].Size, 1);
    EXPECT_FALSE(t.FieldDefs()[5].Required);
    t.IndexDefs().Update();
    ASSERT_EQ(t.IndexDefs().Count(), 3);
    EXPECT_EQ(t.IndexDefs()[0].Name, "");
    EXPECT_EQ(t.IndexDefs()[0].Options, ixPrimary | ixUnique);
    EXPECT_EQ(t.IndexDefs()[1].Name, "_Naziv");
    EXPECT_EQ(t.IndexDefs()[1].Options, ixCaseInsensitive);
    EXPECT_EQ(t.IndexDefs()[2].Fields, "Partner;Sifra");
    EXPECT_EQ(t.IndexDefs()[2].Options, 0);
    EXPECT_NE(t.IndexDefs().FindIndexForFields("partner; sifra"), nullptr);
}

TEST_F(TableTest, PostsReachTheFilesAndASecondDataSetAfterRefresh) {
    TTable a, b;
    Prepare(a, "ROBA");
    Prepare(b, "ROBA.DB");
    a.Open();
    b.Open();
    EXPECT_EQ(b.RecordCount(), 5);
    b.Last();
    EXPECT_EQ(b.FieldByName("Code").AsInteger(), 5);
    a.Append();
    a.FieldByName("Naziv").SetAsString("Novi");
    a.Post();
    EXPECT_EQ(a.FieldByName("Code").AsInteger(), 6); // numbered at post
    b.Refresh();
    EXPECT_EQ(b.RecordCount(), 6);
    EXPECT_EQ(b.FieldByName("Code").AsInteger(), 5); // stays on its record
    b.Last();
    EXPECT_EQ(b.FieldByName("Naziv").AsString(), "Novi");
    a.Close();
    b.Close();
    TTable c;
    Prepare(c, "Roba.db");
    c.Open();
    EXPECT_EQ(Walk(c).back(), "Novi");
}

TEST_F(TableTest, RefreshMovesOnWhenTheCurrentRowWasDeletedElsewhere) {
    TTable a, b;
    Prepare(a, "ROBA");
    Prepare(b, "ROBA");
    a.Open();
    b.Open();
    a.Next();
    b.Next();
    b.Delete();
    a.Refresh();
    EXPECT_EQ(a.FieldByName("Naziv").AsString(), "Kruška");
    EXPECT_EQ(a.RecordCount(), 4);
    a.Last();
    b.Last();
    b.Delete();
    a.Refresh(); // the last row is gone: the new last row
    EXPECT_EQ(a.FieldByName("Naziv").AsString(), "dunja");
}

TEST_F(TableTest, TablesWithoutIndexAndMissingTables) {
    TTable k;
    Prepare(k, "KNJIZI.DB");
    EXPECT_FALSE(k.Exists());
    try {
        k.FieldDefs().Update();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.ErrorKind(), EDatabaseError::Kind::MissingTable);
    }
    EXPECT_THROW(k.Open(), EDatabaseError);
    k.FieldDefs().Clear();
    k.FieldDefs().Add("Knjizi", ftBoolean);
    k.CreateTable();
    k.Open();
    EXPECT_EQ(k.IndexFieldCount(), 0);
    for (bool v : {true, false, true}) {
        k.Append();
        k.FieldByName("Knjizi").SetAsBoolean(v);
        k.Post();
    }
    EXPECT_THAT(Walk(k, "Knjizi"), ElementsAre("True", "False", "True"));
    EXPECT_THROW(k.FindKey({Value::Bool(true)}), EDatabaseError);
    EXPECT_EQ(k.State(), dsBrowse);
    EXPECT_THROW(k.SetIndexFieldNames("Knjizi"), EDatabaseError);
}

TEST_F(TableTest, AbortInBeforePostLeavesTheStoredRowUnchanged) {
    TTable t;
    Prepare(t, "ROBA");
    t.BeforePost = [](TDataSet&) { throw base::Abort(); };
    t.Open();
    t.Edit();
    t.FieldByName("Naziv").SetAsString("Promijenjeno");
    EXPECT_THROW(t.Post(), base::Abort);
    t.Cancel();
    t.Close();
    t.BeforePost = nullptr;
    t.Open();
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Šljiva");
}

TEST_F(TableTest, KeySearchWithPartialKeys) {
    TTable t;
    Prepare(t, "ROBA");
    t.SetIndexFieldNames("partner;SIFRA");
    t.Open();
    EXPECT_EQ(t.IndexFieldCount(), 2);
    EXPECT_EQ(t.IndexFields(1)->FieldName(), "Sifra");
    EXPECT_TRUE(t.FindKey({Value::Int(2)}));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Kruška");
    EXPECT_TRUE(t.FindKey({Value::Int(2), Value::Text("C")}));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "dunja");
    EXPECT_FALSE(t.FindKey({Value::Int(2), Value::Text("B")}));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "dunja"); // not found: stays
    t.FindNearest({Value::Int(2), Value::Text("B")});
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "dunja");
    t.FindNearest({Value::Int(9)});
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "šipak");

    t.SetKey();
    t.FieldByName("Partner").SetAsInteger(1);
    EXPECT_EQ(t.State(), dsSetKey);
    EXPECT_TRUE(t.GotoKey()); // only the assigned leading field counts
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Šljiva");
    t.EditKey();
    t.FieldByName("Sifra").SetAsString("B");
    EXPECT_TRUE(t.GotoKey());
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "jabuka");
    t.SetKey();
    t.FieldByName("Partner").SetAsInteger(3);
    t.Cancel(); // the key is dropped, the last one kept
    t.EditKey();
    EXPECT_EQ(t.FieldByName("Sifra").AsString(), "B");
    t.Cancel();

    t.SetIndexName("_naziv"); // case-insensitive index: text keys upper-cased
    EXPECT_TRUE(t.FindKey({Value::Text("ŠIPAK")}));
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "šipak");
    EXPECT_THROW(t.SetIndexName("Nema"), EDatabaseError);
    EXPECT_EQ(t.IndexName(), "_naziv");
    EXPECT_THROW(t.SetIndexFieldNames("Cijena"), EDatabaseError);
    EXPECT_TRUE(t.FindKey({Value::Text("dunja")}));
}

TEST_F(TableTest, RangesWithPartialKeysLimitTheRowsAndTheCount) {
    TTable t;
    Prepare(t, "ROBA");
    t.SetIndexFieldNames("Partner;Sifra");
    t.Open();
    t.SetRange({Value::Int(2)}, {Value::Int(2)});
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_THAT(Walk(t), ElementsAre("Kruška", "dunja"));
    t.SetRangeStart();
    t.FieldByName("Partner").SetAsInteger(1);
    t.FieldByName("Sifra").SetAsString("B");
    t.SetRangeEnd();
    t.FieldByName("Partner").SetAsInteger(2);
    t.ApplyRange();
    EXPECT_THAT(Walk(t), ElementsAre("jabuka", "Kruška", "dunja"));
    t.SetRangeStart(); // open start
    t.SetRangeEnd();
    t.FieldByName("Partner").SetAsInteger(1);
    t.ApplyRange();
    EXPECT_EQ(t.RecordCount(), 2);
    t.CancelRange();
    EXPECT_EQ(t.RecordCount(), 5);
}

TEST_F(TableTest, AFilterHidesRowsWithinTheIndexOrder) {
    TTable t;
    Prepare(t, "ROBA");
    t.SetIndexName("_Naziv");
    t.OnFilterRecord = [](TDataSet& d, bool& accept) { accept = d.FieldByName("Partner").AsInteger() != 1; };
    t.SetFiltered(true);
    t.Open();
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_THAT(Walk(t), ElementsAre("dunja", "Kruška", "šipak"));
    t.SetFiltered(false);
    EXPECT_EQ(t.RecordCount(), 5);
}

TEST_F(TableTest, BookmarksSurviveResorting) {
    TTable t;
    Prepare(t, "ROBA");
    t.Open();
    t.MoveBy(2);
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Kruška");
    TBookmark b = t.GetBookmark();
    t.SetIndexName("_Naziv"); // the current record stays current
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Kruška");
    EXPECT_THAT(Walk(t), ElementsAre("dunja", "jabuka", "Kruška", "šipak", "Šljiva"));
    t.GotoBookmark(b);
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Kruška");
    t.Edit(); // a key change re-sorts the row; the bookmark follows it
    t.FieldByName("Naziv").SetAsString("Ananas");
    t.Post();
    t.First();
    t.GotoBookmark(b);
    EXPECT_EQ(t.FieldByName("Naziv").AsString(), "Ananas");
    EXPECT_EQ(t.RecNo(), 1);
}

TEST_F(TableTest, FieldsOfTheProgramsOwnBindByNameCaseInsensitively) {
    TTable t;
    Prepare(t, "ROBA");
    auto& naziv = t.AddField(std::make_unique<TStringField>(40), "NAZIV");
    auto& code = t.AddField(std::make_unique<TAutoIncField>(), "code");
    t.Open();
    EXPECT_EQ(t.FieldCount(), 2);
    EXPECT_EQ(naziv.AsString(), "Šljiva");
    EXPECT_EQ(code.AsInteger(), 1);
    EXPECT_EQ(t.FindField("Sifra"), nullptr);
    t.Append(); // a new row may carry its own number
    code.SetAsInteger(100);
    naziv.SetAsString("Sto");
    t.Post();
    t.Append();
    naziv.SetAsString("Sljedeći");
    t.Post();
    EXPECT_EQ(code.AsInteger(), 101);
    t.Close();
    TTable wrong;
    Prepare(wrong, "ROBA");
    wrong.AddField(std::make_unique<TStringField>(40), "Nepostojece");
    EXPECT_THROW(wrong.Open(), EDatabaseError);
    EXPECT_FALSE(wrong.Active());
    TTable mismatch;
    Prepare(mismatch, "ROBA");
    mismatch.AddField(std::make_unique<TDateField>(), "Naziv");
    EXPECT_THROW(mismatch.Open(), EDatabaseError);
}

TEST_F(TableTest, ExclusiveOpensAndWholeTableOperations) {
    TTable shared, excl;
    Prepare(shared, "ROBA");
    Prepare(excl, "ROBA");
    excl.SetExclusive(true);
    shared.Open();
    try {
        excl.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.ErrorKind(), EDatabaseError::Kind::TableBusy);
        EXPECT_THAT(e.Message(), ::testing::HasSubstr("ROBA"));
    }
    EXPECT_FALSE(excl.Active());
    EXPECT_THROW(shared.DeleteTable(), EDatabaseError);
    shared.Close();
    excl.Open();
    excl.EmptyTable();
    EXPECT_EQ(excl.RecordCount(), 0);
    EXPECT_TRUE(excl.Bof() && excl.Eof());
    excl.Close();
    excl.RenameTable("ROBA2.DB");
    EXPECT_TRUE(excl.Exists());
    EXPECT_FALSE(shared.Exists());
    excl.DeleteTable();
    EXPECT_FALSE(excl.Exists());
    EXPECT_THROW(excl.Open(), EDatabaseError);
}

TEST_F(TableTest, RecordLocksHoldUntilPostCancelOrClose) {
    TTable a, b;
    Prepare(a, "ROBA");
    Prepare(b, "ROBA");
    a.Open();
    b.Open();
    a.Edit();
    a.FieldByName("Naziv").SetAsString("nepohranjeno");
    try {
        b.Edit();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.ErrorKind(), EDatabaseError::Kind::RecordLocked);
    }
    EXPECT_EQ(b.State(), dsBrowse);
    a.Close(); // the unposted edit is dropped with its lock
    b.Edit();
    EXPECT_EQ(b.FieldByName("Naziv").AsString(), "Šljiva");
    b.Cancel();
    b.LockTable(); // the holder of the table lock still writes
    b.Edit();
    b.FieldByName("Naziv").SetAsString("x");
    b.Post();
    b.UnlockTable();
    a.Open();
    EXPECT_EQ(a.FieldByName("Naziv").AsString(), "x");
}

// ------------------------------------------------------------------------------------ master-detail

class MasterDetail : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        TTable p;
        Prepare(p, "PARTNER.DB");
        p.FieldDefs().Add("Code", ftAutoInc);
        p.FieldDefs().Add("Naziv", ftString, 40);
        p.CreateTable();
        p.AddIndex("", "Code", ixPrimary | ixUnique);
        p.Open();
        for (const char* n : {"Prvi", "Drugi", "Treći", "Četvrti"}) {
            p.Append();
            p.FieldByName("Naziv").SetAsString(n);
            p.Post();
        }
        p.Close();
        Prepare(partner, "PARTNER");
        Prepare(roba, "ROBA");
        source.SetDataSet(&partner);
        roba.SetIndexFieldNames("Partner;Sifra");
        roba.SetMasterSource(&source);
    }
    TTable partner, roba;
    TDataSource source;
};

TEST_F(MasterDetail, TheDetailFollowsTheMasterAcrossScrolls) {
    roba.SetMasterFields("CODE"); // one master field for a two-field index
    partner.Open();
    roba.Open();
    EXPECT_THAT(Walk(roba), ElementsAre("Šljiva", "jabuka"));
    EXPECT_EQ(roba.RecordCount(), 2);
    partner.Next();
    EXPECT_THAT(Walk(roba), ElementsAre("Kruška", "dunja"));
    partner.Last(); // a master without details
    EXPECT_TRUE(roba.IsEmpty());
    partner.Prior();
    EXPECT_THAT(Walk(roba), ElementsAre("šipak"));
    partner.Close();
    EXPECT_EQ(roba.RecordCount(), 6 - 1); // the link is gone with the master
}

TEST_F(MasterDetail, ANewDetailRecordGetsTheLinkValues) {
    roba.SetMasterFields("Code");
    partner.Open();
    roba.Open();
    partner.Last();
    roba.Append();
    EXPECT_EQ(roba.FieldByName("Partner").AsInteger(), 4);
    EXPECT_FALSE(roba.Modified());
    roba.FieldByName("Sifra").SetAsString("X");
    roba.FieldByName("Naziv").SetAsString("Nova");
    roba.Post();
    EXPECT_THAT(Walk(roba), ElementsAre("Nova"));
}

TEST_F(MasterDetail, TheDetailFollowsNewAndChangedMasterRecords) {
    roba.SetMasterFields("Code");
    partner.Open();
    roba.Open();
    partner.Append();
    partner.FieldByName("Naziv").SetAsString("Peti");
    partner.Post(); // numbered at post: the detail follows the new number
    EXPECT_EQ(partner.FieldByName("Code").AsInteger(), 5);
    EXPECT_TRUE(roba.IsEmpty());
    roba.Append();
    EXPECT_EQ(roba.FieldByName("Partner").AsInteger(), 5);
    roba.FieldByName("Naziv").SetAsString("Za petog");
    roba.Post();
    partner.First();
    EXPECT_THAT(Walk(roba), ElementsAre("Šljiva", "jabuka"));
    partner.Last();
    EXPECT_THAT(Walk(roba), ElementsAre("Za petog"));
}

TEST_F(MasterDetail, ADetailEditIsPostedWhenTheMasterMoves) {
    roba.SetMasterFields("Code");
    partner.Open();
    roba.Open();
    roba.Edit();
    roba.FieldByName("Naziv").SetAsString("Šljiva 2");
    partner.Next();
    EXPECT_EQ(roba.State(), dsBrowse);
    partner.Prior();
    EXPECT_THAT(Walk(roba), ElementsAre("Šljiva 2", "jabuka"));
}

// A detail rule that drops its pending row silently lets the master move on (the detail follows it); a rule
// that keeps the row pending and refuses stops the move.
TEST_F(MasterDetail, ADroppedDetailRowLetsTheMasterMoveARefusedOneStopsIt) {
    roba.SetMasterFields("Code");
    partner.Open();
    roba.Open();
    bool drop = true;
    roba.BeforePost = [&](TDataSet& ds) {
        if (drop) ds.Cancel();
        throw base::Abort();
    };
    roba.Append();
    roba.FieldByName("Naziv").SetAsString("Prazna");
    partner.Next();
    EXPECT_EQ(partner.FieldByName("Naziv").AsString(), "Drugi");
    EXPECT_EQ(roba.State(), dsBrowse);
    EXPECT_THAT(Walk(roba), ElementsAre("Kruška", "dunja"));

    drop = false;
    roba.Edit();
    roba.FieldByName("Naziv").SetAsString("Kruška 2");
    EXPECT_THROW(partner.Next(), base::Abort);
    EXPECT_EQ(partner.FieldByName("Naziv").AsString(), "Drugi");
    EXPECT_EQ(roba.State(), dsEdit);
    roba.Cancel();
    roba.BeforePost = nullptr;
}

TEST_F(MasterDetail, CalculatedMasterFieldsAndNamesTheMasterLacks) {
    partner.AddField(std::make_unique<TAutoIncField>(), "Code");
    partner.AddField(std::make_unique<TIntegerField>(), "Veza", fkCalculated);
    partner.OnCalcFields = [](TDataSet& d) {
        d.FieldByName("Veza").SetAsInteger(4 - d.FieldByName("Code").AsInteger()); // 3, 2, 1, 0
    };
    roba.SetMasterFields("Veza;Nema");
    partner.Open();
    roba.Open();
    EXPECT_EQ(roba.MasterLink().Fields().size(), 1u); // the list stops at the unknown name
    EXPECT_THAT(Walk(roba), ElementsAre("šipak"));
    partner.Next();
    EXPECT_THAT(Walk(roba), ElementsAre("Kruška", "dunja"));
}

// ------------------------------------------------------------------------------------ hook points

// A table that keeps its engine cursor when closed with KeepHandle set and reopens from it without binding
// its fields again or choosing the index again: written at the hook points only.
class KeepingTable : public TTable {
public:
    bool KeepHandle = false;
    bool HandleKept = false;
    int fieldBindings = 0;

protected:
    void InternalOpen() override {
        if (HandleKept) return; // fields stay bound to the kept cursor
        ++fieldBindings;
        TTable::InternalOpen();
    }
    void CloseCursor() override {
        if (KeepHandle && HandleKept) return DetachFromDatabase();
        TTable::CloseCursor();
        HandleKept = false;
    }
    void OpenCursor(bool infoQuery) override {
        TTable::OpenCursor(infoQuery);
        HandleKept = true;
    }
    void SwitchToIndexAfterOpen() override {
        if (fieldBindings > 1 || !HandleKept) TTable::SwitchToIndexAfterOpen();
    }
};

TEST_F(TableTest, AKeptCursorReopensWithItsFieldsAndIndex) {
    KeepingTable t;
    Prepare(t, "ROBA");
    t.SetIndexName("_Naziv");
    t.Open();
    TField* naziv = &t.FieldByName("Naziv");
    t.KeepHandle = true;
    t.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_NE(t.Handle(), nullptr);
    t.SetIndexName(""); // not chosen again on reopen
    t.Open();
    EXPECT_EQ(t.fieldBindings, 1);
    EXPECT_EQ(&t.FieldByName("Naziv"), naziv);
    EXPECT_EQ(naziv->AsString(), "dunja"); // first in the kept index order
    t.KeepHandle = false;
    t.Close();
    EXPECT_EQ(t.Handle(), nullptr);
}

} // namespace
