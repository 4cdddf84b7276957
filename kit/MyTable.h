#pragma once
// TMyTable: the table of every data form. Around the dataset's life it chooses the session, registers the
// table in its folder's "OPEN.DB", looks up the table's own routines, repairs a table that failed to open,
// enforces the FreeToInsert / FreeToModify / FreeToDelete switches and the "Items" and account rules, marks
// the table changed on its first post or delete and flushes it on close. The designer's handlers of the
// eleven events live in the re-published members and run inside the kit's.

#include "app/data/DBMine.h"
#include "app/shell/FormOpener.h"
#include "app/tables/TableDefinitions.h"
#include "fw/ui/Component.h"

#include <functional>
#include <string>

namespace kit {

// The dataset and register services a kit table calls: the shell's services ("OPEN.DB" register, table
// checks, definition routines), replaceable for tests.
struct TableServices {
    std::function<void(fw::TDataSet&)> RegisterTableOpen;
    std::function<void(fw::TDataSet&)> UnregisterTableOpen;
    std::function<void(fw::TDataSet&)> MarkTableChanged;
    // The table's "Open" count in its register.
    std::function<int(fw::TDataSet&)> TableOpenCount;
    std::function<bool(fw::TDataSet&)> InsertPostAllowed;
    std::function<void(fw::TDataSet&)> CheckTableFull;
    std::function<void(fw::TDataSet&)> CheckTableQuick;
    std::function<void(const std::string& tableName, const std::string& databaseName, bool thorough)>
        CheckTablesOf;
    std::function<app::DataSetRoutine(fw::TDataSet&)> TableDefaultsOf;
    std::function<app::DataSetRoutine(fw::TDataSet&)> TableFieldSetupOf;
};
// The unit's state: reset with the program's state to the shell's services.
extern TableServices KitTableServices;
// Puts back the shell's services.
void ResetTableServices();

// The shown text of a refused account.
inline constexpr const char* KontaRefusedText = "Konto mora biti broj od najviše 9 znamenki.";
// The texts of an edit refused because another station deleted or changed the record meanwhile.
inline constexpr const char* RecordDeletedText = "Slog je u međuvremenu obrisao drugi korisnik.";
inline constexpr const char* RecordChangedText =
    "Slog je u međuvremenu promijenio drugi korisnik.\r\nPrikazan je njegov novi sadržaj.";

class TMyTable : public app::TMyTableX, public fw::Component, public app::DataComponent {
public:
    explicit TMyTable(fw::Component* owner = nullptr);
    ~TMyTable() override;

    using app::TMyTableX::Name;
    using app::TMyTableX::Tag;

    // The designer's handlers.
    fw::TDataSetNotifyEvent AfterClose, AfterDelete, AfterOpen, AfterPost, BeforeClose, BeforeDelete,
        BeforeInsert, BeforeOpen, BeforePost, BeforeEdit, BeforeScroll, OnNewRecord;

    fw::TField* ItemsField = nullptr;
    bool IsKontaTable = false;
    bool ExclusiveProbe = false;
    app::DataSetRoutine NewRecordProc;
    app::DataSetRoutine AfterOpenProc;
    bool ChangeMarked = false;
    // The record the user last posted in this opening (its bookmark): it may not be left while a required
    // value of the form is missing.
    fw::TBookmark PostedByUser;
    // The record the user's last insert made in this opening (its bookmark): a new code, gone again when
    // the program must end while it lacks a required value.
    fw::TBookmark MadeByUser;

    void SetActive(bool value) override;
    app::TMyTableX* KitTable() override { return this; }
    // The form that owns the table is being freed: its handlers are partly gone.
    bool EventsMuted() const override { return InDestruction(); }

    void TableBeforeOpen(fw::TDataSet& dataSet);
    void TableAfterOpen(fw::TDataSet& dataSet);
    void TableBeforeInsert(fw::TDataSet& dataSet);
    void TableOnNewRecord(fw::TDataSet& dataSet);
    void TableBeforeEdit(fw::TDataSet& dataSet);
    void TableBeforePost(fw::TDataSet& dataSet);
    void TableAfterPost(fw::TDataSet& dataSet);
    void TableBeforeScroll(fw::TDataSet& dataSet);
    void TableBeforeDelete(fw::TDataSet& dataSet);
    void TableAfterDelete(fw::TDataSet& dataSet);
    void TableBeforeClose(fw::TDataSet& dataSet);
    void TableAfterClose(fw::TDataSet& dataSet);

    // How many edits were refused so far because the record shown had gone or changed (each was told).
    int RefusalsTold() const { return refusalsTold_; }

private:
    void RunDesigner(const fw::TDataSetNotifyEvent& handler);
    bool RepairRetry();
    void ProbeRegister();
    void ApplyKontaRule();
    void MarkChanged();
    bool RefreshAllowed() const;
    bool AnchorEdits() const;
    // Re-reads the rows before an edit; refuses the edit when the record shown is gone or was changed.
    void RefreshForEdit();
    bool registered_ = false;
    int refusalsTold_ = 0;
    // A delete is on its way: leaving the deleted record needs none of its values.
    bool deleting_ = false;
    bool inserting_ = false;
};

// Closes an active table softly (it stays open underneath, idle) and returns it.
TMyTable& CloseTable(TMyTable& table);

} // namespace kit
