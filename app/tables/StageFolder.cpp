#include "app/tables/StageFolder.h"

#include "app/tables/EngineTables.h"
#include "app/tables/TableCheck.h"
#include "app/tables/TableDefinitions.h"
#include "app/tables/TableFiles.h"
#include "base/FileIo.h"
#include "base/Files.h"
#include "base/ReplaceFile.h"
#include "fw/db/Field.h"
#include "fw/db/Session.h"
#include "fw/db/Table.h"

namespace app {

namespace {

void WriteIfMissing(const std::filesystem::path& folder, const std::string& name, const std::string& text) {
    if (base::FileExistsIn(folder, name)) return;
    base::ReplaceFile(folder / name, text);
}

void MakeFolder(const std::filesystem::path& folder) {
    if (const int error = base::MakeFolders(folder)) base::ThrowWriteError(folder, error);
}

void Connect(fw::TDatabase& db, const std::string& name, const std::string& path) {
    db.SetDatabaseName(name);
    db.KeepConnection = false;
    db.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    db.SetParam("PATH", path);
}

// The own company: its partner row, and the installation code's row that points at it.
std::int64_t AddOwnCompany(const StageOptions& o) {
    fw::TTable partner;
    partner.SetDatabaseName("Global");
    partner.SetTableName("PARTNER.DB");
    partner.Open();
    std::int64_t code = 0;
    for (partner.First(); !partner.Eof(); partner.Next()) {
        if (partner.FieldByName("Sifra").AsString() == o.Sifra)
            code = partner.FieldByName("Code").AsInteger();
    }
    if (code == 0) {
        partner.Append();
        partner.FieldByName("Sifra").SetAsString(o.Sifra);
        partner.FieldByName("Naziv").SetAsString(o.Naziv);
        partner.FieldByName("Mjesto").SetAsString(o.Mjesto);
        partner.FieldByName("UlicaBroj").SetAsString(o.UlicaBroj);
        partner.Post();
        code = partner.FieldByName("Code").AsInteger();
    }
    partner.SaveChanges();
    partner.Close();

    fw::TTable sifPart;
    sifPart.SetDatabaseName("Lokal");
    sifPart.SetTableName("SIF_PART.DB");
    sifPart.SetIndexFieldNames("Sifra");
    sifPart.Open();
    if (!sifPart.FindKey({engine::Value::Text(o.Sifra)})) {
        // Our own company is a partner of kind "J" and its own supplier, as the partner register makes it,
        // so the per-supplier registers have a supplier from the start.
        sifPart.Append();
        sifPart.FieldByName("Sifra").SetAsString(o.Sifra);
        sifPart.FieldByName("Partner").SetAsInteger(code);
        sifPart.FieldByName("Dobavljac").SetAsString("D");
        sifPart.FieldByName("Drzava").SetAsString("J");
        sifPart.Post();
    }
    sifPart.SaveChanges();
    sifPart.Close();
    return code;
}

} // namespace

void WriteLinkTable(const std::filesystem::path& folder, const StageOptions& o) {
    fw::TTable link;
    link.SetDatabaseName(folder.string());
    link.SetTableName("Link.DB");
    link.FieldDefs().Add("Sifra", fw::ftString, 30);
    link.FieldDefs().Add("Godina", fw::ftSmallint);
    link.FieldDefs().Add("Opis", fw::ftString, 60);
    link.FieldDefs().Add("Poduzece", fw::ftString, 40);
    link.FieldDefs().Add("Mjesto", fw::ftString, 50);
    link.FieldDefs().Add("GlobalnaStaza", fw::ftString, 255);
    link.FieldDefs().Add("LokalnaStaza", fw::ftString, 255);
    link.FieldDefs().Add("Vrsta", fw::ftString, 1);
    link.FieldDefs().Add("Lozinka", fw::ftString, 40);
    link.CreateTable();
    link.Open();
    link.Append();
    link.FieldByName("Sifra").SetAsString(o.Sifra);
    link.FieldByName("Godina").SetAsInteger(2026);
    link.FieldByName("Opis").SetAsString(o.Opis);
    link.FieldByName("Poduzece").SetAsString(o.Naziv);
    link.FieldByName("Mjesto").SetAsString(o.Mjesto);
    link.FieldByName("Vrsta").SetAsString("P");
    link.Post();
    link.SaveChanges();
    link.Close();
}

void StageProgramFolder(const std::filesystem::path& folder, const StageOptions& o) {
    MakeFolder(folder);
    if (!base::FileExistsIn(folder, "Link.DB")) WriteLinkTable(folder, o);
    WriteIfMissing(
        folder, "QK.INI",
        "[Safety]\r\nAutoSave=1\r\n[Resources]\r\nLoadMode=1\r\nUsage=4\r\n[OtvoreneBaze]\r\nMax=100\r\n");
    WriteIfMissing(folder, "PLOM.INI",
                   "[podaci]\r\nGrupaStoka=1\r\nGrupaOkvira=2\r\nGrupaPrecke=3\r\nGrupaVrata=4\r\n"
                   "GrupaZeljezo=5\r\nGrupaStaklo=6\r\nGrupaKliznogOkvira=6\r\nValuta=EUR\r\n"
                   "[tablice]\r\nPredmemorija=8\r\n");
    if (!o.Tables) return;
    StagedFolder staged;
    staged.Global = (folder / "global").string() + "/";
    staged.Lokal = (folder / "lokal").string() + "/";
    MakeFolder(staged.Global);
    MakeFolder(staged.Lokal);
    SetTableEngine(&FileTableEngine());
    InstallTableSets();
    fw::TDatabase g, l;
    Connect(g, "Global", staged.Global);
    Connect(l, "Lokal", staged.Lokal);
    for (const auto& [kind, path] :
         {std::pair{Folder::Global, staged.Global}, std::pair{Folder::Lokal, staged.Lokal}}) {
        OptionsOf(kind) = FolderOptions();
        CheckTables(kind, path, "", true);
    }
    if (o.OwnCompany) {
        staged.OwnPartner = static_cast<std::int32_t>(AddOwnCompany(o));
        if (o.Sample) o.Sample(staged);
    }
    // Every table is closed now: its files get the .DB file's date, as the last close of a setup's run
    // leaves them, so the first thorough check finds every index current.
    for (const auto& [kind, path] :
         {std::pair{Folder::Global, staged.Global}, std::pair{Folder::Lokal, staged.Lokal}})
        for (const auto& table : TablesOf(kind))
            StampTableFiles(path, table.FileName);
}

} // namespace app
