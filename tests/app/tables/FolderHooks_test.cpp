#include "app/tables/TableDefinitions.h"

#include "app/tables/EngineTables.h"
#include "app/tables/TableCheck.h"
#include "fw/db/Field.h"
#include "fw/db/Table.h"
#include "tests/support/TempFolder.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <map>

using namespace app;

namespace {

class RecordingLabel : public ProgressText {
public:
    void ShowText(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// Tables of a real folder, created from their definitions, opened as datasets.
class TableDataSets : public ::testing::Test {
protected:
    void SetUp() override { SetTableEngine(&FileTableEngine()); }
    void TearDown() override { SetTableEngine(nullptr); }
    std::unique_ptr<fw::TTable> Open(Folder f, const std::string& name) {
        CheckTables(f, folder.Path().string(), name, false);
        return OpenExisting(name);
    }
    std::unique_ptr<fw::TTable> OpenExisting(const std::string& name) {
        auto table = std::make_unique<fw::TTable>();
        table->SetDatabaseName(folder.Path().string());
        table->SetTableName(name);
        table->Open();
        return table;
    }
    testsupport::TempFolder folder;
};

} // namespace

TEST(TableNameByIndex, CountsFromOneAndAnswersEmptyOutsideTheList) {
    EXPECT_EQ(TableNameByIndex(Folder::Global, 1), "OPEN.DB");
    EXPECT_EQ(TableNameByIndex(Folder::Global, 44), "BROJKE.DB");
    EXPECT_EQ(TableNameByIndex(Folder::Global, 49), "VRSTE.DB");
    EXPECT_EQ(TableNameByIndex(Folder::Lokal, 1), "WINGL.DB");
    EXPECT_EQ(TableNameByIndex(Folder::Lokal, 17), "RNOPTST.DB");
    EXPECT_EQ(TableNameByIndex(Folder::Link, 1), "OPEN.DB");
    for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link}) {
        EXPECT_EQ(TableNameByIndex(folder, 0), "");
        EXPECT_EQ(TableNameByIndex(folder, -1), "");
        EXPECT_EQ(TableNameByIndex(folder, int(TablesOf(folder).size()) + 1), "");
    }
}

TEST(NewRecordDefaults, OnlyTheTablesWithDefaultsHaveARoutine) {
    std::vector<std::string> withDefaults;
    for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link})
        for (const auto& t : TablesOf(folder))
            if (TableDefaults(folder, t.FileName)) withDefaults.push_back(t.FileName);
    const std::vector<std::string> expected = {"SIF_ROBE.DB", "PARTNER.DB", "POSTA.DB",  "FIRME.DB",
                                               "ROBA.DB",     "VALUTA.DB",  "BANKE.DB",  "ZEMLJA.DB",
                                               "TECAJ.DB",    "PAKUNG.DB",  "BROJKE.DB", "SIF_PART.DB"};
    EXPECT_EQ(withDefaults, expected);
    // The name is compared exactly.
    EXPECT_FALSE(TableDefaults(Folder::Global, "partner.db"));
    EXPECT_FALSE(TableDefaults(Folder::Global, "NONE.DB"));
    EXPECT_FALSE(TableDefaults(Folder::Lokal, "PARTNER.DB"));
}

TEST_F(TableDataSets, DefaultsSetTheTextsOfANewRecord) {
    auto part = Open(Folder::Lokal, "SIF_PART.DB");
    part->Append();
    TableDefaults(Folder::Lokal, "SIF_PART.DB")(*part);
    EXPECT_EQ(part->FieldByName("Dobavljac").AsString(), "K");
    EXPECT_EQ(part->FieldByName("Drzava").AsString(), "T");
    EXPECT_EQ(part->FieldByName("Govor").AsInteger(), 1);
    EXPECT_TRUE(part->FieldByName("VeceKolicine").AsBoolean());
    EXPECT_TRUE(part->FieldByName("VeceKolicine2").AsBoolean());
    EXPECT_EQ(part->FieldByName("Partner").AsString(), "");
    part->Cancel();

    auto banke = Open(Folder::Global, "BANKE.DB");
    banke->Append();
    TableDefaults(Folder::Global, "BANKE.DB")(*banke);
    EXPECT_EQ(banke->FieldByName("ModelP").AsString(), "M-I-V");
    EXPECT_EQ(banke->FieldByName("ModelD").AsString(), "M-I-V");
    EXPECT_EQ(banke->FieldByName("PozivP").AsInteger(), 5);
    banke->Cancel();

    auto pakung = Open(Folder::Global, "PAKUNG.DB");
    pakung->Append();
    TableDefaults(Folder::Global, "PAKUNG.DB")(*pakung);
    EXPECT_EQ(pakung->FieldByName("MinKolicina").AsFloat(), 1.0);
    EXPECT_EQ(pakung->FieldByName("Cijene").AsFloat(), 1.0);
    EXPECT_FALSE(pakung->FieldByName("ImaAtoma").AsBoolean());
    pakung->Cancel();

    auto brojke = Open(Folder::Global, "BROJKE.DB");
    brojke->Append();
    TableDefaults(Folder::Global, "BROJKE.DB")(*brojke);
    EXPECT_TRUE(brojke->FieldByName("Z1000").AsBoolean());
    EXPECT_TRUE(brojke->FieldByName("Z1000000000").AsBoolean());
    for (const char* name : {"Obratno", "ObratnoZ", "Z1000000", "Z1000000000000"})
        EXPECT_FALSE(brojke->FieldByName(name).AsBoolean()) << name;
    brojke->Cancel();
}

