#include "app/shell/FormOpener.h"

#include "app/data/DataSetServices.h"
#include "app/data/DBMine.h"
#include "app/data/Dialogs.h"
#include "app/data/Settings.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/ResPlus.h"
#include "app/shell/Splash.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/Session.h"
#include "fw/ui/DBCtrls.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <QPointer>
#include <system_error>

namespace app {

void FlushThroughServices(fw::TDataSet& dataSet) {
    FlushTable(&dataSet);
}

bool IsShortOfResources(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e)) return true;
    if (auto* s = dynamic_cast<const std::system_error*>(&e)) {
        const int code = s->code().value();
        return s->code().category() == std::generic_category() &&
               (code == EMFILE || code == ENFILE || code == ENOMEM);
    }
    return false;
}

FormOpenerState FormOpener;

namespace {

int loadNesting = 0;
// Forms hidden by HideOtherForms during the current ShowForm.
std::vector<FormVariable> hiddenWork;

[[maybe_unused]] const bool stateResetRegistered = base::RegisterStateReset(base::StateLayer::App, [] {
    FormOpener = FormOpenerState();
    loadNesting = 0;
    hiddenWork.clear();
});

std::uint8_t loadMode() {
    return Settings.CommonSettings.Resources.LoadMode;
}

void removeReleasable(const FormVariable& variable) {
    auto it = std::find(FormOpener.ReleasableRegistry.begin(), FormOpener.ReleasableRegistry.end(), variable);
    if (it != FormOpener.ReleasableRegistry.end()) FormOpener.ReleasableRegistry.erase(it);
}

void addReleasable(const FormVariable& variable) {
    if (std::find(FormOpener.ReleasableRegistry.begin(), FormOpener.ReleasableRegistry.end(), variable) ==
        FormOpener.ReleasableRegistry.end())
        FormOpener.ReleasableRegistry.push_back(variable);
}

// Answers whether the form is already open (and brings it forward or beeps); closes Caller's companion.
bool alreadyOpen(const FormVariable& variable, fw::Form* form, fw::Form* caller) {
    bool open = FormOpener.FormRegistry.size() >= MaxRegistryEntries;
    FormVariable companion;
    for (const FormRegistryEntry& e : FormOpener.FormRegistry) {
        if (e.Form == variable) open = true;
        if (e.Form.Get() == caller && !e.CompanionForm.IsNull()) companion = e.CompanionForm;
    }
    // A form on the modal chain is not registered until its loop ends: it is open all the same.
    if (form->isVisible() || form->Modal()) open = true;
    if (open) {
        if (form->isVisible())
            form->BringToFront();
        else
            fw::MessageBeep(0);
        return true;
    }
    if (fw::Form* c = companion.Get(); c && c != form) c->Close();
    return false;
}

void registerOpenForm(const FormVariable& variable, fw::Form* caller) {
    for (auto it = FormOpener.FormRegistry.rbegin(); it != FormOpener.FormRegistry.rend(); ++it)
        if (it->Form.Get() == caller) {
            it->CompanionForm = variable;
            break;
        }
    FormOpener.FormRegistry.push_back({variable, FormVariable(), std::move(hiddenWork)});
    hiddenWork.clear();
}

bool hideOtherForms() {
    for (const FormRegistryEntry& e : FormOpener.FormRegistry) {
        fw::Form* f = e.Form.Get();
        if (f && f->isVisible()) {
            fw::SetTagState(*f, TagHiddenForOther);
            f->Hide();
            hiddenWork.push_back(e.Form);
            return true;
        }
    }
    return false;
}

// Shows the forms HideOtherForms hid during a showing that failed, and forgets them.
void showHiddenAgain() {
    for (auto it = hiddenWork.rbegin(); it != hiddenWork.rend(); ++it)
        if (fw::Form* f = it->Get()) {
            fw::SetTagState(*f, TagShowingAgain);
            f->Show();
        }
    hiddenWork.clear();
}

// One attempt at showing; throws what showing threw.
void showOnce(fw::Form& form, bool& opened) {
    opened = true;
    if (dynamic_cast<KitForm*>(&form)) {
        fw::ScopedTagBits opening(form, fw::TagTablesOpening);
        opened = OpenFormTablesCancelable(&form);
        EndBusy();
        if (!opened) return;
        loadMode() != LoadModeModeless ? static_cast<void>(form.ShowModal()) : form.Show();
    } else {
        loadMode() != LoadModeModeless ? static_cast<void>(form.ShowModal()) : form.Show();
    }
}

enum class Attempt { Shown, Failed, Cancelled };

Attempt tryShow(fw::Form& form, std::string& failure) {
    try {
        bool opened = true;
        showOnce(form, opened);
        return Attempt::Shown;
    } catch (const std::exception& e) {
        if (form.isVisible()) form.Hide();
        if (Progress.Cancelled) {
            Progress.Cancelled = false;
            return Attempt::Cancelled;
        }
        if (!base::IsSilent(e)) failure = e.what();
        return Attempt::Failed;
    }
}

void showCallerAgain(fw::Form* caller, std::int32_t tagAtEntry, fw::Control* focused) {
    if (!caller || caller->isVisible()) return;
    if ((tagAtEntry & fw::TagStateMask) == TagHiddenForOther) fw::SetTagState(*caller, TagShowingAgain);
    caller->Show();
    if (focused) focused->SetFocus();
}

void runShowForm(FormVariable variable, fw::Form* caller) {
    fw::Form* form = variable.Get();
    if (!form) {
        EndBusy();
        if (Progress.WorkRunning) EndWork();
        return;
    }
    if (!caller) {
        EndBusy();
        return;
    }
    QPointer<fw::Form> callerAlive(caller);
    fw::Control* focused = caller->ActiveControl();
    const std::int32_t tagAtEntry = caller->Tag();
    if (alreadyOpen(variable, form, caller)) {
        EndBusy();
        return;
    }
    // A form shown again is no longer a candidate for freeing.
    removeReleasable(variable);
    hiddenWork.clear();
    if (loadMode() != LoadModeModeless) {
        fw::SetTagState(*caller, TagHiddenForOther);
        caller->Hide();
    }
    if (fw::TagState(*form) > TagShown) fw::SetTagState(*form, TagShown);
    Progress.Cancelled = false;

    std::string failure;
    Attempt attempt = tryShow(*form, failure);
    while (attempt == Attempt::Failed && hideOtherForms())
        attempt = tryShow(*form, failure);
    if (attempt != Attempt::Shown) {
        // Nothing shown: the forms hidden for it and the caller come back.
        showHiddenAgain();
        if (attempt == Attempt::Failed) {
            fw::MessageBeep(0);
            ClearProgress();
        }
        if (callerAlive) showCallerAgain(caller, tagAtEntry, focused);
        if (!failure.empty()) ShowInfo(failure);
        return;
    }
    form = variable.Get();
    if (form && form->isVisible()) {
        registerOpenForm(variable, caller);
        removeReleasable(variable);
        return;
    }
    if (form) {
        registerOpenForm(variable, caller);
        ReleaseForm(form);
    }
    if (callerAlive) showCallerAgain(caller, tagAtEntry, focused);
    if (loadMode() == LoadModeModalFreed && (form = variable.Get())) {
        UnregisterReleasable(form);
        delete form;
        variable.Clear();
    }
}

} // namespace

