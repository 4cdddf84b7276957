#include "kit/MyTable.h"

#include "app/data/CodeUses.h"
#include "app/data/DataSetServices.h"
#include "app/data/Dialogs.h"
#include "app/data/OpenDbRegister.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/Splash.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Session.h"
#include "fw/ui/Guard.h"
#include "kit/Mycombo.h"
#include "kit/RequiredFields.h"

#include <cctype>
#include <string>
#include <vector>

namespace kit {

TableServices KitTableServices;

namespace {

app::TMyTableX& mine(fw::TDataSet& ds) {
    return dynamic_cast<app::TMyTableX&>(ds);
}

// An account is a number of at most 9 digits, so that "1" in front of it still fits a Code.
bool validAccount(const std::string& konto) {
    if (konto.empty() || konto.size() > 9) return false;
    for (unsigned char c : konto)
        if (!std::isdigit(c)) return false;
    return true;
}

bool isIntegerField(const fw::TField* f) {
    return dynamic_cast<const fw::TIntegerField*>(f) != nullptr;
}

} // namespace

void ResetTableServices() {
    TableServices& s = KitTableServices;
    s.RegisterTableOpen = [](fw::TDataSet& ds) { app::RegisterTableOpen(mine(ds)); };
    s.UnregisterTableOpen = [](fw::TDataSet& ds) { app::UnregisterTableOpen(mine(ds)); };
    s.MarkTableChanged = [](fw::TDataSet& ds) { app::MarkTableChanged(mine(ds)); };
    s.TableOpenCount = [](fw::TDataSet& ds) { return app::TableOpenCount(mine(ds)); };
    s.InsertPostAllowed = [](fw::TDataSet& ds) { return app::InsertPostAllowed(&ds); };
    s.CheckTableFull = [](fw::TDataSet& ds) { app::CheckTableFull(&mine(ds)); };
    s.CheckTableQuick = [](fw::TDataSet& ds) { app::CheckTableQuick(&mine(ds)); };
    s.CheckTablesOf = app::CheckTablesOf;
    s.TableDefaultsOf = [](fw::TDataSet& ds) { return app::TableDefaultsOf(&mine(ds)); };
    s.TableFieldSetupOf = [](fw::TDataSet& ds) { return app::TableFieldSetupOf(&mine(ds)); };
}

namespace {
struct ServicesInit {
    ServicesInit() { ResetTableServices(); }
} servicesInit;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Kit, [] { ResetTableServices(); });
} // namespace

TMyTable::TMyTable(fw::Component* owner) : fw::Component(owner) {
    AutoOpen = true;
    AutoFlush = true;
    FreeToModify = false;
    FreeToDelete = true;
    FreeToInsert = true;
    auto bind = [this](void (TMyTable::*handler)(fw::TDataSet&)) {
        return [this, handler](fw::TDataSet& ds) { (this->*handler)(ds); };
    };
    fw::TDataSet& frameworkSlots = *this;
    frameworkSlots.AfterClose = bind(&TMyTable::TableAfterClose);
    frameworkSlots.AfterDelete = bind(&TMyTable::TableAfterDelete);
    frameworkSlots.AfterOpen = bind(&TMyTable::TableAfterOpen);
    frameworkSlots.AfterPost = bind(&TMyTable::TableAfterPost);
    frameworkSlots.BeforeClose = bind(&TMyTable::TableBeforeClose);
    frameworkSlots.BeforeDelete = bind(&TMyTable::TableBeforeDelete);
    frameworkSlots.BeforeInsert = bind(&TMyTable::TableBeforeInsert);
    frameworkSlots.BeforeOpen = bind(&TMyTable::TableBeforeOpen);
    frameworkSlots.BeforePost = bind(&TMyTable::TableBeforePost);
    frameworkSlots.BeforeEdit = bind(&TMyTable::TableBeforeEdit);
    frameworkSlots.BeforeScroll = bind(&TMyTable::TableBeforeScroll);
    frameworkSlots.OnNewRecord = bind(&TMyTable::TableOnNewRecord);
}

TMyTable::~TMyTable() {
    KeepHandle = false;
    SoftClose = false;
    try {
        if (State() != fw::dsInactive) Close();
        if (HandleKept) {
            // The final close of a parked table really frees its cursor.
            const int old = Tag;
            Tag |= app::TagFinalClose;
            Close();
            Tag = old;
        }
    } catch (const std::exception& e) {
        fw::ShowException(e);
    }
}

void TMyTable::RunDesigner(const fw::TDataSetNotifyEvent& handler) {
    // The kit's own work around it still runs while the table is freed; the form's handler does not.
    if (handler && !InDestruction()) handler(*this);
}

void TMyTable::SetActive(bool value) {
    try {
        app::TMyTableX::SetActive(value);
    } catch (...) {
        // An open that failed for good leaves no registration behind.
        if (value && registered_ && State() == fw::dsInactive) {
            registered_ = false;
            KitTableServices.UnregisterTableOpen(*this);
        }
        throw;
    }
}

