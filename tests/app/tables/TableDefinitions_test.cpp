#include "app/tables/TableDefinitions.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace app;
using namespace fw;

namespace {

// The catalogue the definitions must follow: place (G Global, L Lokal, K link, with the table number), file,
// fields, index files expected.
struct CatalogueEntry {
    const char* Place;
    const char* FileName;
    int Fields;
    int IndexFiles;
};
const std::vector<CatalogueEntry> Catalogue = {
    {"G1", "OPEN.DB", 3, 1},       {"G2", "GRUPE.DB", 5, 7},     {"G3", "WROBA.DB", 3, 1},
    {"G4", "SIF_ROBE.DB", 13, 13}, {"G5", "WROBA_D.DB", 3, 1},   {"G6", "SIF_BOJA.DB", 7, 7},
    {"G7", "PARTNER.DB", 26, 5},   {"G8", "POSTA.DB", 4, 7},     {"G9", "BOJE.DB", 6, 5},
    {"G10", "FIRME.DB", 4, 3},     {"G11", "ROBA.DB", 16, 7},    {"G12", "T_POREZA.DB", 17, 5},
    {"G13", "T_CARINE.DB", 15, 5}, {"G14", "KONTA.DB", 5, 5},    {"G15", "KNJIZI.DB", 1, 0},
    {"G16", "USLUGE.DB", 8, 7},    {"G17", "USLUGA.DB", 7, 7},   {"G18", "ZIRO_RN.DB", 14, 5},
    {"G19", "ZIREKI.DB", 3, 7},    {"G20", "VALUTA.DB", 17, 5},  {"G21", "PODGRUPE.DB", 5, 7},
    {"G22", "ORG_JED.DB", 4, 7},   {"G23", "KONTA4.DB", 2, 3},   {"G24", "KONTA3.DB", 3, 3},
    {"G25", "KONTA2.DB", 3, 3},    {"G26", "KONTA1.DB", 3, 3},   {"G27", "GR_REVAL.DB", 3, 5},
    {"G28", "GR_AMORT.DB", 3, 5},  {"G29", "GOVOR.DB", 3, 5},    {"G30", "DJELATNO.DB", 3, 5},
    {"G31", "KONTI.DB", 4, 3},     {"G32", "BANKE.DB", 11, 3},   {"G33", "ZEMLJA.DB", 3, 3},
    {"G34", "TECAJ.DB", 5, 1},     {"G35", "PAKUNG.DB", 6, 5},   {"G36", "JEDINICE.DB", 2, 3},
    {"G37", "S_REVAL.DB", 3, 1},   {"G38", "S_AMORT.DB", 4, 1},  {"G39", "MJERE.DB", 3, 1},
    {"G40", "IME_ROBE.DB", 3, 1},  {"G41", "IME_PAK.DB", 3, 1},  {"G42", "IME_BOJA.DB", 3, 1},
    {"G43", "IME_ATOM.DB", 4, 1},  {"G44", "BROJKE.DB", 65, 1},  {"G45", "BOJEROBE.DB", 3, 3},
    {"G46", "S_CARINE.DB", 7, 1},  {"G47", "S_POREZA.DB", 8, 1}, {"G48", "ATOMI.DB", 2, 1},
    {"G49", "VRSTE.DB", 4, 5},     {"L1", "WINGL.DB", 14, 9},    {"L2", "WINO.DB", 17, 1},
    {"L3", "WINP.DB", 8, 1},       {"L4", "WINPO.DB", 9, 1},     {"L5", "OPEN.DB", 3, 1},
    {"L6", "WSYSTEM.DB", 9, 3},    {"L7", "RADNINAL.DB", 11, 7}, {"L8", "STAVKERN.DB", 8, 3},
    {"L9", "SIF_PART.DB", 56, 15}, {"L10", "RNOPTIMA.DB", 9, 1}, {"L11", "WSYSBOJE.DB", 17, 1},
    {"L12", "S_PART.DB", 10, 1},   {"L13", "NWINGL.DB", 14, 5},  {"L14", "NWINO.DB", 19, 1},
    {"L15", "NWINP.DB", 10, 1},    {"L16", "NWINPO.DB", 11, 1},  {"L17", "RNOPTST.DB", 7, 3},
    {"K1", "OPEN.DB", 3, 1},
};

// The listed definitions: every Global and link table and the first 17 Lokal ones (the account balances
// come after them).
std::vector<const TableDefinition*> Listed() {
    std::vector<const TableDefinition*> tables;
    for (const auto& t : GlobalTables())
        tables.push_back(&t);
    for (std::size_t i = 0; i < 17 && i < LokalTables().size(); ++i)
        tables.push_back(&LokalTables()[i]);
    for (const auto& t : LinkTables())
        tables.push_back(&t);
    return tables;
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const auto semicolon = text.find(';', start);
        names.push_back(text.substr(start, semicolon - start));
        if (semicolon == std::string::npos) return names;
        start = semicolon + 1;
    }
}