void ClearFormRegistries() {
    FormOpener.FormRegistry.clear();
    FormOpener.ReleasableRegistry.clear();
    hiddenWork.clear();
}

void ShowForm(FormVariable form, fw::Form* caller) {
    fw::Guarded([&] { runShowForm(form, caller); });
}

void ReleaseForm(fw::Form* form) {
    if (!form) return;
    FlushAllTables();
    CloseFormTables(form);
    auto it = std::find_if(FormOpener.FormRegistry.rbegin(), FormOpener.FormRegistry.rend(),
                           [&](const FormRegistryEntry& e) { return e.Form.Get() == form; });
    if (it == FormOpener.FormRegistry.rend()) return;
    const FormRegistryEntry entry = *it;
    FormOpener.FormRegistry.erase(std::next(it).base());
    addReleasable(entry.Form);
    if (fw::Form* companion = entry.CompanionForm.Get()) companion->Close();
    for (auto h = entry.HiddenFormList.rbegin(); h != entry.HiddenFormList.rend(); ++h)
        if (fw::Form* f = h->Get()) {
            fw::SetTagState(*f, TagShowingAgain);
            f->Show();
        }
    for (auto e = FormOpener.FormRegistry.rbegin(); e != FormOpener.FormRegistry.rend(); ++e)
        if (e->CompanionForm == entry.Form) {
            e->CompanionForm = FormVariable();
            if (fw::Form* f = e->Form.Get(); f && f->isVisible()) f->BringToFront();
            break;
        }
}

void UnregisterReleasable(const fw::Form* form) {
    auto it = std::find_if(FormOpener.ReleasableRegistry.begin(), FormOpener.ReleasableRegistry.end(),
                           [&](const FormVariable& v) { return v.Get() == form; });
    if (it != FormOpener.ReleasableRegistry.end()) FormOpener.ReleasableRegistry.erase(it);
}

