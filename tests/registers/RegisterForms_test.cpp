#include "app/shell/CodeListOpeners.h"
#include "fw/ui/Application.h"
#include "registers/Artikli.h"
#include "registers/Openers.h"
#include "tests/registers/FormFaults.h"
#include "tests/registers/RegisterFixture.h"

#include <algorithm>
#include <functional>
#include <set>

namespace regtest {
namespace {

using Strings = std::vector<std::string>;

// Every register reached by F2 from another form.
const char* const registerTables[] = {
    "GOVOR.DB",    "ZEMLJA.DB",   "POSTA.DB",    "DJELATNO.DB", "VRSTE.DB",    "GR_AMORT.DB",
    "GR_REVAL.DB", "JEDINICE.DB", "ZIRO_RN.DB",  "VALUTA.DB",   "T_POREZA.DB", "T_CARINE.DB",
    "KONTA.DB",    "KONTA1.DB",   "BANKE.DB",    "S_POREZA.DB", "S_CARINE.DB", "MJERE.DB",
    "IME_PAK.DB",  "IME_ATOM.DB", "PARTNER.DB",  "FIRME.DB",    "SIF_PART.DB", "GRUPE.DB",
    "ATOMI.DB",    "PAKUNG.DB",   "PODGRUPE.DB", "SIF_ROBE.DB", "SIF_BOJA.DB"};

std::set<fw::Form*> ShownForms() {
    std::set<fw::Form*> forms;
    fw::Application& app = fw::Application::Instance();
    for (int i = 0; i < app.ComponentCount(); ++i)
        if (auto* f = dynamic_cast<fw::Form*>(app.Components(i)); f && f->isVisible()) forms.insert(f);
    return forms;
}

// Every register form titles its grid columns as a user reads them, and shows flags as checks, not words.
TEST_F(RegisterTest, EveryRegisterFormTitlesItsGridsForTheUser) {
    registers::InstallCodeListOpeners();
    Add("Global", "JEDINICE.DB", {"Sifra"}, {{"KOM"}});
    Add("Global", "PAKUNG.DB", {"Jedinica", "Sifra", "ImaAtoma"}, {{"1", "KUTIJA", "True"}});
    Add("Global", "PARTNER.DB", {"Sifra", "Naziv", "Rabat2", "Rabat2Kolicina"},
        {{"ALU", "Alu", "True", "True"}});
    Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Partner", "VeceKolicine"},
        {{"ALU", "D", "1", "True"}});
    // The registers as F2 opens them, and the articles' full register as the menu opens it.
    std::vector<std::pair<std::string, std::function<void()>>> openers;
    for (const char* table : registerTables)
        openers.emplace_back(table, [this, table] { app::OpenCodeListOf(table, caller.get()); });
    openers.emplace_back("SIF_ROBE.DB (menu)", [this] { registers::PrikaziArtikle(caller.get(), true, 0); });
    for (const auto& [table, open] : openers) {
        const std::set<fw::Form*> before = ShownForms();
        open();
        fw::Form* form = nullptr;
        for (fw::Form* f : ShownForms())
            if (!before.count(f)) form = f;
        ASSERT_NE(form, nullptr) << table;
        if (std::find(opened.begin(), opened.end(), form) == opened.end()) Track(form);
        const Strings faults = GridFaults(*form);
        EXPECT_EQ(faults, Strings{}) << table << " " << form->Caption().toStdString() << "\n"
                                     << ::testing::PrintToString(faults);
        form->Close();
    }
}

} // namespace
} // namespace regtest
