#pragma once
// A code list over a real "SIFRE.DB" of "Global" (keyed by "Sifra"): a key field, a name edit, a grid and a
// save button, driven by keys; the code dialogs answered by the fixture's script.

#include "kit/KeyFields.h"
#include "kit/Mycombo2.h"
#include "kit/MyDBGrid.h"
#include "tests/fw/ui/FormTesting.h"
#include "tests/kit/KitFixture.h"

namespace kittest {

class CodeListForm : public kit::TMyForm {
public:
    // beforeTables adds controls (and tables of their own) before the form's main table.
    explicit CodeListForm(fw::Component* owner, const std::function<void(CodeListForm&)>& beforeTables = {})
        : kit::TMyForm(owner) {
        KeyPreview = true;
        resize(600, 400);
        eSifra = new kit::TDBKeyField(this, this);
        eSifra->SetName("eSifra");
        eSifra->SetBounds(10, 10, 150, 24);
        eSifra->SetDataSource(&sSifre);
        eSifra->SetDataField("Sifra");
        eSifra->DisplayName = "Šifra";
        eNaziv = new kit::TDBVar(this, this);
        eNaziv->SetName("eNaziv");
        eNaziv->SetBounds(10, 50, 150, 24);
        eNaziv->SetDataSource(&sSifre);
        eNaziv->SetDataField("Naziv");
        gSifre = new kit::TMyDBGrid(this, this);
        gSifre->SetName("gSifre");
        gSifre->SetBounds(200, 10, 380, 300);
        gSifre->SetDataSource(&sSifre);
        bSpremi = new kit::TMyBitBtn(this, this);
        bSpremi->SetName("bSpremi");
        bSpremi->SetBounds(10, 350, 80, 30);
        bSpremi->OnClick = [this](fw::Component&) { ++saves; };
        if (beforeTables) beforeTables(*this);
        tSifre = new kit::TMyTable(this);
        tSifre->SetName("tSifre");
        tSifre->SetDatabaseName("Global");
        tSifre->SetTableName("SIFRE.DB");
        tSifre->SetIndexFieldNames("Sifra");
        tSifre->FreeToModify = true;
        sSifre.SetDataSet(tSifre);
        OnKeyDown = [this](fw::Component&, std::uint16_t& key, fw::Shift shift) {
            kit::CodeListKeyDown(this, key, shift, eSifra, bSpremi, false);
        };
        SetActiveControl(eSifra);
    }
    fw::TDataSource sSifre;
    kit::TMyTable* tSifre;
    kit::TDBKeyField* eSifra;
    kit::TDBVar* eNaziv;
    kit::TMyDBGrid* gSifre;
    kit::TMyBitBtn* bSpremi;
    int saves = 0;
};

class CodeListTest : public KitTest {
protected:
    CodeListTest() {
        app::Settings.CommonSettings.Fancy.Skoci = true;
        app::Settings.CommonSettings.Fancy.Bojaj = true;
        fw::TTable t;
        Setup(t, "Global", "SIFRE.DB");
        t.FieldDefs().Add("Sifra", fw::ftString, 6);
        t.FieldDefs().Add("Naziv", fw::ftString, 20);
        t.IndexDefs().Add("", "Sifra", fw::ixPrimary | fw::ixUnique);
        t.IndexDefs().Add("NAZIV", "Naziv", fw::ixCaseInsensitive);
        t.CreateTable();
    }
    ~CodeListTest() override { form.reset(); }

    void Fill(std::initializer_list<std::pair<const char*, const char*>> rows) {
        fw::TTable t;
        Setup(t, "Global", "SIFRE.DB");
        t.Open();
        for (const auto& [sifra, naziv] : rows) {
            t.Append();
            t.FieldByName("Sifra").SetAsString(sifra);
            t.FieldByName("Naziv").SetAsString(naziv);
            t.Post();
        }
    }
    void Show() {
        form.reset(fw::CreateForm<CodeListForm>(nullptr));
        fwtest::ShowActive(*form);
        form->eSifra->SetFocus();
    }
    // The rows on disk, "SIFRA=NAZIV" in key order, with the values of the fields asked for after it
    // ("SIFRA=NAZIV/GRUPA/OPIS").
    std::vector<std::string> Rows(std::initializer_list<const char*> more = {}) {
        fw::TTable t;
        Setup(t, "Global", "SIFRE.DB");
        t.Open();
        std::vector<std::string> rows;
        for (t.First(); !t.Eof(); t.Next()) {
            std::string row = t.FieldByName("Sifra").AsString() + "=" + t.FieldByName("Naziv").AsString();
            for (const char* field : more)
                row += "/" + t.FieldByName(field).AsString();
            rows.push_back(row);
        }
        return rows;
    }
    fw::TTable& T() { return *form->tSifre; }
    std::string Code() { return T().FieldByName("Sifra").AsString(); }
    void Type(const QString& text) { fwtest::Type(fwtest::FocusTarget(*form), text); }
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { Key(*form, key, mods); }
    std::vector<std::string> Asked() const { return dialogs.Asked(); }

    std::unique_ptr<CodeListForm> form;
};

} // namespace kittest