void CreateFormWithRetry(fw::Form* caller, const std::function<fw::Form*()>& create, FormVariable variable) {
    std::string failure;
    for (;;) {
        try {
            create();
            return;
        } catch (const std::exception& e) {
            variable.Clear();
            if (!base::IsSilent(e)) failure = e.what();
        }
        if (!ReleaseResources(caller)) break;
    }
    if (!failure.empty()) ShowInfo(failure);
}

// ------------------------------------------------------------------------------------------- behaviour

namespace {

class TagStateBehaviour : public fw::FormBehaviour {
public:
    void DoShow(fw::Form& form) override {
        switch (fw::TagState(form)) {
        case TagUnmanaged:
        case TagShown:
            form.RunShowEvent();
            break;
        case TagShowingAgain:
            form.RunActivateEvent();
            fw::SetTagState(form, TagShownAgain);
            break;
        default:
            break;
        }
    }
    void DoHide(fw::Form& form) override {
        const std::int32_t state = fw::TagState(form);
        if (state == TagHiddenForOther) return;
        form.RunHideEvent();
        if (state != TagUnmanaged) fw::SetTagState(form, TagShown);
    }
    void Activate(fw::Form& form) override {
        const std::int32_t state = fw::TagState(form);
        if (state == TagShowingAgain) {
            form.RunActivateEvent();
            fw::SetTagState(form, TagShown);
        } else if (state == TagUnmanaged) {
            form.RunActivateEvent();
        }
    }
    void Close(fw::Form& form) override { form.StandardClose((form.Tag() & 0xFF) != 0); }
};

TagStateBehaviour tagStateBehaviour;

} // namespace

void InstallFormBehaviour() {
    fw::SetFormBehaviour(&tagStateBehaviour);
}

// ------------------------------------------------------------------------------------------- tables

void FlushOneTable(fw::TDataSet& dataSet) {
    if (FormOpener.FlushTableProc) FormOpener.FlushTableProc(dataSet);
}

void CloseTable(TMyTableX& table) {
    if (!table.Active()) return;
    const bool old = table.SoftClose;
    table.SoftClose = true;
    try {
        table.Close();
    } catch (...) {
        table.SoftClose = old;
        throw;
    }
    table.SoftClose = old;
}

std::vector<TMyTableX*> FormTables(const fw::Form& form) {
    std::vector<TMyTableX*> tables;
    for (int i = form.ComponentCount() - 1; i >= 0; --i) {
        auto* data = dynamic_cast<DataComponent*>(form.Components(i));
        if (!data) break;
        if (TMyTableX* t = data->KitTable(); t && tables.size() < MaxFormTables) tables.push_back(t);
    }
    return tables;
}

namespace {

bool openUnderneath(const TMyTableX& t) {
    return t.State() != fw::dsInactive;
}

// Opens a table, retrying a resource shortage while idle tables can be closed; a bounded number of times.
void openWithRetry(TMyTableX& t) {
    const int tries = SlotCount() + 1;
    for (int attempt = 1;; ++attempt) {
        try {
            t.Open();
            return;
        } catch (const std::exception& e) {
            if (Progress.Cancelled || !FormOpener.IsResourceShortage(e) || attempt >= tries) throw;
        }
        int yields = 0;
        while (IdleCount() == 0 && yields < 500 && YieldIfAllowed())
            ++yields;
        if (IdleCount() == 0) base::RaiseCancel();
    }
}

// Runs f on each table in rounds while one fails, at most five failed rounds; from the sixth failure on
// each is shown with the table's name and the text.
void inRounds(const std::vector<TMyTableX*>& tables, const std::string& what,
              const std::function<void(TMyTableX&)>& f) {
    int failed = 0;
    bool again = true;
    while (again && failed <= 5) {
        again = false;
        for (TMyTableX* t : tables) {
            try {
                f(*t);
            } catch (const std::exception& e) {
                if (base::IsSilent(e)) throw;
                ++failed;
                again = true;
                if (failed >= 6) ShowInfo(t->TableName() + what + e.what());
            }
        }
    }
}

} // namespace

