// The key fields of every register the program opens, driven by keys as a clerk enters new codes.

#include "kit/KeyFields.h"
#include "kit/RecordMade.h"
#include "orders/workorder/WRadNal.h"
#include "registers/Artikli.h"
#include "registers/Atomi.h"
#include "registers/Banke.h"
#include "registers/Gkonta.h"
#include "registers/Grupe.h"
#include "registers/Konta.h"
#include "registers/Pakiranja.h"
#include "registers/Partner.h"
#include "registers/PlainRegisters.h"
#include "registers/Sif_Boja.h"
#include "registers/Sif_Part.h"
#include "registers/Stope.h"
#include "tests/registers/RegisterFixture.h"
#include "windows/systems/P_art.h"
#include "windows/systems/WSistem.h"
#include "windows/typelist/PEWin.h"
#include <gmock/gmock.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <set>

namespace {
using namespace registers;
struct Case {
    const char* Name;
    void (*Open)(fw::Form*);
    fw::Form* (*Form)();
    const char* Code;
    const char* Next;          // the control the focus reaches after the new code
    const char* Key = nullptr; // the key field typed into, when it is not the first of the tab order
    bool Saves = true;         // Ctrl+End reaches a save button (the systems' goes on to the colours)
};
using F = fw::Form*;
const Case Cases[] = {
    {"govori", PrikaziGovore, []() -> F { return PlainForms.SifarnikGovora; }, "N1", "eNaziv"},
    {"zemlje", PrikaziZemlje, []() -> F { return PlainForms.SifarnikZemalja; }, "N2", "cGovor"},
    {"poste", PrikaziPoste, []() -> F { return PlainForms.SifarnikPosti; }, "N3", "eBroj"},
    {"djelatnosti", PrikaziDjelatnosti, []() -> F { return PlainForms.SifarnikDjelatnosti; }, "N4", "eNaziv"},
    {"vrste", PrikaziVrsteArtikala, []() -> F { return PlainForms.SifarnikVrstaArtikli; }, "N5", "eNaziv"},
    {"amortizacija", PrikaziGrupeAmortizacije, []() -> F { return PlainForms.SifarnikGrupaAmortizacije; },
     "N6", "eNaziv"},
    {"revalorizacija", PrikaziGrupeRevalorizacije,
     []() -> F { return PlainForms.SifarnikGrupaRevalorizacije; }, "N7", "eNaziv"},
    {"jedinice", PrikaziJedinice, []() -> F { return PlainForms.SifarnikJedinica; }, "N8", "ZapisiButton"},
    {"ziro", PrikaziZiroRacune, []() -> F { return PlainForms.SifarnikZiroRn; }, "N9", "eNaziv"},
    {"valute", PrikaziValute, []() -> F { return PlainForms.SifarnikValuta; }, "V1", "eOznaka"},
    {"porezi", PrikaziGrupePoreza, []() -> F { return PlainForms.SifarnikGrupaPoreza; }, "V2", "eNaziv"},
    {"carine", PrikaziGrupeCarine, []() -> F { return PlainForms.SifarnikGrupaCarine; }, "V3", "eNaziv"},
    {"gkonta", PrikaziGKontniPlan, []() -> F { return Gkonta.GKontniPlan; }, "4", "eNaziv"},
    {"banke", PrikaziBanke, []() -> F { return Banke.SifarnikBanaka; }, "V4", "cPartner"},
    {"mjere", PrikaziMjere, []() -> F { return Pakiranja.SifarnikMjera; }, "V7", "eNaziv"},
    {"imenapak", PrikaziImenaPakiranja, []() -> F { return Pakiranja.SifarnikImenaPakiranja; }, "V8",
     "eNaziv"},
    {"imenaatom", PrikaziImenaAtoma, []() -> F { return Pakiranja.SifarnikImenaAtoma; }, "5", "eNaziv"},
    {"poduzeca", PrikaziPoduzeca, []() -> F { return Companies.SifarnikPoduzeca; }, "V9", "eNaziv"},
    {"firme", PrikaziFirme, []() -> F { return Companies.SifarnikFirmi; }, "P1", "eBarKodVelicina"},
    {"partneri", PrikaziPartnere, []() -> F { return SifPart.SifarnikPartnera; }, "P2", "cKraciNaziv"},
    {"grupe", [](F c) { PrikaziGrupeArtikala(c, 0); }, []() -> F { return Grupe.SifarnikGrupaArtikli; }, "P3",
     "eNaziv"},
    {"podgrupe", [](F c) { PrikaziPodGrupeArtikala(c, 0, 0); },
     []() -> F { return Grupe.SifarnikPodGrupaArtikli; }, "P4", "eNaziv2"},
    {"pakiranja", [](F c) { PrikaziPakiranja(c, 0); }, []() -> F { return Pakiranja.SifarnikPakiranja; },
     "P5", "eMinKolicina"},
    {"atomi", [](F c) { PrikaziAtome(c, 0); }, []() -> F { return Atomi.SifarnikAtoma; }, "6",
     "ZapisiButton"},
    {"boje", [](F c) { PrikaziBoje(c, 0, 0); }, []() -> F { return SifBoja.SifarnikBoja; }, "P6", "eNaziv"},
    {"tipovi", windows::PrikaziTipove, []() -> F { return windows::PEditWindowForm.PEditWindow; }, "P7",
     "eNaziv"},
    {"sistemi", windows::PrikaziSisteme, []() -> F { return windows::WSistemForm.WSistem; }, "S1",
     "eProizvodi", nullptr, false},
    {"radni nalozi", orders::PrikaziRadneNaloge, []() -> F { return orders::RadniNaloziForm.WRadniNalozi; },
     "9", "eSifra"},
    {"stope poreza", PrikaziStopePoreza, []() -> F { return Stope.SifarnikStopaPoreza; }, "01.01.2027",
     "eStopaRoba", "cDatum"},
    {"stope carine", PrikaziStopeCarine, []() -> F { return Stope.SifarnikStopaCarine; }, "01.01.2027",
     "eStopaCarine", "cDatum"},
};

class KeyFieldsEveryForm : public regtest::RegisterTest {
protected:
    static std::set<fw::Form*> Forms() {
        std::set<fw::Form*> forms;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = dynamic_cast<fw::Form*>(w)) forms.insert(form);
        return forms;
    }
    static std::string Text(fw::Control& c) {
        if (auto* edit = dynamic_cast<QLineEdit*>(&c.Widget())) return edit->text().toStdString();
        if (auto* combo = dynamic_cast<QComboBox*>(&c.Widget())) return combo->currentText().toStdString();
        return {};
    }
    KeyFieldsEveryForm() {
        app::WBegin.PodaciPoduzeca.OwnPartner = 1;
        app::WBegin.PodaciPoduzeca.Jezik = 1;
        Add("Global", "GOVOR.DB", {"Sifra", "Naziv"}, {{"HR", "hrvatski"}, {"DE", "njemački"}});
        Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Drzava", "Partner", "Govor"},
            {{"LUMENO", "D", "J", "1", "1"}, {"WEKA", "D", "S", "2", "2"}});
        Add("Global", "PARTNER.DB", {"Sifra"}, {{"LUMENO"}, {"WEKA"}});
        Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"LUMENO", "1"}, {"WEKA", "2"}});
        Add("Global", "JEDINICE.DB", {"Sifra"}, {{"KOM"}});
        Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra"}, {{"1", "KUTIJA"}});
        Add("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"}, {{"1", "G1", "Prva"}});
        Add("Global", "T_POREZA.DB", {"Tarifa", "Naziv"}, {{"1", "Opća"}});
        Add("Global", "T_CARINE.DB", {"Tarifa", "Naziv"}, {{"1", "Opća"}});
    }
};

