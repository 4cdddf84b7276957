#include "kit/MyTable.h"

#include "app/Dialogs.h"
#include "app/FocusNavigation.h"
#include "app/Splash.h"
#include "app/TableFiles.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "fw/db/FieldClasses.h"
#include "fw/db/Session.h"
#include "fw/ui/Guard.h"
#include "kit/Mycombo.h"

#include <cctype>

namespace kit {

TableServices KitTableServices;

bool FolderOfDatabase(const std::string& databaseName, app::Folder& folder) {
    const std::string kind = base::UpperCase(databaseName);
    if (kind == "LOKAL" || kind == "LOKAL2")
        folder = app::Folder::Lokal;
    else if (kind == "GLOBAL" || kind == "GLOBAL2")
        folder = app::Folder::Global;
    else if (kind == "LINK" || kind == "LINK2")
        folder = app::Folder::Link;
    else
        return false;
    return true;
}

namespace {

std::string folderPathOf(const std::string& databaseName) {
    if (fw::TDatabase* db = fw::Session().FindDatabase(databaseName)) return db->Directory().string();
    return databaseName;
}

std::string tableFileName(const std::string& tableName) {
    return base::UpperCase(tableName);
}

app::DataSetRoutine routineOf(fw::TDataSet& dataSet, bool defaults) {
    auto* table = dynamic_cast<fw::TTable*>(&dataSet);
    app::Folder folder;
    if (!table || !FolderOfDatabase(table->DatabaseName(), folder)) return {};
    const std::string name = tableFileName(table->TableName());
    return defaults ? app::HooksOf(folder).TableDefaults(name) : app::HooksOf(folder).TableFieldSetup(name);
}

void checkTablesOf(const std::string& tableName, const std::string& databaseName, bool thorough) {
    app::Folder folder;
    if (!FolderOfDatabase(databaseName, folder)) return;
    app::HooksOf(folder).CheckTables(folderPathOf(databaseName), tableFileName(tableName), thorough);
}

void checkTable(fw::TDataSet& dataSet, bool thorough) {
    if (auto* table = dynamic_cast<fw::TTable*>(&dataSet))
        checkTablesOf(table->TableName(), table->DatabaseName(), thorough);
}

bool isIntegerField(const fw::TField* f) {
    return dynamic_cast<const fw::TIntegerField*>(f) != nullptr;
}

// An account is a number of at most 9 digits, so that "1" in front of it still fits a Code.
bool validAccount(const std::string& konto) {
    if (konto.empty() || konto.size() > 9) return false;
    for (unsigned char c : konto)
        if (!std::isdigit(c)) return false;
    return true;
}

} // namespace

void ResetTableServices() {
    TableServices& s = KitTableServices;
    s.RegisterTableOpen = [](fw::TDataSet&) {};
    s.UnregisterTableOpen = [](fw::TDataSet&) {};
    s.MarkTableChanged = [](fw::TDataSet&) {};
    s.TableOpenCount = [](fw::TDataSet&) { return 1; };
    s.InsertPostAllowed = [](fw::TDataSet& ds) {
        auto* t = dynamic_cast<app::TMyTableX*>(&ds);
        return t && t->InsertPost;
    };
    s.DeleteTableIndexFiles = [](const std::string& fileName, const std::string& databaseName) {
        app::DeleteIndexFiles(folderPathOf(databaseName), app::TableBaseName(fileName));
    };
    s.CheckTableFull = [](fw::TDataSet& ds) { checkTable(ds, true); };
    s.CheckTableQuick = [](fw::TDataSet& ds) { checkTable(ds, false); };
    s.CheckTablesOf = checkTablesOf;
    s.TableDefaultsOf = [](fw::TDataSet& ds) { return routineOf(ds, true); };
    s.TableFieldSetupOf = [](fw::TDataSet& ds) { return routineOf(ds, false); };
}

namespace {
struct ServicesInit {
    ServicesInit() { ResetTableServices(); }
} servicesInit;
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
    if (handler) handler(*this);
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
    if (app::MultiUser && KitTableServices.TableOpenCount(*this) != 1) return true;
    RetryOpen = false;
    KitTableServices.CheckTablesOf(TableName(), DatabaseName(), true);
    return true;
}

void TMyTable::ProbeRegister() {
    ChangeMarked = true;
    NewRecordProc = KitTableServices.TableDefaultsOf(*this);
    AfterOpenProc = KitTableServices.TableFieldSetupOf(*this);
    auto probe = [this](bool exclusive) {
        fw::TTable temp;
        temp.SetSessionName(SessionName());
        temp.SetDatabaseName(DatabaseName());
        temp.SetTableName(TableName());
        temp.SetExclusive(exclusive);
        try {
            temp.Open();
            temp.Close();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    };
    ExclusiveProbe = probe(true);
    if (ExclusiveProbe) {
        KitTableServices.CheckTableQuick(*this);
        return;
    }
    ExclusiveProbe = true;
    if (probe(false)) {
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
            choose(SessionNameA);
        else if (kind == "LOKAL2" || kind == "GLOBAL2" || kind == "LINK")
            choose(SessionNameB);
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

void TMyTable::SweepRegister() {
    First();
    try {
        LockTable();
    } catch (const std::exception&) {
        ExclusiveProbe = false;
        return;
    }
    try {
        fw::TField* changed = FindField("Changed");
        fw::TField* open = FindField("OPEN");
        fw::TField* file = FindField("File");
        while (!IsEmpty()) {
            if (changed && open && file && changed->AsBoolean() && open->AsInteger() != 0)
                KitTableServices.DeleteTableIndexFiles(file->AsString(), DatabaseName());
            Delete();
        }
    } catch (...) {
        UnlockTable();
        throw;
    }
    UnlockTable();
}

void TMyTable::TableAfterOpen(fw::TDataSet&) {
    if (ExclusiveProbe || !ChangeMarked) {
        if (AfterOpenProc) AfterOpenProc(*this);
        if (ExclusiveProbe) SweepRegister();
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
    return app::MultiUser && AutoFlush && !app::PostInProgress && !ControlsDisabled();
}

void TMyTable::TableBeforeInsert(fw::TDataSet&) {
    if (app::MultiUser && AutoFlush && !app::PostInProgress) Refresh();
    if (!FreeToInsert && !KitTableServices.InsertPostAllowed(*this)) throw base::Abort();
    RunDesigner(BeforeInsert);
}

void TMyTable::TableOnNewRecord(fw::TDataSet&) {
    if (NewRecordProc) NewRecordProc(*this);
    RunDesigner(OnNewRecord);
}

void TMyTable::TableBeforeEdit(fw::TDataSet&) {
    if (RefreshAllowed()) Refresh();
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
    RunDesigner(AfterPost);
}

void TMyTable::TableBeforeDelete(fw::TDataSet&) {
    if (!FreeToDelete && !KitTableServices.InsertPostAllowed(*this)) {
        app::ShowInfo("Nije dozvoljeno brisanje.");
        throw base::Abort();
    }
    if (ItemsField && ItemsField->AsInteger() != 0) {
        app::ShowInfo("Nije dozvoljeno brisanje šifre,\r\njer postoje podaci vezani uz šifru.");
        throw base::Abort();
    }
    RunDesigner(BeforeDelete);
}

void TMyTable::TableAfterDelete(fw::TDataSet&) {
    MarkChanged();
    if (RefreshAllowed()) Refresh();
    RunDesigner(AfterDelete);
}

// ------------------------------------------------------------------------------------------- close

void TMyTable::TableBeforeClose(fw::TDataSet&) {
    RunDesigner(BeforeClose);
    if (!Exclusive()) app::FlushTable(*this);
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
    RunDesigner(AfterClose);
}

TMyTable& CloseTable(TMyTable& table) {
    app::CloseTable(table);
    return table;
}

} // namespace kit
