#pragma once
// The registers that follow the code-list pattern as it stands: one table searched by its code, the fields
// of the current code in edits, and the codes of other registers it links to. Each is its own form class
// with its own opener; the form is made on first use and kept in its variable.

#include "kit/LookupFields.h"
#include "registers/CodeListForm.h"

#include <string>
#include <vector>

namespace registers {

// An edit of the current code.
struct FieldLayout {
    enum class Kind { Var, Name, Check, Radio, Memo };
    const char* Field;
    const char* Caption;
    Kind EditKind = Kind::Var;
    int Width = 200;
    // A radio group's items and the value each stores.
    std::vector<std::string> Items = {};
    std::vector<std::string> Values = {};
};
// A field holding the link key ("Code") of a row of another register, shown by that row's display field.
struct LinkLayout {
    const char* Field;
    const char* Table;
    const char* Caption;
    const char* Display = "Sifra";
    // The linked table's index, its key field and the main table's fields it follows (the link field
    // alone when empty).
    const char* Index = "Code";
    const char* LookupField = "Code";
    const char* MasterFields = "";
    // The lookup's name ("c" + the link field when empty) and the table whose register F2 opens (the
    // linked table's own when empty).
    const char* Name = "";
    const char* Register = "";
    // A code that does not exist is refused rather than offered for creation.
    bool MustExist = false;
};
struct RegisterLayout {
    const char* Name;
    const char* Caption;
    const char* Noun; // the save button's caption
    const char* Table;
    const char* KeyField;
    const char* KeyCaption;
    std::vector<FieldLayout> Fields;
    std::vector<LinkLayout> Links;
    bool SelectOnWriteBack = true;
};

class TPlainCodeList : public TCodeListForm {
public:
    TPlainCodeList(fw::Component* owner, const RegisterLayout& layout);

    // The link tables (slaves of the main table by the link field), in the order of the layout.
    std::vector<kit::TMyTable*> LinkTables;
    // Their lookups ("c" + the link field unless the layout names them).
    std::vector<kit::LookupControl*> Lookups;

protected:
    std::vector<fw::TTable*> PostedTables() const override;
    const RegisterLayout& layout_;
};

class TSifarnikGovora : public TPlainCodeList {
public:
    explicit TSifarnikGovora(fw::Component* owner);
};
class TSifarnikZemalja : public TPlainCodeList {
public:
    explicit TSifarnikZemalja(fw::Component* owner);
};
class TSifarnikPosti : public TPlainCodeList {
public:
    explicit TSifarnikPosti(fw::Component* owner);
};
class TSifarnikDjelatnosti : public TPlainCodeList {
public:
    explicit TSifarnikDjelatnosti(fw::Component* owner);
};
class TSifarnikVrstaArtikli : public TPlainCodeList {
public:
    explicit TSifarnikVrstaArtikli(fw::Component* owner);
};
class TSifarnikGrupaAmortizacije : public TPlainCodeList {
public:
    explicit TSifarnikGrupaAmortizacije(fw::Component* owner);
};
class TSifarnikGrupaRevalorizacije : public TPlainCodeList {
public:
    explicit TSifarnikGrupaRevalorizacije(fw::Component* owner);
};
class TSifarnikJedinica : public TPlainCodeList {
public:
    explicit TSifarnikJedinica(fw::Component* owner);
};
class TSifarnikZiroRn : public TPlainCodeList {
public:
    explicit TSifarnikZiroRn(fw::Component* owner);
};
class TSifarnikValuta : public TPlainCodeList {
public:
    explicit TSifarnikValuta(fw::Component* owner);
};
// The tariff groups fill a new group's accounts with the default accounts of the settings.
class TSifarnikGrupaPoreza : public TPlainCodeList {
public:
    explicit TSifarnikGrupaPoreza(fw::Component* owner);
    void tTableNewRecord(fw::TDataSet& dataSet);
};
class TSifarnikGrupaCarine : public TPlainCodeList {
public:
    explicit TSifarnikGrupaCarine(fw::Component* owner);
    void tTableNewRecord(fw::TDataSet& dataSet);
};

struct PlainRegisterForms {
    TSifarnikGovora* SifarnikGovora = nullptr;
    TSifarnikZemalja* SifarnikZemalja = nullptr;
    TSifarnikPosti* SifarnikPosti = nullptr;
    TSifarnikDjelatnosti* SifarnikDjelatnosti = nullptr;
    TSifarnikVrstaArtikli* SifarnikVrstaArtikli = nullptr;
    TSifarnikGrupaAmortizacije* SifarnikGrupaAmortizacije = nullptr;
    TSifarnikGrupaRevalorizacije* SifarnikGrupaRevalorizacije = nullptr;
    TSifarnikJedinica* SifarnikJedinica = nullptr;
    TSifarnikZiroRn* SifarnikZiroRn = nullptr;
    TSifarnikValuta* SifarnikValuta = nullptr;
    TSifarnikGrupaPoreza* SifarnikGrupaPoreza = nullptr;
    TSifarnikGrupaCarine* SifarnikGrupaCarine = nullptr;
};
// The form variables; reset with the program's state (the forms stay with their owner).
extern PlainRegisterForms PlainForms;

void PrikaziGovore(fw::Form* caller);
void PrikaziZemlje(fw::Form* caller);
void PrikaziPoste(fw::Form* caller);
void PrikaziDjelatnosti(fw::Form* caller);
void PrikaziVrsteArtikala(fw::Form* caller);
void PrikaziGrupeAmortizacije(fw::Form* caller);
void PrikaziGrupeRevalorizacije(fw::Form* caller);
void PrikaziJedinice(fw::Form* caller);
void PrikaziZiroRacune(fw::Form* caller);
void PrikaziValute(fw::Form* caller);
void PrikaziGrupePoreza(fw::Form* caller);
void PrikaziGrupeCarine(fw::Form* caller);

} // namespace registers
