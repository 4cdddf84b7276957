#pragma once
// Forms created on demand and shown over their caller: the opener pattern, ShowForm with the TagState
// protocol, the registries of open and releasable forms, and the services that open, flush and close the
// tables of a form and of the whole program.

#include "fw/ui/Application.h"
#include "fw/ui/Form.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace fw {
class TDataSet;
class TSession;
} // namespace fw

namespace app {

class TMyTableX;

// The address of a unit's form variable, whatever the form's class: the registries keep these, so a form
// freed by the resource guard reads nil through its variable.
class FormVariable {
public:
    FormVariable() = default;
    template <class T>
    FormVariable(T*& variable) : address_(&variable), get_(&getOf<T>), clear_(&clearOf<T>) {}

    bool IsNull() const { return address_ == nullptr; }
    fw::Form* Get() const { return address_ ? get_(address_) : nullptr; }
    void Clear() const {
        if (address_) clear_(address_);
    }
    bool operator==(const FormVariable& other) const { return address_ == other.address_; }

private:
    template <class T> static fw::Form* getOf(void* a) { return *static_cast<T**>(a); }
    template <class T> static void clearOf(void* a) { *static_cast<T**>(a) = nullptr; }
    void* address_ = nullptr;
    fw::Form* (*get_)(void*) = nullptr;
    void (*clear_)(void*) = nullptr;
};

// What the shell needs to know of the kit's base form and table without depending on the kit.
class KitForm {
public:
    virtual ~KitForm() = default;
    // The form's active control is one of the kit's data controls.
    virtual bool ActiveControlIsKit() const = 0;
};
// A data component of a form (table, database, data source, field): the form-table walks run over the
// trailing run of these among the form's components.
class DataComponent {
public:
    virtual ~DataComponent() = default;
    // The kit table behind the component, nullptr for the other data components.
    virtual TMyTableX* KitTable() { return nullptr; }
};

// The opener's state of a form, kept in the low bits of its Tag (fw::TagState): it tells the form's show,
// hide and activate events whether the opener hid the form for another one or is showing it again.
enum FormTagState : std::int32_t {
    TagUnmanaged = 0,      // never shown through ShowForm: its events run as usual
    TagShown = 1,          // shown or hidden by the user: its show and hide events run
    TagHiddenForOther = 2, // hidden while a form opened from it shows: no hide event
    TagShowingAgain = 3,   // being shown again after that: the activate event instead of the show event
    TagShownAgain = 4,     // shown again and its activate event already run
};

// The most entries either registry holds.
inline constexpr std::size_t MaxRegistryEntries = 255;
// The most tables one form-table walk takes.
inline constexpr std::size_t MaxFormTables = 128;

struct FormRegistryEntry {
    FormVariable Form;
    FormVariable CompanionForm;               // the form last opened (modeless) from this one
    std::vector<FormVariable> HiddenFormList; // forms hidden so that this one could show
};

// The dataset services' FlushTable of the table.
void FlushThroughServices(fw::TDataSet& dataSet);
// Out of memory or of file handles.
bool IsShortOfResources(const std::exception& e);

struct FormOpenerState {
    std::vector<FormRegistryEntry> FormRegistry;
    // Forms that closed and may be freed by the resource guard; no duplicates.
    std::vector<FormVariable> ReleasableRegistry;
    // The two hooks every opener calls; the kit's start-up points them at BeginFormCreation and ShowForm.
    std::function<void()> FormCreationHook;
    std::function<void(FormVariable form, fw::Form* caller)> FormShowingHook;
    // Writes a table's changes to its files: the dataset services' FlushTable, replaceable for tests.
    std::function<void(fw::TDataSet& dataSet)> FlushTableProc = FlushThroughServices;
    // An open failure that closing an idle table may cure (out of memory, file handles).
    std::function<bool(const std::exception& e)> IsResourceShortage = IsShortOfResources;
    // The second session whose datasets the table services walk (none by default).
    fw::TSession* KitSessionB = nullptr;
    // Set by the kit's key handling when the key must not move the focus on Enter.
    bool KeyHandled = false;
};
// Reset with the program's state, with the forms hidden during a showing and the load nesting.
extern FormOpenerState FormOpener;

void ShowForm(FormVariable form, fw::Form* caller);
template <class T> void ShowForm(T*& form, fw::Form* caller) {
    ShowForm(FormVariable(form), caller);
}
void ReleaseForm(fw::Form* form);
void UnregisterReleasable(const fw::Form* form);
// Drops every entry of both registries (start-up and tests).
void ClearFormRegistries();

// Creates the form (owner: the application) when its variable is nil, retrying through the resource guard
// while it frees something; `prepare` stores the opener's arguments in the form; then the showing hook.
void CreateFormWithRetry(fw::Form* caller, const std::function<fw::Form*()>& create, FormVariable variable);
template <class T>
void OpenForm(T*& variable, fw::Form* caller, const std::function<void(T&)>& prepare = {}) {
    if (!variable) {
        if (FormOpener.FormCreationHook) FormOpener.FormCreationHook();
        CreateFormWithRetry(
            caller,
            [&]() -> fw::Form* {
                variable = fw::CreateForm<T>(&fw::Application::Instance());
                return variable;
            },
            FormVariable(variable));
    }
    if (variable && prepare) prepare(*variable);
    if (FormOpener.FormShowingHook) FormOpener.FormShowingHook(FormVariable(variable), caller);
}

// The TagState protocol of DoShow, DoHide, Activate and Close for every form (installed at start-up).
void InstallFormBehaviour();

// --- the tables of a form

// Closes a table softly: it stays open underneath as an idle table of its slot.
void CloseTable(TMyTableX& table);
// The kit tables of the trailing run of data components of the form, last component first.
std::vector<TMyTableX*> FormTables(const fw::Form& form);
bool LoadFormTables(fw::Form* form, bool thenClose);
bool LoadFormTablesCancelable(fw::Form* form, bool thenClose);
bool OpenFormTables(fw::Form* form);
bool OpenFormTablesCancelable(fw::Form* form);
bool OpenCloseFormTables(fw::Form* form);
void CloseFormTables(fw::Form* form);
void CloseAllFormTables(fw::Form* form);
void FlushFormTables(fw::Form* form);
void FlushAllTables();
void CloseAllDatabases();

void FlushOneTable(fw::TDataSet& dataSet);

bool LimitOpenTables(fw::TDataSet& dataSet);
bool CloseOneOpenTable(fw::TDataSet& dataSet);
bool CloseOneTableIn(fw::TSession* session, const std::string& databaseName, fw::TSession* otherSession,
                     const std::string& otherName);

// --- keys

// Reads whether the form's active control is a kit control; forms that are not kit forms answer false.
bool ActiveControlIsKit(const fw::Form& form);
bool EnterAsTab(fw::Form* form, std::uint8_t& key);
void SelectAllText(fw::Control* control);

} // namespace app
