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
        ordertables::AddArticle(root, code, grupa, debljina, duzina, naziv);
    }

    // An item of type 10 + its number ("T-" and that number), and its copy of the model.
    void Stavka(int stavka, int kolicina, std::int32_t staklo, double cijena) {
        ordertables::AddItem(root, {RN, stavka, 10 + stavka, staklo, kolicina, m.Sirina, m.Visina, cijena});
        Upisi("Lokal", "WINGL.DB",
              {{"Sifra", Value::Text("T-" + std::to_string(10 + stavka))},
               {"Code", Value::Int(10 + stavka)},
               {"Sistem", Value::Int(nalogtest::Sistem)}});
        ASSERT_GT(windows::SpremiKopiju(m, {RN, stavka}, nalogtest::Sistem, nalogtest::Boja), 0);
    }

    // The order's header gets its date, customer, total and instructions.
    void Zaglavlje(const std::string& naputak) {
        ordertables::ChangeRow(
            root, "Lokal", "RADNINAL.DB", {Value::Int(RN)},
            {{"Datum", Value::Date(static_cast<std::int32_t>(base::DayNumber({2026, 12, 9})))},
             {"Narucioc", Value::Text(narucioc)},
             {"Iznos", Value::Float(5749.5)},
             {"Naputak", Value::Text(naputak)}});
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
        const double cijene[] = {1250.5, 1499.25, 1749.25};
        for (int stavka = 1; stavka <= 3; ++stavka) {
            ASSERT_TRUE(ordertables::ThreeItemWindow(stavka, m));
            Stavka(stavka, stavka == 1 ? 2 : 1, stavka == 3 ? 202 : 201, cijene[stavka - 1]);
        }
        Zaglavlje(naputak);
        ASSERT_EQ(orders::OptimizacijaI(RN), orders::IshodRada::Gotovo);
        shown.clear();
    }

    std::unique_ptr<controls::TIspis> preview;
    std::string narucioc = "Ivan Kovač";
};

} // namespace ispistest
