#include "orders/workorder/HeaderCodes.h"

#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "base/Exceptions.h"
#include "fw/db/DataSet.h"
#include "fw/db/Field.h"
#include "windows/storage/StoredTable.h"

namespace orders {

namespace {

struct SifraZaglavlja {
    const char* Polje;   // of the header
    const char* Tablica; // the register, in "Lokal"
    const char* Kljuc;   // the register's field the header stores
    const char* Poruka;
};

const SifraZaglavlja sifreZaglavlja[] = {
    {"Kupac", "SIF_PART.DB", "Partner",
     "Kupac kojeg ste izabrali više ne postoji u šifarniku partnera!!!\r\n\r\nPonovite odabir kupca!!!"},
    {"Sistem", "WSYSTEM.DB", "Code",
     "Sistem koji ste izabrali više ne postoji!!!\r\n\r\nPonovite odabir sistema!!!"},
};

bool Postoji(const char* tablica, const char* kljuc, std::int64_t sifra) {
    windows::StoredTable t(app::FolderPath(app::Folder::Lokal), tablica);
    for (t.Cursor().First(); t.Cursor().OnRow(); t.Cursor().Next())
        if (t.Int(t.Cursor().Read(), kljuc) == sifra) return true;
    return false;
}

} // namespace

void ProvjeriSifreZaglavlja(const fw::TDataSet& zaglavlje) {
    for (const SifraZaglavlja& s : sifreZaglavlja) {
        const fw::TField& polje = zaglavlje.FieldByName(s.Polje);
        // A stored order keeps its codes (their rows cannot go while it uses them): only a code chosen now
        // can have gone meanwhile.
        if (zaglavlje.State() != fw::dsInsert && polje.Value() == polje.OldValue()) continue;
        const std::int64_t sifra = polje.AsInteger();
        if (sifra == 0 || Postoji(s.Tablica, s.Kljuc, sifra)) continue;
        app::ShowInfo(s.Poruka);
        throw base::Abort();
    }
}

} // namespace orders