bool LoadFormTables(fw::Form* form, bool thenClose) {
    if (!form || loadNesting > 0) return false;
    ++loadNesting;
    struct Nesting {
        ~Nesting() { --loadNesting; }
    } nesting;
    std::vector<TMyTableX*> tables;
    bool result = true;
    try {
        {
            LockScope lock(DBMine.RegistryLock, LockNo::LoadFormTables);
            tables = FormTables(*form);
            for (TMyTableX* t : tables) {
                t->NoLimit = true;
                if (!t->ControlsDisabled()) t->DisableControls();
                if (openUnderneath(*t) && !t->Active() && t->AutoOpen) OpenQuietly(*t);
            }
        }
        if (tables.empty()) {
            EndWork();
            return true;
        }
        int toOpen = 0;
        for (TMyTableX* t : tables)
            if (t->AutoOpen && !openUnderneath(*t)) ++toOpen;
        if (toOpen > 0) BeginOpenTables(toOpen);
        EndWork();
        std::string lastError;
        int errors = 0;
        for (TMyTableX* t : tables) {
            if (!t->AutoOpen || t->Active()) continue;
            try {
                openWithRetry(*t);
            } catch (const std::exception& e) {
                if (Progress.Cancelled || base::IsSilent(e)) throw;
                lastError = e.what();
                ++errors;
                ProgressStep();
            }
        }
        if (errors == 0 && !thenClose) {
            inRounds(tables, ": Greška kod uključivanja.\r\n", [](TMyTableX& t) {
                while (t.ControlsDisabled())
                    t.EnableControls();
            });
            inRounds(tables, ": Greška kod osvježavanja.\r\n", [](TMyTableX& t) {
                if (t.Active()) t.Refresh();
            });
        }
        if (errors > 0) {
            ShowInfo(lastError);
            result = false;
        }
        if (thenClose)
            for (TMyTableX* t : tables)
                if (t->AutoOpen && t->Active()) CloseTable(*t);
    } catch (const std::exception&) {
        result = false;
        if (!Progress.CancelOption) AbortProgress();
    }
    for (TMyTableX* t : tables)
        t->NoLimit = false;
    return result;
}

bool LoadFormTablesCancelable(fw::Form* form, bool thenClose) {
    const bool old = Progress.CancelOption;
    ShowCancelButton(true);
    bool ok = false;
    try {
        ok = LoadFormTables(form, thenClose);
    } catch (...) {
        ShowCancelButton(old);
        throw;
    }
    ShowCancelButton(old);
    if (!ok) {
        if (Progress.CancelOption)
            Progress.CancelRequested = true;
        else
            AbortProgress();
    }
    return ok;
}

bool OpenFormTables(fw::Form* form) {
    return LoadFormTables(form, false);
}
bool OpenFormTablesCancelable(fw::Form* form) {
    return LoadFormTablesCancelable(form, false);
}
bool OpenCloseFormTables(fw::Form* form) {
    return LoadFormTablesCancelable(form, true);
}

void CloseFormTables(fw::Form* form) {
    if (!form) return;
    for (TMyTableX* t : FormTables(*form))
        if (t->AutoOpen && t->Active()) CloseTable(*t);
}

void CloseAllFormTables(fw::Form* form) {
    if (!form) return;
    std::vector<TMyTableX*> open;
    {
        LockScope lock(DBMine.RegistryLock, LockNo::CloseAllFormTables);
        for (TMyTableX* t : FormTables(*form))
            if (openUnderneath(*t) || t->HandleKept) {
                open.push_back(t);
                t->DisableControls();
            }
    }
    for (TMyTableX* t : open) {
        CloseQuietly(*t);
        t->EnableControls();
    }
}

void FlushFormTables(fw::Form* form) {
    if (!form) return;
    for (TMyTableX* t : FormTables(*form))
        if (openUnderneath(*t)) FlushOneTable(*t);
}

namespace {

template <class F> void forEachDataSetBackwards(fw::TSession& session, F&& f) {
    for (int d = session.DatabaseCount() - 1; d >= 0; --d) {
        fw::TDatabase& db = session.Databases(d);
        for (int i = db.DataSetCount() - 1; i >= 0; --i)
            if (i < db.DataSetCount()) f(db.DataSets(i));
    }
}

} // namespace

void FlushAllTables() {
    forEachDataSetBackwards(fw::Session(), [](fw::TDBDataSet& ds) { FlushOneTable(ds); });
    if (FormOpener.KitSessionB)
        forEachDataSetBackwards(*FormOpener.KitSessionB, [](fw::TDBDataSet& ds) { FlushOneTable(ds); });
}

