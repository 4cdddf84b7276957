#include "registers/Konta.h"

#include "app/data/DataSetServices.h"
#include "app/shell/FocusNavigation.h"
#include "base/Exceptions.h"
#include "base/Finally.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/ui/Keys.h"

#include <algorithm>

namespace registers {

KontaForms Konta;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Forms, [] { Konta = KontaForms(); });

struct LevelLayout {
    const char* Table;
    const char* Code;
    const char* CodeLabel;
    const char* NameLabel;
    const char* Grid;
    bool HasAop;
};
const LevelLayout levels[4] = {
    {"KONTA1.DB", "Klasa", "K", "Naziv klase", "gKlase", true},
    {"KONTA2.DB", "Grupa", "Gr", "Naziv grupe", "gGrupe", true},
    {"KONTA3.DB", "Sintetika", "Sint", "Naziv sintetike", "gSintetika", true},
    {"KONTA4.DB", "PodGrupa", "Pod", "Naziv podgrupe", nullptr, false},
};

void MakeReadOnly(kit::TMyTable& t) {
    t.FreeToModify = false;
    t.FreeToDelete = false;
    t.FreeToInsert = false;
    t.BeforeDelete = TKontniPlan::No_Delete;
}

} // namespace

TKontniPlan::TKontniPlan(fw::Component* owner) : kit::TMyForm(owner) {
    SetName("KontniPlan");
    SetCaption("Državni kontni plan");
    KeyPreview = true;
    resize(1000, 600);
    CentreOnScreen();
    for (auto& s : sources_)
        s = std::make_unique<fw::TDataSource>();
    const int width = 240;
    for (int i = 0; i < 4; ++i) {
        auto* grid = new kit::TMyDBGrid(this, this);
        grid->SetName(levels[i].Grid ? levels[i].Grid : "gPodGrupe");
        grid->SetBounds(10 + i * (width + 5), 10, width, 420);
        grid->SetDataSource(sources_[i].get());
        grid->ReadOnly = true;
        grids_[i] = grid;
        // The balance of the level's current code under its grid.
        const char* balanceFields[] = {"Konto", "Duguje", "Potrazuje", "Saldo"};
        for (int b = 0; b < 4; ++b) {
            auto* text = new fw::DBText(this, this);
            text->SetName(std::string("l") + balanceFields[b] + std::to_string(i + 1));
            text->SetBounds(10 + i * (width + 5), 440 + b * 24, width, 22);
            text->SetDataSource(sources_[4 + i].get());
            text->SetDataField(balanceFields[b]);
        }
    }
    gKlase = grids_[0];
    gGrupe = grids_[1];
    gSintetika = grids_[2];
    gPodGrupe = grids_[3];
    // The tables last: the levels, then their balances.
    for (int i = 0; i < 4; ++i) {
        auto* t = new kit::TMyTable(this);
        t->SetName(std::string("t") + levels[i].Code);
        t->SetDatabaseName("Global");
        t->SetTableName(levels[i].Table);
        t->SetIndexFieldNames(levels[i].Code);
        MakeReadOnly(*t);
        t->AddField(std::make_unique<fw::TStringField>(i + 1), levels[i].Code)
            .SetDisplayLabel(levels[i].CodeLabel);
        t->AddField(std::make_unique<fw::TStringField>(60), "Naziv").SetDisplayLabel(levels[i].NameLabel);
        if (levels[i].HasAop) t->AddField(std::make_unique<fw::TSmallintField>(), "AOP").Visible = false;
        t->AddField(std::make_unique<fw::TIntegerField>(), "OrgJed", fw::fkCalculated).Visible = false;
        t->OnCalcFields = [](fw::TDataSet& ds) { ds.FieldByName("OrgJed").SetAsInteger(ChartOrgJed); };
        t->AfterScroll = [this, i](fw::TDataSet&) { FollowLevel(i); };
        sources_[i]->SetDataSet(t);
        Levels[i] = t;
    }
    for (int i = 0; i < 4; ++i) {
        auto* b = new kit::TMyTable(this);
        b->SetName(std::string("tS_Konta") + std::to_string(i + 1));
        b->SetDatabaseName("Lokal");
        b->SetTableName("S_KONTA" + std::to_string(i + 1) + ".DB");
        b->SetIndexFieldNames("OrgJed;Konto");
        MakeReadOnly(*b);
        b->SetMasterSource(sources_[i].get());
        b->SetMasterFields(std::string("OrgJed;") + levels[i].Code);
        sources_[4 + i]->SetDataSet(b);
        Balances[i] = b;
    }
    OnShow = [this](fw::Component& sender) { FormShow(sender); };
    OnCloseQuery = [this](fw::Component&, bool&) {
        if (!Pick) return;
        kit::TMyTable* level = Levels[static_cast<std::size_t>(Pick->Level)];
        Pick->Chosen =
            app::HasRecords(level) ? level->FieldByName(levels[Pick->Level].Code).AsString() : std::string();
    };
    OnClose = [this](fw::Component& sender, fw::CloseAction& action) { FormClose(sender, action); };
    OnKeyDown = [this](fw::Component& sender, std::uint16_t& key, fw::Shift shift) {
        FormKeyDown(sender, key, shift);
    };
    SetActiveControl(gKlase);
}

