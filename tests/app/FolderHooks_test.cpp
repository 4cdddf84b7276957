#include "app/TableDefinitions.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <map>

using namespace app;

namespace {

// A record of named fields with their texts and tags, found by name case-insensitively.
class FakeRecord : public RecordFields {
public:
    explicit FakeRecord(const std::vector<std::string>& names) {
        for (const auto& n : names)
            fields_[base::UpperCase(n)];
    }
    bool HasField(const std::string& name) const override { return fields_.count(base::UpperCase(name)) > 0; }
    void SetFieldText(const std::string& name, const std::string& text) override {
        fields_.at(base::UpperCase(name)).Text = text;
    }
    int FieldTag(const std::string& name) const override { return fields_.at(base::UpperCase(name)).Tag; }
    void SetFieldTag(const std::string& name, int tag) override {
        fields_.at(base::UpperCase(name)).Tag = tag;
    }
    std::string Text(const std::string& name) const { return fields_.at(base::UpperCase(name)).Text; }

private:
    struct Entry {
        std::string Text;
        int Tag = 0;
    };
    std::map<std::string, Entry> fields_;
};

FakeRecord RecordOf(Folder folder, const std::string& fileName) {
    std::vector<std::string> names;
    for (const auto& f : FindTableDefinition(TablesOf(folder), fileName)->Fields)
        names.push_back(f.Name);
    return FakeRecord(names);
}

class RecordingLabel : public ProgressText {
public:
    void ShowText(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
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

TEST(NewRecordDefaults, SetTheDefaultTextsOfANewRecord) {
    FakeRecord part = RecordOf(Folder::Lokal, "SIF_PART.DB");
    TableDefaults(Folder::Lokal, "SIF_PART.DB")(part);
    EXPECT_EQ(part.Text("Dobavljac"), "K");
    EXPECT_EQ(part.Text("Drzava"), "T");
    EXPECT_EQ(part.Text("Govor"), "1");
    EXPECT_EQ(part.Text("VeceKolicine"), "True");
    EXPECT_EQ(part.Text("VeceKolicine2"), "True");
    EXPECT_EQ(part.Text("Partner"), "");

    FakeRecord banke = RecordOf(Folder::Global, "BANKE.DB");
    TableDefaults(Folder::Global, "BANKE.DB")(banke);
    EXPECT_EQ(banke.Text("ModelP"), "M-I-V");
    EXPECT_EQ(banke.Text("ModelD"), "M-I-V");
    EXPECT_EQ(banke.Text("PozivP"), "5");

    FakeRecord pakung = RecordOf(Folder::Global, "PAKUNG.DB");
    TableDefaults(Folder::Global, "PAKUNG.DB")(pakung);
    EXPECT_EQ(pakung.Text("MinKolicina"), "1");
    EXPECT_EQ(pakung.Text("Cijene"), "1");
    EXPECT_EQ(pakung.Text("ImaAtoma"), "False");

    FakeRecord brojke = RecordOf(Folder::Global, "BROJKE.DB");
    TableDefaults(Folder::Global, "BROJKE.DB")(brojke);
    EXPECT_EQ(brojke.Text("Z1000"), "True");
    EXPECT_EQ(brojke.Text("Z1000000000"), "True");
    for (const char* name : {"Obratno", "ObratnoZ", "Z1000000", "Z1000000000000"})
        EXPECT_EQ(brojke.Text(name), "False") << name;
}

TEST(NewRecordDefaults, SkipFieldsTheDatasetLacks) {
    FakeRecord partial({"zemlja", "Valuta"});
    TableDefaults(Folder::Global, "PARTNER.DB")(partial);
    EXPECT_EQ(partial.Text("Zemlja"), "1");
    EXPECT_EQ(partial.Text("Valuta"), "1");
}

TEST(FieldSetup, GivesUntaggedFloatFieldsOfThreeLokalTablesTheSlotOneTag) {
    FakeRecord stavke = RecordOf(Folder::Lokal, "STAVKERN.DB");
    TableFieldSetup(Folder::Lokal, "STAVKERN.DB")(stavke);
    EXPECT_EQ(stavke.FieldTag("Cijena"), FieldSetupTag);

    FakeRecord saldo = RecordOf(Folder::Lokal, "S_PART.DB");
    saldo.SetFieldTag("Potrazuje", 4);
    TableFieldSetup(Folder::Lokal, "S_PART.DB")(saldo);
    EXPECT_EQ(saldo.FieldTag("Duguje"), -11);
    EXPECT_EQ(saldo.FieldTag("Potrazuje"), 4); // a form's own Tag stays
    EXPECT_EQ(saldo.FieldTag("Saldo"), -11);

    FakeRecord nalog({"IZNOS"});
    TableFieldSetup(Folder::Lokal, "RADNINAL.DB")(nalog);
    EXPECT_EQ(nalog.FieldTag("Iznos"), -11);
    FakeRecord missing({"Code"});
    TableFieldSetup(Folder::Lokal, "RADNINAL.DB")(missing);

    for (Folder folder : {Folder::Global, Folder::Link})
        for (const auto& t : TablesOf(folder))
            EXPECT_FALSE(TableFieldSetup(folder, t.FileName)) << t.FileName;
    int withSetup = 0;
    for (const auto& t : LokalTables())
        withSetup += TableFieldSetup(Folder::Lokal, t.FileName) ? 1 : 0;
    EXPECT_EQ(withSetup, 3);
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