// Every register with a key field, on the new record the save leaves: its next field takes nothing typed
// before the code and says why, so nothing is dropped when the code is made. A new code made with "Da" then
// sends the focus to the record's own next field, past the edits of the records it belongs to (the unit of a
// packing mode, the group of a subgroup, the packing mode of a quantity), and into a name the new record
// leaves open.
TEST_F(KeyFieldsEveryForm, ANewCodeGoesOnToItsRecordsNextField) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        const std::set<fw::Form*> before = Forms();
        c.Open(caller.get());
        fw::Form* f = c.Form();
        ASSERT_NE(f, nullptr);
        // The register and every form it made for itself (the quantities' data module) go with the test.
        for (fw::Form* made : Forms())
            if (!before.count(made)) Track(made);
        // The key field leads the record's tab order.
        std::vector<fw::Control*> order;
        f->GetTabOrderList(order);
        kit::TDBKeyField* key = nullptr;
        for (fw::Control* x : order)
            if (!key && x->TabStop() && x->CanFocus() && (!c.Key || x->Name() == c.Key))
                key = dynamic_cast<kit::TDBKeyField*>(x);
        if (!key) {
            ADD_FAILURE() << "no key field";
            f->Close();
            continue;
        }
        // The save button leaves a new record, the focus in its key (the label lists go on to the label).
        // The systems make theirs from the code of the system shown.
        if (c.Saves) {
            Press(*f, Qt::Key_End, Qt::ControlModifier);
            Press(*f, Qt::Key_Return);
        }
        key->SetFocus();
        auto* next = dynamic_cast<fw::Control*>(f->FindComponent(c.Next));
        if (!next) {
            ADD_FAILURE() << "no " << c.Next << "; " << ActiveName(*f) << " has the focus";
            f->Close();
            continue;
        }
        if (auto* data = dynamic_cast<fw::DataControl*>(next); data && data->DataSet()) {
            dialogs.Calls.clear();
            next->SetFocus();
            // The key left empty drops the new record: the edit is then on the record shown, if any.
            fw::TTable& record = *key->Table();
            const bool made = record.State() != fw::dsInsert && !record.IsEmpty();
            Type(*f, "12");
            if (made) {
                EXPECT_TRUE(Shown().empty());
            } else {
                EXPECT_EQ(Shown(), std::vector<std::string>{kit::NoRecordYetText});
                EXPECT_TRUE(Text(*next).empty()) << Text(*next);
            }
            data->DataSet()->Cancel();
            key->SetFocus();
        }
        dialogs.Calls.clear();
        dialogs.Answer(true);
        Type(*f, c.Code);
        Press(*f, Qt::Key_Return);
        EXPECT_THAT(Asked(), ::testing::Contains("Novo " + std::string(c.Code)));
        EXPECT_EQ(ActiveName(*f), c.Next);
        for (int i = 0; i < f->ComponentCount(); ++i)
            if (auto* t = dynamic_cast<fw::TTable*>(f->Components(i)); t && t->Active()) t->Cancel();
        f->Close();
    }
}

} // namespace

namespace {

// A code stored in small letters ("m" for metres) is found by its capitals as typed and kept as stored: the
// record is not rewritten, and the edit shows the code as it is.
TEST_F(KeyFieldsEveryForm, AFoundCodeKeepsItsStoredCase) {
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"m"}});
    PrikaziJedinice(caller.get());
    fw::Form* f = Track(PlainForms.SifarnikJedinica);
    ASSERT_NE(f, nullptr);
    auto* key = dynamic_cast<kit::TDBKeyField*>(f->FindComponent("eSifra"));
    ASSERT_NE(key, nullptr);
    key->SetFocus();
    Type(*f, "m");
    Press(*f, Qt::Key_Return);
    EXPECT_TRUE(Asked().empty()) << ::testing::PrintToString(Asked());
    EXPECT_EQ(key->Text(), "m");
    f->Close();
    EXPECT_EQ(Rows("Global", "JEDINICE.DB", {"Sifra"}), (std::vector<std::string>{"KOM", "m"}));
}

} // namespace
