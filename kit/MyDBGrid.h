#pragma once
// TMyDBGrid: the kit's data grid. Typed letters search the table's search column (the last field of its
// index after the master-detail prefix) for the nearest row that starts with them, the column title shows
// its label followed by the typed text, F2 switches between the key index and a name index ("Naziv", "Opis",
// "Prezime", "MB" or "Datum"), leaving the grid goes back to the key index on the same record. Enter,
// Space and Ctrl+Space raise OnReturn, OnSpace and OnCtrlSpace; Ctrl+Del asks before it deletes.

#include "fw/ui/DBGrid.h"
#include "kit/Mycombo.h"

#include <string>
#include <vector>

namespace fw {
class TTable;
}

namespace kit {

class TMyDBGrid : public fw::DBGrid, public KitControl {
public:
    explicit TMyDBGrid(fw::Control* parent, fw::Component* owner = nullptr);

    bool FindByName = true;
    fw::NotifyEvent OnReturn;
    fw::NotifyEvent OnSpace;
    fw::NotifyEvent OnCtrlSpace;

    // The typed text so far, upper case; empty when no search is under way.
    std::string SearchText;
    std::string SavedTitle;
    std::string IndexPrefix;
    // The field searched now (upper case, except the name candidate "Datum") and the index's key column.
    std::string SearchField;
    std::string KeyField;
    std::vector<std::string> KeyFields;
    bool IndexAnalysed = false;

    // Finds the search column of the table's index; false when there is none.
    bool AnalyseIndex();

    void DoEnter() override;
    void DoExit() override;
    void KeyDown(std::uint16_t& key, fw::Shift shift) override;
    void KeyPress(std::uint8_t& key) override;
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;

protected:
    bool ConfirmDelete() override;

private:
    fw::TTable* Table() const;
    fw::TField* SearchColumn() const;
    void SetTitle(const std::string& title);
    // The search column's label, with what is typed so far after it.
    void ShowSearchTitle();
    // The focus cue: the current row in the selection colour while the grid has the keys, grey otherwise.
    void MarkFocus(bool focused);
    bool IndexIsCurrent() const;
    // The index set to the prefix and that field, the master link cleared around the change.
    void SetIndexTo(const std::string& field);
    void BackToKeyIndex();
    void SwitchSearchColumn();
    void Search(std::uint8_t key);
    void GotoTyped();
    void StepTowardsTyped();
};

} // namespace kit