const FieldDefinition* FieldOf(const TableDefinition& t, const std::string& name) {
    for (const auto& f : t.Fields)
        if (base::SameText(f.Name, name)) return &f;
    return nullptr;
}

// Bytes of a record in the table file.
int RecordLength(const TableDefinition& t) {
    int length = 0;
    for (const auto& f : t.Fields) {
        switch (f.DataType) {
        case ftString:
            length += f.Size;
            break;
        case ftMemo:
            length += f.Size + 10;
            break;
        case ftSmallint:
            length += 2;
            break;
        case ftBoolean:
            length += 1;
            break;
        case ftFloat:
            length += 8;
            break;
        default:
            length += 4;
            break;
        }
    }
    return length;
}

const TableDefinition& Definition(Folder folder, const std::string& name) {
    const TableDefinition* t = FindTableDefinition(TablesOf(folder), name);
    if (!t) throw std::runtime_error("no definition " + name);
    return *t;
}

} // namespace

TEST(TableCatalogue, HasEveryTableInOrderWithItsFieldAndIndexFileCounts) {
    const auto tables = Listed();
    ASSERT_EQ(tables.size(), Catalogue.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        SCOPED_TRACE(Catalogue[i].Place);
        EXPECT_EQ(tables[i]->FileName, Catalogue[i].FileName);
        EXPECT_EQ(int(tables[i]->Fields.size()), Catalogue[i].Fields);
        EXPECT_EQ(tables[i]->IndexFileCount, Catalogue[i].IndexFiles);
    }
    EXPECT_EQ(GlobalTables().size(), 49u);
    EXPECT_EQ(LinkTables().size(), 1u);
}

TEST(TableCatalogue, Totals) {
    int fields = 0, primary = 0, secondary = 0, autoIncTables = 0, memoFields = 0;
    std::set<std::string> names, memoTables;
    for (const TableDefinition* t : Listed()) {
        names.insert(t->FileName);
        fields += int(t->Fields.size());
        for (const auto& index : t->Indexes)
            ++(index.Name.empty() ? primary : secondary);
        for (const auto& f : t->Fields) {
            if (f.DataType == ftAutoInc) ++autoIncTables;
            if (f.DataType == ftMemo) ++memoFields, memoTables.insert(t->FileName);
        }
    }
    EXPECT_EQ(names.size(), 65u); // "OPEN.DB" in all three folders
    EXPECT_EQ(fields, 587);
    EXPECT_EQ(primary, 66);
    EXPECT_EQ(secondary, 88);
    EXPECT_EQ(autoIncTables, 25);
    EXPECT_EQ(memoFields, 7);
    EXPECT_EQ(memoTables.size(), 6u);
}

TEST(TableCatalogue, DeclaredCountsMatchTheLists) {
    for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link})
        for (const auto& t : TablesOf(folder)) {
            SCOPED_TRACE(t.FileName);
            EXPECT_EQ(t.FieldCount, int(t.Fields.size()));
            EXPECT_EQ(t.IndexCount, int(t.Indexes.size()));
            EXPECT_EQ(t.IndexFileCount, t.Indexes.empty() ? 0 : 1 + 2 * (t.IndexCount - 1));
            EXPECT_EQ(t.FileName, base::UpperCase(t.FileName));
        }
}

