#pragma once
// Where the codes of the registers are used: for each register, the tables that store its key. A row whose
// key other rows store is not deleted; the refusal says what uses it.

#include "engine/Engine.h"

#include <functional>
#include <string>
#include <vector>

namespace fw {
class TDataSet;
}

namespace app {

// A Croatian noun in the three forms that follow a number (1, 2-4, 5 and more).
struct CountedNoun {
    const char* One;
    const char* Few;
    const char* Many;
};

// One table storing a register's key in one or more fields.
struct CodeUse {
    const char* Register;  // the register's table file ("GRUPE.DB")
    const char* Database;  // of the using table: "Global" or "Lokal"
    const char* Table;     // the using table ("SIF_ROBE.DB")
    const char* Fields;    // ";"-separated fields holding the key; a row counts once
    CountedNoun What;      // what one of its rows is to the user
    const char* NameField; // the using row's field that names it ("" when none)
    // A name taken from another table of the same database (the row's NameField is its key there).
    const char* NameTable = "";
    const char* NameTableKey = "";
    const char* NameTableField = "";
    // A number of the using row told after its name ("1/2026 stavka 5"): each row is then a user of its own.
    const char* ItemField = "";
    const char* ItemLabel = "";
};

// How a register's rows are told apart for the check.
struct CodeRegister {
    const char* Table;    // "SIF_BOJA.DB"
    const char* Database; // "Global" or "Lokal"
    const char* Key;      // the field others store ("Code")
    // Other rows with the same key and these fields keep the key in use ("" when the key is unique).
    const char* Scope;
    // Only the own company's rows (field "Partner") are looked up by others.
    bool OwnRowsOnly;
};

const std::vector<CodeRegister>& CodeRegisters();
const std::vector<CodeUse>& CodeUses();

// What uses the key of a register row, one text per using table ("3 artikla", "1 sistem (ALU70)"); empty
// when nothing does. `field` gives the row's values by field name.
std::vector<std::string> UsesOfRow(const std::string& tableName, const std::string& databaseName,
                                   const std::function<engine::Value(const std::string& field)>& field);

// The number and noun: "1 artikl", "3 artikla", "12 artikala".
std::string CountedText(long long count, const CountedNoun& noun);

// Tells the user what uses the key of the dataset's current row; false (and nothing shown) when nothing does.
bool TellUsesOfRow(fw::TDataSet& dataSet);
// Refuses deleting the dataset's current row when other rows use its key: tells the user what uses it and
// raises the silent Abort.
void RefuseDeletingUsedRow(fw::TDataSet& dataSet);

} // namespace app