void CloseAllDatabases() {
    LockScope lock(DBMine.RegistryLock, LockNo::CloseAllDatabases);
    auto closeOthers = [](fw::TSession& session) {
        forEachDataSetBackwards(session, [](fw::TDBDataSet& ds) {
            auto* t = dynamic_cast<fw::TTable*>(&ds);
            if (!t || base::UpperCase(t->TableName()) != "OPEN.DB") CloseQuietly(ds);
        });
    };
    closeOthers(fw::Session());
    if (FormOpener.KitSessionB) closeOthers(*FormOpener.KitSessionB);
    CloseAllListed();
    auto closeAll = [](fw::TSession& session) {
        for (int d = session.DatabaseCount() - 1; d >= 0; --d) {
            fw::TDatabase& db = session.Databases(d);
            while (db.DataSetCount() > 0)
                CloseQuietly(db.DataSets(0));
            db.Close();
        }
    };
    closeAll(fw::Session());
    if (FormOpener.KitSessionB) closeAll(*FormOpener.KitSessionB);
}

bool LimitOpenTables(fw::TDataSet& dataSet) {
    if (IdleCount() == 0) return false;
    bool r = CloseOneOpenTable(dataSet);
    while (r && IdleCount() >= 1 && DistinctOpen() > DBMine.MaxOpenTables)
        r = CloseOneOpenTable(dataSet);
    return r;
}

bool CloseOneOpenTable(fw::TDataSet& dataSet) {
    if (IdleCount() == 0) return false;
    auto* table = dynamic_cast<TMyTableX*>(&dataSet);
    const bool held = table && table->RegistryHeld;
    LockScope lock(DBMine.RegistryLock, LockNo::CloseOneOpenTable, !held);
    struct Held {
        TMyTableX* t;
        bool old;
        ~Held() {
            if (t) t->RegistryHeld = old;
        }
    } restore{table, held};
    if (table) table->RegistryHeld = true;
    fw::TSession& a = fw::Session();
    switch (IdleHeadKind()) {
    case 1:
        return CloseOneTableIn(&a, "LOKAL", FormOpener.KitSessionB, "LOKAL2") ||
               CloseOneTableIn(FormOpener.KitSessionB, "LOKAL2", &a, "LOKAL");
    case 2:
        return CloseOneTableIn(&a, "GLOBAL", FormOpener.KitSessionB, "GLOBAL2") ||
               CloseOneTableIn(FormOpener.KitSessionB, "GLOBAL2", &a, "GLOBAL");
    case 3:
        return CloseOneTableIn(&a, "LINK", nullptr, "") ||
               CloseOneTableIn(FormOpener.KitSessionB, "LINK", nullptr, "");
    default:
        return false;
    }
}

bool CloseOneTableIn(fw::TSession* session, const std::string& databaseName, fw::TSession* otherSession,
                     const std::string& otherName) {
    if (!session) return false;
    fw::TDatabase* db = session->FindDatabase(databaseName);
    if (!db) return false;
    const int slot = IdleHeadSlot();
    fw::TDatabase* other = otherSession ? otherSession->FindDatabase(otherName) : nullptr;
    for (int i = 0; i < db->DataSetCount(); ++i) {
        auto* first = dynamic_cast<TMyTableX*>(&db->DataSets(i));
        if (!first || first->Slot != slot) continue;
        int n = Table_Open(*first) - 1;
        std::vector<TMyTableX*> found{first};
        auto collect = [&](fw::TDatabase& d, int from) {
            for (int j = from; j < d.DataSetCount() && n > 0; ++j)
                if (auto* t = dynamic_cast<TMyTableX*>(&d.DataSets(j)); t && t->Slot == slot) {
                    found.push_back(t);
                    --n;
                }
        };
        collect(*db, i + 1);
        if (other) collect(*other, 0);
        if (n != 0) continue;
        for (TMyTableX* t : found)
            if (!t->ControlsDisabled()) t->DisableControls();
        for (TMyTableX* t : found)
            CloseKeepingHandle(*t);
        return true;
    }
    return false;
}

// ------------------------------------------------------------------------------------------- keys

bool ActiveControlIsKit(const fw::Form& form) {
    if (auto* kit = dynamic_cast<const KitForm*>(&form)) return kit->ActiveControlIsKit();
    return false;
}

bool EnterAsTab(fw::Form* form, std::uint8_t& key) {
    if (FormOpener.KeyHandled || !form || ActiveControlIsKit(*form) || key != 13) return false;
    // Text the files refused is not dropped by the leave: Enter tells why again, and the user stays.
    if (auto* data = dynamic_cast<fw::DataControl*>(form->ActiveControl())) {
        try {
            data->RaiseTypingRefusal();
        } catch (const std::exception& e) {
            key = 0;
            TellRefusal(e);
            return true;
        }
    }
    MoveFocus(form->ActiveControl(), true);
    key = 0;
    return true;
}

void SelectAllText(fw::Control* control) {
    if (auto* edit = dynamic_cast<fw::Edit*>(control)) edit->SelectAll();
}

} // namespace app