TEST(TableCatalogue, FieldsFollowTheStorageRules) {
    for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link})
        for (const auto& t : TablesOf(folder)) {
            SCOPED_TRACE(t.FileName);
            std::set<std::string> seen;
            for (std::size_t i = 0; i < t.Fields.size(); ++i) {
                const auto& f = t.Fields[i];
                EXPECT_TRUE(seen.insert(base::UpperCase(f.Name)).second) << f.Name;
                EXPECT_LE(f.Name.size(), 30u);
                EXPECT_LE(f.Default.size(), 50u);
                EXPECT_FALSE(f.Required);
                EXPECT_EQ(f.CopyValue, f.DataType != ftMemo) << f.Name;
                if (f.DataType == ftString) {
                    EXPECT_GE(f.Size, 1);
                    EXPECT_LE(f.Size, 80);
                } else if (f.DataType == ftMemo) {
                    EXPECT_TRUE(f.Size == 1 || f.Size == 30) << f.Name;
                } else {
                    EXPECT_EQ(f.Size, 0) << f.Name;
                }
                if (f.DataType == ftAutoInc) {
                    EXPECT_EQ(i, 0u);
                    EXPECT_EQ(t.Indexes.at(0).Fields, f.Name);
                }
            }
            EXPECT_LE(RecordLength(t), 1160);
        }
}

TEST(TableCatalogue, IndexesFollowTheStorageRules) {
    int caseInsensitiveWithoutText[3] = {0, 0, 0};
    for (Folder folder : {Folder::Global, Folder::Lokal, Folder::Link})
        for (const auto& t : TablesOf(folder)) {
            SCOPED_TRACE(t.FileName);
            std::set<std::string> lists;
            for (std::size_t i = 0; i < t.Indexes.size(); ++i) {
                const auto& index = t.Indexes[i];
                const auto names = SplitFields(index.Fields);
                EXPECT_TRUE(lists.insert(base::UpperCase(index.Fields)).second) << index.Fields;
                EXPECT_LE(index.Name.size(), 40u);
                EXPECT_LE(index.Fields.size(), 80u);
                bool hasText = false;
                for (const auto& name : names) {
                    const FieldDefinition* f = FieldOf(t, name);
                    ASSERT_NE(f, nullptr) << name;
                    EXPECT_EQ(f->Name, name); // written as the field is
                    hasText = hasText || f->DataType == ftString;
                }
                if (i == 0) {
                    // The primary index comes first, is unnamed and covers the leading fields in order.
                    EXPECT_EQ(index.Name, "");
                    EXPECT_EQ(index.Options, ixPrimary | ixUnique);
                    for (std::size_t k = 0; k < names.size(); ++k)
                        EXPECT_EQ(t.Fields[k].Name, names[k]);
                } else {
                    EXPECT_NE(index.Name, "");
                    EXPECT_LE(names.size(), 4u);
                    EXPECT_TRUE(index.Options == 0 || index.Options == ixCaseInsensitive ||
                                index.Options == (ixUnique | ixCaseInsensitive))
                        << index.Name;
                    if ((index.Options & ixCaseInsensitive) && !hasText)
                        ++caseInsensitiveWithoutText[int(folder)];
                }
            }
        }
    EXPECT_EQ(caseInsensitiveWithoutText[int(Folder::Global)], 9);
    EXPECT_EQ(caseInsensitiveWithoutText[int(Folder::Lokal)], 8);
}