void TKontniPlan::No_Delete(fw::TDataSet&) {
    throw base::Abort();
}

void TKontniPlan::FormShow(fw::Component&) {
    if (Pick) {
        ShowBranch(Pick->Konto);
        grids_[static_cast<std::size_t>(Pick->Level)]->SetFocus();
        return;
    }
    for (int i = 3; i >= 0; --i)
        if (app::HasRecords(Levels[i]) || i == 0) {
            grids_[i]->SetFocus();
            return;
        }
}

void TKontniPlan::FormClose(fw::Component&, fw::CloseAction&) {
    if (!Pick) return;
    // One pick per opening: a later opening from the menu writes nothing back.
    const LevelPick pick = std::move(*Pick);
    Pick.reset();
    if (pick.WriteBack) pick.WriteBack(pick.Chosen);
}

void TKontniPlan::ShowBranch(const std::string& konto) {
    following_ = true;
    base::TryFinally(
        [&] {
            for (std::size_t i = 0; i < 4; ++i) {
                if (!Levels[i]->Active()) continue;
                // A number shorter than the level puts the level on the first code that begins with it.
                const std::string prefix = base::CutChars(konto, i + 1);
                if (prefix.empty())
                    Levels[i]->First();
                else
                    Levels[i]->FindNearest({engine::Value::Text(prefix)});
            }
        },
        [&] { following_ = false; });
}

void TKontniPlan::FormKeyDown(fw::Component&, std::uint16_t& key, fw::Shift shift) {
    if (shift != 0) return;
    if (key == fw::VK_ESCAPE) {
        key = 0;
        Close();
    } else if (key == fw::VK_LEFT || key == fw::VK_RIGHT) {
        app::MoveFocus(ActiveControl(), key == fw::VK_RIGHT);
        key = 0;
    }
}

void TKontniPlan::FollowLevel(int level) {
    // Only the grid the user moves in leads; the moves it causes lead nothing.
    if (following_ || ActiveControl() != grids_[level] || !app::HasRecords(Levels[level])) return;
    following_ = true;
    try {
        const std::string code = Levels[level]->FieldByName(levels[level].Code).AsString();
        auto codeOf = [&](int i) { return Levels[i]->FieldByName(levels[i].Code).AsString(); };
        if (level == 3) {
            for (int i = 2; i >= 0; --i) {
                const std::string prefix = base::CutChars(code, static_cast<std::size_t>(i + 1));
                if (codeOf(i) != prefix) Levels[i]->FindKey({engine::Value::Text(prefix)});
            }
        } else {
            for (int i = level + 1; i < 4; ++i)
                if (codeOf(i).rfind(code, 0) != 0) Levels[i]->FindNearest({engine::Value::Text(code)});
        }
    } catch (...) {
        following_ = false;
        throw;
    }
    following_ = false;
}

void PrikaziKontniPlan(fw::Form* caller) {
    app::OpenForm<TKontniPlan>(Konta.KontniPlan, caller, [](TKontniPlan& f) { f.Pick.reset(); });
}

void PickChartLevel(fw::Form* caller, int level, const std::string& konto,
                    std::function<void(const std::string& code)> writeBack) {
    app::OpenForm<TKontniPlan>(Konta.KontniPlan, caller, [&](TKontniPlan& f) {
        f.Pick = TKontniPlan::LevelPick{std::clamp(level, 0, 3), konto, std::move(writeBack), {}};
    });
}

} // namespace registers
