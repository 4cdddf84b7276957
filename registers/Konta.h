#pragma once
// The prescribed chart of accounts, read-only: classes, groups, synthetic accounts and subgroups in four
// grids that keep to one branch of the chart, each with the balance of its current code below it.

#include "fw/db/DataSource.h"
#include "fw/ui/DBCtrls.h"
#include "kit/MyDBGrid.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace registers {

// The organisational unit whose balances the chart shows (no unit is chosen: the unit 0).
inline constexpr std::int32_t ChartOrgJed = 0;

class TKontniPlan : public kit::TMyForm {
public:
    explicit TKontniPlan(fw::Component* owner);

    // Level 1 to 4: "KONTA1.DB" .. "KONTA4.DB" and their grids; the balances "S_KONTA1.DB" .. "S_KONTA4.DB".
    std::array<kit::TMyTable*, 4> Levels{};
    std::array<kit::TMyTable*, 4> Balances{};
    kit::TMyDBGrid* gKlase = nullptr;
    kit::TMyDBGrid* gGrupe = nullptr;
    kit::TMyDBGrid* gSintetika = nullptr;
    kit::TMyDBGrid* gPodGrupe = nullptr;

    // Set while a form picks one level of the chart: the level (0-based), the account whose branch the
    // chart starts on, and where the code of that level goes when the chart closes (empty: no rows).
    struct LevelPick {
        int Level = 0;
        std::string Konto;
        std::function<void(const std::string& code)> WriteBack;
        // The level's code as the chart is about to close (its tables are closed before its close rule).
        std::string Chosen;
    };
    std::optional<LevelPick> Pick;

    void FormShow(fw::Component& sender);
    void FormClose(fw::Component& sender, fw::CloseAction& action);
    void FormKeyDown(fw::Component& sender, std::uint16_t& key, fw::Shift shift);
    // Keeps the other levels on the branch of the code chosen in level `level` (0-based).
    void FollowLevel(int level);
    // Puts every level on the branch the account number begins with.
    void ShowBranch(const std::string& konto);
    // The prescribed chart and its balances are never deleted.
    static void No_Delete(fw::TDataSet& dataSet);

private:
    std::array<kit::TMyDBGrid*, 4> grids_{};
    std::array<std::unique_ptr<fw::TDataSource>, 8> sources_;
    bool following_ = false;
};

struct KontaForms {
    TKontniPlan* KontniPlan = nullptr;
};
extern KontaForms Konta;

// Opens the prescribed chart to look at (nothing is written back).
void PrikaziKontniPlan(fw::Form* caller);
// Opens it on the branch of the account number, in the grid of the level (0-based); when it closes,
// writeBack gets the code of that level the user chose.
void PickChartLevel(fw::Form* caller, int level, const std::string& konto,
                    std::function<void(const std::string& code)> writeBack);

} // namespace registers
