#pragma once
// A program folder with one work order of three items (two fixed lights, a window with a sash, a window
// split by a mullion), its articles with names and stock sizes, the own company and the print preview
// form; the order's cutting lists made by "OPTIMIZACIJA I".

#include "app/data/WBegin.h"
#include "base/CroatianFormat.h"
#include "controls/PrintPreviewForm.h"
#include "orders/optima/RadniNalog.h"
#include "tests/orders/optima/NalogFixture.h"

#include <memory>

namespace ispistest {

using engine::Value;
using nalogtest::RN;

class IspisTest : public nalogtest::NalogTest {
protected:
    void SetUp() override {
        preview = fw::MakeForm<controls::TIspis>();
        controls::Ispis = preview.get();
        preview->Prn->ShowProgress = false;
        app::WBegin.PodaciPoduzeca.OwnPartner = 1;
    }
    void TearDown() override {
        preview.reset();
        controls::PrnNewPageProc = nullptr;
    }

    void Roba(std::int32_t code, std::int32_t grupa, const std::string& naziv, int debljina, int duzina) {
        Upisi("Global", "SIF_ROBE.DB",
              {{"Partner", Value::Int(1)},
               {"Sifra", Value::Text("A" + std::to_string(code))},
               {"Code", Value::Int(code)},
               {"Grupa", Value::Int(grupa)},
               {"Naziv", Value::Text(naziv)}});
        if (duzina >= 0)
            Upisi("Global", "WROBA.DB",
                  {{"Code", Value::Int(code)},
                   {"DebljinaProfila", Value::Int(debljina)},
                   {"DuzinaProfila", Value::Int(duzina)}});
    }

    void Stavka(int stavka, int kolicina, std::int32_t staklo, double cijena) {
        Upisi("Lokal", "STAVKERN.DB",
              {{"BrojRN", Value::Int(RN)},
               {"Stavka", Value::Int(stavka)},
               {"Tip", Value::Int(10 + stavka)},
               {"Staklo", Value::Int(staklo)},
               {"Kolicina", Value::Int(kolicina)},
               {"Sirina", Value::Int(m.Sirina)},
               {"Visina", Value::Int(m.Visina)},
               {"Cijena", Value::Float(cijena)}});
        Upisi("Lokal", "WINGL.DB",
              {{"Sifra", Value::Text("T-" + std::to_string(10 + stavka))},
               {"Code", Value::Int(10 + stavka)},
               {"Sistem", Value::Int(nalogtest::Sistem)}});
        ASSERT_GT(windows::SpremiKopiju(m, {RN, stavka}, nalogtest::Sistem, nalogtest::Boja), 0);
    }

    // The order's header gets its date, customer, total and instructions.
    void Zaglavlje(const std::string& naputak) {
        auto t = engine::Table::Open(root / "lokal", "RADNINAL.DB", engine::OpenMode::Shared);
        auto c = t->OpenCursor();
        ASSERT_TRUE(c->FindKey({Value::Int(RN)}));
        engine::Row r = c->Read();
        const auto polje = [&](const char* ime) -> Value& {
            for (std::size_t i = 0; i < t->Fields().size(); ++i)
                if (t->Fields()[i].Name == ime) return r[i];
            throw std::runtime_error(ime);
        };
        polje("Datum") = Value::Date(static_cast<std::int32_t>(base::DayNumber({2026, 12, 9})));
        polje("Narucioc") = Value::Text(narucioc);
        polje("Iznos") = Value::Float(5749.5);
        polje("Naputak") = Value::Text(naputak);
        c->Modify(r);
    }

    // Rests of the profile bars (6500 mm, reinforcement of the frame 16000 mm): 60, 40, 840 on the frame
    // bars, 1676 on the sash's, 5396 on the mullion's; 800, 2380 and 5426 on the reinforcements'.
    void TriStavke(const std::string& naputak = "Ugradnja na gradilištu.\r\nPlaćanje po predračunu.") {
        Sustav();
        Upisi("Global", "PARTNER.DB",
              {{"Code", Value::Int(1)},
               {"Naziv", Value::Text("Stolarija Horvat d.o.o.")},
               {"Mjesto", Value::Text("Zagreb")}});
        Upisi("Global", "SIF_BOJA.DB",
              {{"Partner", Value::Int(1)},
               {"Sifra", Value::Text("BIJELA")},
               {"Code", Value::Int(nalogtest::Boja)}});
        Roba(101, 1, "Štok 60", 60, 6500);
        Roba(102, 2, "Krilo 70", 70, 6500);
        Roba(103, 3, "Prečka 80", 80, 6500);
        Roba(105, 5, "Željezo štoka", 0, 16000);
        Roba(106, 5, "Željezo krila", 0, 6500);
        Roba(108, 5, "Željezo prečke", 0, 6500);
        Roba(201, 6, "Float 4 mm", 2000, 3000);
        Roba(202, 6, "Float 6 mm", 2000, 3000);
        Prozor(m, 1000, 800);
        Stavka(1, 2, 201, 1250.5);
        Prozor(m, 1200, 1400);
        ASSERT_NE(m.DodajOkvir(600, 700, 70, 102, 0), nullptr);
        Stavka(2, 1, 201, 1499.25);
        Prozor(m, 1800, 1200);
        ASSERT_NE(m.DodajPrecku(900, 600, false, 80, 103), nullptr);
        Stavka(3, 1, 202, 1749.25);
        Zaglavlje(naputak);
        ASSERT_EQ(orders::OptimizacijaI(RN), orders::IshodRada::Gotovo);
        shown.clear();
    }

    std::unique_ptr<controls::TIspis> preview;
    std::string narucioc = "Ivan Kovač";
};

} // namespace ispistest