// ------------------------------------------------------------------------------------------- open

bool TMyTable::RepairRetry() {
    if (!RetryOpen) return false;
    if (base::UpperCase(TableName()) == "OPEN.DB" || app::GetTablesOpen(*this) != 0) return true;
    if (app::DBMine.MultiUser && KitTableServices.TableOpenCount(*this) != 1) return true;
    RetryOpen = false;
    KitTableServices.CheckTablesOf(TableName(), DatabaseName(), true);
    return true;
}

void TMyTable::ProbeRegister() {
    ChangeMarked = true;
    NewRecordProc = KitTableServices.TableDefaultsOf(*this);
    AfterOpenProc = KitTableServices.TableFieldSetupOf(*this);
    auto shared = [this] {
        fw::TTable temp;
        temp.SetSessionName(SessionName());
        temp.SetDatabaseName(DatabaseName());
        temp.SetTableName(TableName());
        try {
            temp.Open();
            temp.Close();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    };
    ExclusiveProbe = app::OpenDbAlone(*this);
    if (ExclusiveProbe) {
        KitTableServices.CheckTableQuick(*this);
        return;
    }
    ExclusiveProbe = true;
    if (shared()) {
        ExclusiveProbe = false;
        return;
    }
    KitTableServices.CheckTableFull(*this);
}

void TMyTable::TableBeforeOpen(fw::TDataSet&) {
    if (RepairRetry()) return;
    ExclusiveProbe = false;
    if (HandleKept) {
        ChangeMarked = true;
    } else {
        ItemsField = nullptr;
        IsKontaTable = false;
        const std::string kind = base::UpperCase(DatabaseName()).substr(0, 10);
        auto choose = [this](const std::string& name) {
            if (base::UpperCase(SessionName()) != base::UpperCase(name)) SetSessionName(name);
        };
        if (kind == "LOKAL" || kind == "GLOBAL")
            choose(Kit.SessionNameA);
        else if (kind == "LOKAL2" || kind == "GLOBAL2" || kind == "LINK")
            choose(Kit.SessionNameB);
        if (base::UpperCase(TableName()) == "OPEN.DB") {
            ProbeRegister();
        } else {
            ChangeMarked = false;
            KitTableServices.RegisterTableOpen(*this);
            registered_ = true;
            NewRecordProc = KitTableServices.TableDefaultsOf(*this);
            AfterOpenProc = KitTableServices.TableFieldSetupOf(*this);
        }
    }
    RunDesigner(BeforeOpen);
}

void TMyTable::TableAfterOpen(fw::TDataSet&) {
    if (ExclusiveProbe || !ChangeMarked) {
        if (AfterOpenProc) AfterOpenProc(*this);
        // Nobody else uses the register: rows left by stations that ended abnormally go, and the index
        // files of the tables they had changed are rebuilt on their next open.
        if (ExclusiveProbe && !app::SweepOpenDb(*this)) ExclusiveProbe = false;
        fw::TField* code = FindField("Code");
        fw::TField* konto = FindField("Konto");
        IsKontaTable = base::UpperCase(DatabaseName()) == "GLOBAL" &&
                       base::UpperCase(TableName()) == "KONTA.DB" && isIntegerField(code) &&
                       dynamic_cast<fw::TStringField*>(konto) != nullptr;
        fw::TField* items = FindField("Items");
        ItemsField = isIntegerField(items) ? items : nullptr;
    }
    if (base::UpperCase(DatabaseName()) == "LINK" && !IsEmpty()) {
        if (State() == fw::dsEdit || State() == fw::dsInsert) Cancel();
        EmptyTable();
    }
    if (AutoOpen && NoLimit) app::ProgressStep();
    RunDesigner(AfterOpen);
}

// ------------------------------------------------------------------------------------------- editing

bool TMyTable::RefreshAllowed() const {
    return app::DBMine.MultiUser && AutoFlush && !app::DBMine.PostInProgress && !ControlsDisabled();
}

void TMyTable::TableBeforeInsert(fw::TDataSet&) {
    if (app::DBMine.MultiUser && AutoFlush && !app::DBMine.PostInProgress) Refresh();
    if (!FreeToInsert && !KitTableServices.InsertPostAllowed(*this)) throw base::Abort();
    RunDesigner(BeforeInsert);
}

void TMyTable::TableOnNewRecord(fw::TDataSet&) {
    if (NewRecordProc) NewRecordProc(*this);
    RunDesigner(OnNewRecord);
}

namespace {
// The record as the user sees it before an edit re-reads it: its index key and its stored values.
struct ShownRecord {
    std::vector<std::string> Key;
    std::vector<std::string> Values;
};

ShownRecord RecordShown(const fw::TTable& table) {
    ShownRecord shown;
    if (table.IsEmpty()) return shown;
    for (int i = 0; i < table.IndexFieldCount(); ++i)
        if (const fw::TField* f = table.IndexFields(i)) shown.Key.push_back(f->AsString());
    for (int i = 0; i < table.FieldCount(); ++i)
        if (!table.Fields(i).Calculated()) shown.Values.push_back(table.Fields(i).AsString());
    return shown;
}
} // namespace

void TMyTable::RefreshForEdit() {
    const ShownRecord shown = RecordShown(*this);
    Refresh();
    // The edit goes to the record the user chose, as the user saw it; anything else is refused and the
    // re-read record is shown.
    const ShownRecord fresh = RecordShown(*this);
    if (fresh.Values == shown.Values) return;
    ++refusalsTold_;
    app::ShowInfo(fresh.Values.empty() || fresh.Key != shown.Key ? RecordDeletedText : RecordChangedText);
    throw base::Abort();
}

// Every road into an edit comes here, the program's own edits on the user's behalf included (a key field's
// creation or rename, a picker's write-back, a combo): all of them are anchored to the record shown.
bool TMyTable::AnchorEdits() const {
    return app::DBMine.MultiUser && AutoFlush && State() == fw::dsBrowse;
}

void TMyTable::TableBeforeEdit(fw::TDataSet&) {
    if (AnchorEdits()) RefreshForEdit();
    RunDesigner(BeforeEdit);
}

void TMyTable::ApplyKontaRule() {
    const std::string konto = FieldByName("Konto").AsString();
    if (!validAccount(konto)) {
        app::ShowInfo(KontaRefusedText);
        throw base::Abort();
    }
    const long long k = app::StrToCode(konto);
    fw::TField& code = FieldByName("Code");
    if (code.AsInteger() == k) return;
    if (ItemsField && ItemsField->AsInteger() != 0) {
        app::ShowInfo("Nije dozvoljena promjena konta,\r\njer postoje podaci vezani uz konto.");
        throw base::Abort();
    }
    code.SetAsInteger(k);
}

void TMyTable::TableBeforePost(fw::TDataSet&) {
    inserting_ = State() == fw::dsInsert;
    RunDesigner(BeforePost);
    if (!FreeToModify && State() == fw::dsInsert && !KitTableServices.InsertPostAllowed(*this)) {
        Cancel();
        throw base::Abort();
    }
    if (IsKontaTable && (State() == fw::dsEdit || State() == fw::dsInsert)) ApplyKontaRule();
}

void TMyTable::MarkChanged() {
    if (!ChangeMarked) {
        KitTableServices.MarkTableChanged(*this);
        ChangeMarked = true;
    }
    Changed = true;
}

void TMyTable::TableAfterPost(fw::TDataSet&) {
    MarkChanged();
    // A row posted out of the table's range has no place to come back to.
    try {
        PostedByUser = GetBookmark();
    } catch (const std::exception&) {
        PostedByUser.clear();
    }
    if (inserting_) MadeByUser = PostedByUser;
    inserting_ = false;
    RunDesigner(AfterPost);
}

void TMyTable::TableBeforeDelete(fw::TDataSet&) {
    if (!FreeToDelete && !KitTableServices.InsertPostAllowed(*this)) {
        app::ShowInfo("Nije dozvoljeno brisanje.");
        throw base::Abort();
    }
    // A delete goes to the record the user saw, not to the one the rows closed up to.
    if (AnchorEdits()) RefreshForEdit();
    if (ItemsField && ItemsField->AsInteger() != 0) {
        app::ShowInfo("Nije dozvoljeno brisanje šifre,\r\njer postoje podaci vezani uz šifru.");
        throw base::Abort();
    }
    app::RefuseDeletingUsedRow(*this);
    RunDesigner(BeforeDelete);
    deleting_ = true;
}

void TMyTable::TableBeforeScroll(fw::TDataSet&) {
    if (deleting_)
        deleting_ = false;
    else if (!RequiredValuesPresent(*this))
        throw base::Abort();
    RunDesigner(BeforeScroll);
}

void TMyTable::TableAfterDelete(fw::TDataSet&) {
    MarkChanged();
    if (RefreshAllowed()) Refresh();
    RunDesigner(AfterDelete);
}

// ------------------------------------------------------------------------------------------- close

void TMyTable::TableBeforeClose(fw::TDataSet&) {
    RunDesigner(BeforeClose);
    if (!Exclusive()) app::FlushOneTable(*this);
}

void TMyTable::TableAfterClose(fw::TDataSet&) {
    if (!HandleKept && base::UpperCase(TableName()) != "OPEN.DB" && registered_) {
        registered_ = false;
        KitTableServices.UnregisterTableOpen(*this);
    }
    if (Tag & app::TagFinalClose) return;
    ChangeMarked = false;
    Changed = false;
    InsertPost = false;
    PostedByUser.clear();
    MadeByUser.clear();
    deleting_ = false;
    inserting_ = false;
    RunDesigner(AfterClose);
}

TMyTable& CloseTable(TMyTable& table) {
    app::CloseTable(table);
    return table;
}

} // namespace kit
