// Every write point of a save over a stored type and over an item's copy: a crash after each write, and
// EIO or ENOSPC at each write and sync, leave the old type (or copy) loadable or the new one, never a mix,
// and the neighbouring type untouched.
#include "app/data/WBegin.h"
#include "tests/support/WritePoints.h"
#include "tests/windows/storage/StorageFixture.h"
#include "windows/storage/WindowTypeStore.h"

using namespace windows;
using storagetest::Opis;
using testsupport::Outcome;
namespace fs = std::filesystem;

namespace {

const ZadaneVrijednosti sustav{2, 999, 5};

class StorageWritePoints : public storagetest::StorageTest {
protected:
    void UseFolder(const fs::path& folder) {
        app::WBegin.LokalFolder = (folder / "lokal").string() + "/";
        fs::create_directories(folder / "lokal");
    }

    static std::string Model(int sirina, bool kopija) {
        ModelProzora m;
        if (sirina == 0) { // the type's header alone: an empty frame of the old size
            storagetest::MaliModel(m, 1000);
            m.Okviri.clear();
            m.Precke.clear();
            m.BrojacOkvira = 0;
            return Opis(m);
        }
        storagetest::MaliModel(m, sirina);
        if (kopija) m.Sistem = 4;
        return Opis(m, true); // as a load gives it back
    }

    // `Spremi` saves a model of the given width; `Ucitaj` loads into a model and says whether it found one.
    // The operation saves the width 1400, or deletes what was saved when `brisi` is given.
    testsupport::WritePointScenario Scenario(const std::string& name, bool kopija,
                                             std::function<bool(int sirina)> spremi,
                                             std::function<bool(ModelProzora&)> ucitaj,
                                             std::function<bool(ModelProzora&)> ucitajSusjeda,
                                             std::function<bool()> brisi = {}) {
        testsupport::WritePointScenario s;
        s.Name = name;
        s.FileName = kopija ? "NWINGL|NWINO|NWINPO|NWINP" : "WINGL|WINO|WINPO|WINP";
        s.Setup = [=, this](const fs::path& f) {
            UseFolder(f);
            DodajTipU(f / "lokal", "A", 7, 2);
            DodajTipU(f / "lokal", "B", 8, 2);
            ASSERT_TRUE(spremi(1000)); // the old one
            ASSERT_TRUE(spremi(-1));   // the neighbour
        };
        s.Run = [=, this](const fs::path& f) {
            UseFolder(f);
            shown.clear();
            if (brisi ? brisi() : spremi(1400)) return std::string();
            const std::string error = shown.empty() ? std::string("?") : shown.back();
            // The tables take the next save.
            if (!spremi(-1)) return "the neighbour cannot be saved after: " + error;
            return error;
        };
        s.Observe = [=, this](const fs::path& f, std::string& problem) {
            UseFolder(f);
            shown.clear();
            if (kopija || brisi) DovrsiZapoceteZamjene();
            ModelProzora m;
            if (!ucitajSusjeda(m) || Opis(m, true) != Model(700, kopija)) {
                problem = "the neighbour changed: " + Opis(m, true) + (shown.empty() ? "" : shown.back());
                return Outcome::Broken;
            }
            if (!ucitaj(m)) {
                problem = "nothing loads: " + (shown.empty() ? std::string() : shown.back());
                return Outcome::Broken;
            }
            const std::string sada = Opis(m, true);
            if (sada == Model(brisi ? 0 : 1400, kopija)) return Outcome::Done;
            if (sada == Model(1000, kopija)) return Outcome::NotDone;
            problem = "a mix of old and new:\n" + sada;
            return Outcome::Broken;
        };
        return s;
    }
};

// The neighbour is saved with width -1 standing for 700.
int Sirina(int sirina) {
    return sirina < 0 ? 700 : sirina;
}

TEST_F(StorageWritePoints, ASaveDoneHalfwayLeavesTheOldTypeOrTheNew) {
    testsupport::CheckEveryWritePoint(Scenario(
        "type_save", false,
        [](int sirina) {
            ModelProzora m;
            storagetest::MaliModel(m, Sirina(sirina));
            return SpremiProzor(m, sirina < 0 ? 8 : 7);
        },
        [](ModelProzora& m) { return PrenesiProzor(m, 7, sustav); },
        [](ModelProzora& m) { return PrenesiProzor(m, 8, sustav); }));
    testsupport::CheckEveryWritePoint(Scenario(
        "type_delete", false,
        [](int sirina) {
            ModelProzora m;
            storagetest::MaliModel(m, Sirina(sirina));
            return SpremiProzor(m, sirina < 0 ? 8 : 7);
        },
        [](ModelProzora& m) { return PrenesiProzor(m, 7, sustav); },
        [](ModelProzora& m) { return PrenesiProzor(m, 8, sustav); }, [] { return ObrisiElementeTipa(7); }));
    testsupport::CheckEveryWritePoint(Scenario(
        "copy_save", true,
        [](int sirina) {
            ModelProzora m;
            storagetest::MaliModel(m, Sirina(sirina));
            return SpremiKopiju(m, {3, sirina < 0 ? 2 : 1}, 4, 9) > 0;
        },
        [](ModelProzora& m) {
            return PrenesiKopiju(m, {3, 1}, sustav);
        },
        [](ModelProzora& m) {
            return PrenesiKopiju(m, {3, 2}, sustav);
        }));
}

} // namespace