TEST(TableCatalogue, NotableTables) {
    const auto& brojke = Definition(Folder::Global, "BROJKE.DB");
    EXPECT_EQ(brojke.Fields.size(), 65u);
    EXPECT_EQ(RecordLength(brojke), 1160);

    const auto& knjizi = Definition(Folder::Global, "KNJIZI.DB");
    EXPECT_EQ(knjizi.IndexCount, 0);
    EXPECT_EQ(knjizi.IndexFileCount, 0);

    const auto& rnoptst = Definition(Folder::Lokal, "RNOPTST.DB");
    ASSERT_EQ(rnoptst.Indexes.size(), 2u);
    EXPECT_EQ(rnoptst.Indexes[1].Name, "_RadniNalog;Artikl");
    EXPECT_EQ(rnoptst.Indexes[1].Fields, "RadniNalog;Artikl");
    EXPECT_EQ(rnoptst.Indexes[1].Options, ixCaseInsensitive);

    const auto& nwingl = Definition(Folder::Lokal, "NWINGL.DB");
    EXPECT_EQ(nwingl.Indexes[1].Name, "_RnRnsCode");
    EXPECT_EQ(nwingl.Indexes[1].Fields, "RN;RNS;Code");
    EXPECT_EQ(nwingl.Indexes[1].Options, ixUnique | ixCaseInsensitive);
    const auto& wingl = Definition(Folder::Lokal, "WINGL.DB");
    EXPECT_EQ(wingl.Indexes[0].Fields, "Sifra");
    EXPECT_EQ(FieldOf(wingl, "Code")->DataType, ftInteger);

    const auto& sifRobe = Definition(Folder::Global, "SIF_ROBE.DB");
    EXPECT_EQ(sifRobe.Indexes[1].Name, "PartnerProizvodGrupaSifra");
    EXPECT_EQ(sifRobe.Indexes[1].Fields, "Partner;Proizvodi;Grupa;Sifra");

    EXPECT_EQ(Definition(Folder::Global, "TECAJ.DB").Indexes.size(), 1u);
    EXPECT_EQ(Definition(Folder::Global, "TECAJ.DB").Indexes[0].Fields, "U_Valutu;Iz_Valute;NaDan");
    EXPECT_EQ(Definition(Folder::Global, "KONTA4.DB").Indexes[0].Fields, "Podgrupa");
    EXPECT_EQ(Definition(Folder::Global, "PARTNER.DB").Fields[21].Name, "OstaliTelefoni");
    EXPECT_EQ(Definition(Folder::Global, "PARTNER.DB").Fields[21].Size, 30);
    EXPECT_EQ(Definition(Folder::Lokal, "RADNINAL.DB").Fields.size(), 11u);
}

TEST(TableCatalogue, OpenRegisterIsTheSameInEveryFolder) {
    const auto& global = Definition(Folder::Global, "OPEN.DB");
    for (Folder folder : {Folder::Lokal, Folder::Link}) {
        const auto& other = Definition(folder, "OPEN.DB");
        ASSERT_EQ(other.Fields.size(), global.Fields.size());
        for (std::size_t i = 0; i < global.Fields.size(); ++i) {
            EXPECT_EQ(other.Fields[i].Name, global.Fields[i].Name);
            EXPECT_EQ(other.Fields[i].DataType, global.Fields[i].DataType);
            EXPECT_EQ(other.Fields[i].Size, global.Fields[i].Size);
        }
        EXPECT_EQ(other.Indexes[0].Fields, "File");
    }
    EXPECT_EQ(global.Fields[0].Size, 12);
    EXPECT_EQ(global.Fields[1].DataType, ftSmallint);
    EXPECT_EQ(global.Fields[2].DataType, ftBoolean);
}

TEST(TableCatalogue, AccountBalancesOfTheFourLevelsAreLokalTables) {
    ASSERT_EQ(LokalTables().size(), 21u);
    for (int level = 1; level <= 4; ++level) {
        const auto& t = LokalTables()[std::size_t(16 + level)];
        SCOPED_TRACE(t.FileName);
        EXPECT_EQ(t.FileName, "S_KONTA" + std::to_string(level) + ".DB");
        ASSERT_EQ(t.Fields.size(), 5u);
        EXPECT_EQ(FieldOf(t, "Konto")->DataType, ftString);
        EXPECT_EQ(FieldOf(t, "Konto")->Size, level);
        EXPECT_EQ(FieldOf(t, "OrgJed")->DataType, ftInteger);
        for (const char* amount : {"Duguje", "Potrazuje", "Saldo"})
            EXPECT_EQ(FieldOf(t, amount)->DataType, ftFloat);
        EXPECT_EQ(t.Indexes.at(0).Fields, "OrgJed;Konto");
        EXPECT_EQ(t.IndexFileCount, 1);
    }
}
