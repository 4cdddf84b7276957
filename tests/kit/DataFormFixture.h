#pragma once
// A test data form over a real "ARTIKL.DB" of "Global": the kit's data edits, the percentage edits, the
// data-aware check box and the kit grid on one table, driven by keys.

#include "app/data/ChangedFields.h"
#include "kit/DBChecker.h"
#include "kit/Mycombo2.h"
#include "kit/MyDBGrid.h"
#include "kit/PercentEdits.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/kit/KitFixture.h"

namespace kittest {

struct Artikl {
    const char* Sifra;
    const char* Naziv;
    double Cijena;
    const char* Aktivan;
};

class ArtiklForm : public kit::TMyForm {
public:
    explicit ArtiklForm(fw::Component* owner) : kit::TMyForm(owner) {
        KeyPreview = true;
        resize(600, 420);
        eSifra = Bind(new kit::TDBVar(this, this), "eSifra", "Sifra", 10);
        eNaziv = Bind(new kit::TDBName(this, this), "eNaziv", "Naziv", 40);
        eCijena = Bind(new kit::TDBVar(this, this), "eCijena", "Cijena", 70);
        eRabat = Bind(new kit::TDBVarP(this, this), "eRabat", "Rabat", 100);
        eIznos = Bind(new kit::TDBVarN(this, this), "eIznos", "Iznos", 130);
        cAktivan = new kit::TDBChecker(this, this);
        cAktivan->SetName("cAktivan");
        cAktivan->SetBounds(10, 160, 150, 24);
        cAktivan->SetValueChecked("D;Da");
        cAktivan->SetValueUnchecked("K");
        cAktivan->SetDataSource(&sArtikl);
        cAktivan->SetDataField("Aktivan");
        gArtikl = new kit::TMyDBGrid(this, this);
        gArtikl->SetName("gArtikl");
        gArtikl->SetBounds(200, 10, 380, 300);
        gArtikl->SetDataSource(&sArtikl);
        bSpremi = new kit::TMyBitBtn(this, this);
        bSpremi->SetName("bSpremi");
        bSpremi->SetBounds(10, 380, 80, 30);
        // The form opens the tables that end its component list.
        tArtikl = new kit::TMyTable(this);
        tArtikl->SetName("tArtikl");
        tArtikl->SetDatabaseName("Global");
        tArtikl->SetTableName("ARTIKL.DB");
        tArtikl->FreeToModify = true;
        sArtikl.SetDataSet(tArtikl);
        OnShow = [this](fw::Component&) {
            for (kit::TPercentEdit* e :
                 {static_cast<kit::TPercentEdit*>(eRabat), static_cast<kit::TPercentEdit*>(eIznos)})
                e->Field_Base = dynamic_cast<fw::TFloatField*>(tArtikl->FindField("Cijena"));
            eRabat->Field_Res = dynamic_cast<fw::TFloatField*>(tArtikl->FindField("Iznos"));
            eIznos->Field_Res = dynamic_cast<fw::TFloatField*>(tArtikl->FindField("Rabat"));
        };
        SetActiveControl(eSifra);
    }
    template <class E> E* Bind(E* edit, const char* name, const char* field, int top) {
        edit->SetName(name);
        edit->SetBounds(10, top, 150, 24);
        edit->SetDataSource(&sArtikl);
        edit->SetDataField(field);
        return edit;
    }

    fw::TDataSource sArtikl;
    kit::TMyTable* tArtikl;
    kit::TDBVar* eSifra;
    kit::TDBName* eNaziv;
    kit::TDBVar* eCijena;
    kit::TDBVarP* eRabat;
    kit::TDBVarN* eIznos;
    kit::TDBChecker* cAktivan;
    kit::TMyDBGrid* gArtikl;
    kit::TMyBitBtn* bSpremi;
};

class DataFormTest : public KitTest {
protected:
    DataFormTest() {
        app::InstallChangedFieldLayer();
        fw::TTable t;
        t.SetDatabaseName("Global");
        t.SetTableName("ARTIKL.DB");
        t.FieldDefs().Add("Code", fw::ftAutoInc);
        t.FieldDefs().Add("Sifra", fw::ftString, 10);
        t.FieldDefs().Add("Naziv", fw::ftString, 20);
        t.FieldDefs().Add("Cijena", fw::ftFloat);
        t.FieldDefs().Add("Rabat", fw::ftFloat);
        t.FieldDefs().Add("Iznos", fw::ftFloat);
        t.FieldDefs().Add("Aktivan", fw::ftString, 5);
        t.IndexDefs().Add("", "Code", fw::ixPrimary | fw::ixUnique);
        t.IndexDefs().Add("NAZIV", "Naziv", fw::ixCaseInsensitive);
        t.CreateTable();
    }
    ~DataFormTest() override { form.reset(); }

    void Fill(std::initializer_list<Artikl> rows) {
        fw::TTable t;
        Setup(t, "Global", "ARTIKL.DB");
        t.Open();
        for (const Artikl& a : rows) {
            t.Append();
            t.FieldByName("Sifra").SetAsString(a.Sifra);
            t.FieldByName("Naziv").SetAsString(a.Naziv);
            t.FieldByName("Cijena").SetAsFloat(a.Cijena);
            t.FieldByName("Aktivan").SetAsString(a.Aktivan);
            t.Post();
        }
    }
    void Show() {
        form.reset(fw::CreateForm<ArtiklForm>(nullptr));
        fwtest::ShowActive(*form);
        form->eSifra->SetFocus();
    }
    fw::TDataSet& T() { return *form->tArtikl; }
    std::string F(const char* name) { return T().FieldByName(name).AsString(); }
    double Num(const char* name) { return T().FieldByName(name).AsFloat(); }
    // Types text into the focused control.
    void Type(const QString& text) { fwtest::Type(fwtest::FocusTarget(*form), text); }
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { Key(*form, key, mods); }

    std::unique_ptr<ArtiklForm> form;
};

} // namespace kittest
