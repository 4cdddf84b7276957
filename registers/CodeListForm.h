#pragma once
// The code-list form: a register's table in a grid with its key edit, the fields of the current code, a
// save button named for the register and an exit button. Opened from the menu it edits the table; opened
// by F2 from another form's field it is a picker that starts on the code typed there and writes the chosen
// code back into that field's lookup when it closes.

#include "engine/Engine.h"
#include "fw/db/DataSource.h"
#include "fw/ui/StdCtrls.h"
#include "kit/KeyFields.h"
#include "kit/KitButtons.h"
#include "kit/MyDBGrid.h"
#include "kit/MyForm.h"
#include "kit/MyTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace registers {

// The longest caller text a picker searches for.
inline constexpr std::size_t CallerTextChars = 40;

class TCodeListForm : public kit::TMyForm {
public:
    explicit TCodeListForm(fw::Component* owner);
    ~TCodeListForm() override;

    // The form that opened this one as a picker; nil from the menu.
    fw::Form* Caller = nullptr;
    // The write-back selects the lookup's whole text (three registers do not).
    bool SelectOnWriteBack = true;

    kit::TMyTable* tTable = nullptr;
    kit::TMyDBGrid* gTable = nullptr;
    kit::TDBKeyField* eSifra = nullptr;
    kit::TMyBitBtn* ZapisiButton = nullptr;
    kit::TMyBitBtn* IzlazButton = nullptr;

    // The standard handlers.
    void FormShow(fw::Component& sender);
    void FormClose(fw::Component& sender, fw::CloseAction& action);
    void FormKeyDown(fw::Component& sender, std::uint16_t& key, fw::Shift shift);
    void ZapisiButtonClick(fw::Component& sender);
    void IzlazButtonClick(fw::Component& sender);
    // Posts the pending edits of the form's tables (main table first), flushing where the settings say so.
    bool PostFiles();

    // The data source of the main table.
    fw::TDataSource& MainSource() { return *sources_.front(); }
    // The text of the caller's active control (a kit edit or lookup), cut to 40 characters.
    std::string CallerText() const;

protected:
    void TitleOwnFields(fw::TDataSet& shown) override;
    // --- building (the tables are made last: the form's data components end its component list)
    fw::TDataSource& NewSource(fw::TDataSet* dataSet);
    fw::Label* AddLabel(const std::string& caption, int left, int top, int width = 120);
    // An edit bound to a field of the data source, with its label on the left.
    template <class Edit>
    Edit* AddEdit(fw::TDataSource& source, const std::string& field, const std::string& name,
                  const std::string& caption, int top, int width = 200) {
        AddLabel(caption, fieldLeft_ + 10, top + 3);
        auto* edit = new Edit(this, this);
        edit->SetName(name);
        edit->SetBounds(fieldLeft_ + 135, top, width, 24);
        edit->SetDataSource(&source);
        edit->SetDataField(field);
        return edit;
    }
    kit::TMyTable* AddTable(const std::string& name, const std::string& database, const std::string& table,
                            const std::string& indexFieldNames);
    kit::TMyDBGrid* AddGrid(const std::string& name, fw::TDataSource& source, int left, int top, int width,
                            int height);
    // The per-supplier lists: tMain on the suppliers of "SIF_PART.DB" (only their code shown), tTable on the
    // article groups of the current supplier; the supplier range goes when the form hides. Answers tMain.
    kit::TMyTable* AddSupplierGroups(fw::TDataSource& suppliers, fw::TDataSource& groups);
    // Lists only the suppliers (kind "D") and puts the table on the supplier of the partner (0: none).
    static void ListSuppliers(fw::TTable& suppliers, std::int32_t partner);
    // The standard frame: key edit on keyField at the top, grid on the right, buttons at the bottom. The
    // key edit is a plain key field unless the form brings its own.
    void BuildFrame(const std::string& keyField, const std::string& keyCaption, const std::string& noun,
                    int width, int height, kit::TDBKeyField* keyEdit = nullptr);
    // Moves the key edit, with its caption, to another row (a form whose first row chooses the owner).
    void MoveKeyTo(int top);
    // Hides the link key ("Code") and the bookkeeping fields from the grids of this table.
    // Also hides the given link fields, which the grids above show by their rows.
    static void HideHousekeepingFields(fw::TDataSet& dataSet, std::initializer_list<const char*> links = {});

    // --- what the variants change
    // The main table of the form (the one that is searched, scrolled and appended to).
    virtual fw::TTable* MainTable() const { return tTable; }
    // The grid focused on show.
    virtual fw::Control* MainGrid() const { return gTable; }
    // The key edit that a new record is typed into, and whose text the picker writes back.
    virtual kit::TDBKeyField* KeyEdit() const { return eSifra; }
    // The code the picker writes back: the key edit's (the quantities write back their packing mode).
    virtual std::string PickedText() const;
    // The search key for the caller's text (per-supplier lists put the supplier before it).
    virtual std::vector<engine::Value> SearchKey(const std::string& text) const;
    // The tables that the save posts, in order (main table first).
    virtual std::vector<fw::TTable*> PostedTables() const;
    // After the save posted: append a new record and go to the key edit (the rate and label lists differ).
    virtual void AfterSave();
    // Positions the main table on the caller's text (or the first record).
    virtual void PositionOnCaller();
    // Puts the form's tab order in the reading order of the record (done on show, once every control is
    // made).
    void OrderTabsAsRecord();

    std::vector<std::unique_ptr<fw::TDataSource>> sources_;
    int nextTop_ = 45;
    fw::Label* keyLabel_ = nullptr;
    // Where the column of labelled edits begins (a second column starts further right).
    int fieldLeft_ = 0;
};

} // namespace registers