TEST_F(TableDataSets, DefaultsSkipFieldsTheDatasetLacks) {
    engine::CreateTable(
        folder.Path(), "DIO.DB",
        {{"zemlja", engine::FieldType::Long, 0, false}, {"Naziv", engine::FieldType::Alpha, 10, false}});
    auto partial = OpenExisting("DIO.DB");
    partial->Append();
    TableDefaults(Folder::Global, "PARTNER.DB")(*partial);
    EXPECT_EQ(partial->FieldByName("Zemlja").AsInteger(), 1);
    EXPECT_EQ(partial->FieldByName("Naziv").AsString(), "");
    partial->Cancel();
}

TEST_F(TableDataSets, FieldSetupGivesUntaggedFloatFieldsTheSlotOneTag) {
    auto stavke = Open(Folder::Lokal, "STAVKERN.DB");
    TableFieldSetup(Folder::Lokal, "STAVKERN.DB")(*stavke);
    EXPECT_EQ(stavke->FieldByName("Cijena").Tag, FieldSetupTag);

    auto saldo = Open(Folder::Lokal, "S_PART.DB");
    saldo->FieldByName("Potrazuje").Tag = 4;
    TableFieldSetup(Folder::Lokal, "S_PART.DB")(*saldo);
    EXPECT_EQ(saldo->FieldByName("Duguje").Tag, -11);
    EXPECT_EQ(saldo->FieldByName("Potrazuje").Tag, 4); // a form's own Tag stays
    EXPECT_EQ(saldo->FieldByName("Saldo").Tag, -11);

    auto nalog = Open(Folder::Lokal, "RADNINAL.DB");
    TableFieldSetup(Folder::Lokal, "RADNINAL.DB")(*nalog);
    EXPECT_EQ(nalog->FieldByName("Iznos").Tag, -11);
    EXPECT_EQ(nalog->FieldByName("Broj").Tag, 0);
}

TEST(FieldSetup, OnlyThreeLokalTablesHaveIt) {
    for (Folder folder : {Folder::Global, Folder::Link})
        for (const auto& t : TablesOf(folder))
            EXPECT_FALSE(TableFieldSetup(folder, t.FileName)) << t.FileName;
    int withSetup = 0;
    for (const auto& t : LokalTables())
        withSetup += TableFieldSetup(Folder::Lokal, t.FileName) ? 1 : 0;
    EXPECT_EQ(withSetup, 3);
    EXPECT_EQ(FieldSetupFields(Folder::Lokal, "S_PART.DB"),
              (std::vector<std::string>{"Duguje", "Potrazuje", "Saldo"}));
}

TEST(FolderHooks, DoNothingUntilTheTableSetInstallsItself) {
    FolderHooks hooks;
    EXPECT_EQ(hooks.TableCount, 0);
    EXPECT_EQ(hooks.ProgressLabel, nullptr);
    EXPECT_EQ(hooks.TableNameByIndex(1), "");
    EXPECT_FALSE(hooks.TableDefaults("PARTNER.DB"));
    EXPECT_FALSE(hooks.TableFieldSetup("RADNINAL.DB"));
    EXPECT_NO_THROW(hooks.CheckTables("/nowhere", "", true));
}

TEST(FolderHooks, InstalledTableSetsAnswerForTheirFolderAndKeepTheLabel) {
    RecordingLabel label;
    HooksOf(Folder::Lokal).ProgressLabel = &label;
    HooksOf(Folder::Lokal).TableCount = 99;
    InstallTableSets();
    EXPECT_EQ(HooksOf(Folder::Global).TableCount, 49);
    EXPECT_EQ(HooksOf(Folder::Lokal).TableCount, 21);
    EXPECT_EQ(HooksOf(Folder::Link).TableCount, 1);
    EXPECT_EQ(HooksOf(Folder::Lokal).ProgressLabel, &label);
    EXPECT_EQ(HooksOf(Folder::Global).TableNameByIndex(2), "GRUPE.DB");
    EXPECT_EQ(HooksOf(Folder::Lokal).TableNameByIndex(2), "WINO.DB");
    EXPECT_TRUE(HooksOf(Folder::Lokal).TableDefaults("SIF_PART.DB"));
    EXPECT_FALSE(HooksOf(Folder::Global).TableDefaults("SIF_PART.DB"));
    EXPECT_TRUE(HooksOf(Folder::Lokal).TableFieldSetup("RADNINAL.DB"));
    EXPECT_FALSE(HooksOf(Folder::Link).TableDefaults("OPEN.DB"));
    HooksOf(Folder::Lokal).ProgressLabel = nullptr;
}
