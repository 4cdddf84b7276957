#pragma once
// The article groups and subgroups per supplier: the suppliers of "SIF_PART.DB" in one grid, the groups (and
// the subgroups of the current group) of the chosen supplier beside them. The forms open on the supplier
// given to the opener (0: the own company).

#include "kit/Mycombo2.h"
#include "registers/CodeListForm.h"

#include <cstdint>

namespace registers {

// Shown when a group is typed while no supplier is listed.
inline constexpr const char* NoSupplierText =
    "Morate najprije unijeti dobavljača u šifarnik partnera:\r\ngrupe artikala vežu se uz dobavljača!!!";

// The caption's company part: the own company's short name and town.
std::string CompanyCaption(const std::string& title);

class TSifarnikGrupaArtikli : public TCodeListForm {
public:
    explicit TSifarnikGrupaArtikli(fw::Component* owner);

    std::int32_t Partner = 0;
    kit::TMyTable* tMain = nullptr;
    kit::TMyDBGrid* gMain = nullptr;
    kit::TDBName* eNaziv = nullptr;

protected:
    std::vector<engine::Value> SearchKey(const std::string& text) const override;
    std::vector<fw::TTable*> PostedTables() const override { return {tTable, tMain}; }
    void PositionOnCaller() override;
};

class TSifarnikPodGrupaArtikli : public TCodeListForm {
public:
    explicit TSifarnikPodGrupaArtikli(fw::Component* owner);

    std::int32_t Partner = 0;
    std::int32_t Grupa = 0;
    kit::TMyTable* tMain = nullptr;
    kit::TMyTable* tPodGrupe = nullptr;
    kit::TMyDBGrid* gMain = nullptr;
    kit::TMyDBGrid* gPodGrupe = nullptr;
    kit::TDBKeyField* eSifra2 = nullptr;
    kit::TDBName* eNaziv2 = nullptr;

protected:
    fw::TTable* MainTable() const override { return tPodGrupe; }
    fw::Control* MainGrid() const override { return gPodGrupe; }
    kit::TDBKeyField* KeyEdit() const override { return eSifra2; }
    std::vector<engine::Value> SearchKey(const std::string& text) const override;
    std::vector<fw::TTable*> PostedTables() const override { return {tPodGrupe, tTable, tMain}; }
    void PositionOnCaller() override;
};

struct GrupeForms {
    TSifarnikGrupaArtikli* SifarnikGrupaArtikli = nullptr;
    TSifarnikPodGrupaArtikli* SifarnikPodGrupaArtikli = nullptr;
};
// The form variables; reset with the program's state.
extern GrupeForms Grupe;

void PrikaziGrupeArtikala(fw::Form* caller, std::int32_t partner);
void PrikaziPodGrupeArtikala(fw::Form* caller, std::int32_t partner, std::int32_t grupa);
// Makes the article groups' form at program start (not shown).
void CreateSifarnikGrupaArtikli();

} // namespace registers
