#pragma once
// The field list and the index list of a table as stored, or as they are to be created.

#include "fw/db/FieldType.h"

#include <functional>
#include <string>
#include <vector>

namespace fw {

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0; // characters of a string field, bytes kept in the row for a memo field, else 0
    bool Required = false;
    int FieldNo = 0; // 1-based column
};

class TFieldDefs {
public:
    void Clear() { items_.clear(); }
    TFieldDef& Add(const std::string& name, TFieldType type, int size = 0, bool required = false);
    int Count() const { return static_cast<int>(items_.size()); }
    const TFieldDef& Items(int i) const { return items_.at(static_cast<std::size_t>(i)); }
    TFieldDef& Items(int i) { return items_.at(static_cast<std::size_t>(i)); }
    const TFieldDef& operator[](int i) const { return Items(i); }
    // Case-insensitive; -1 when absent.
    int IndexOf(const std::string& name) const;
    const TFieldDef* Find(const std::string& name) const;
    // Reads the stored list from the owner's table (the owner's UpdateFieldDefs).
    void Update();
    const std::vector<TFieldDef>& List() const { return items_; }

private:
    friend class TDataSet;
    std::vector<TFieldDef> items_;
    std::function<void()> update_;
};

struct TIndexDef {
    std::string Name;   // empty for the primary index
    std::string Fields; // field names separated by ";", as given
    TIndexOptions Options = 0;
};

class TIndexDefs {
public:
    void Clear() { items_.clear(); }
    TIndexDef& Add(const std::string& name, const std::string& fields, TIndexOptions options);
    int Count() const { return static_cast<int>(items_.size()); }
    const TIndexDef& Items(int i) const { return items_.at(static_cast<std::size_t>(i)); }
    const TIndexDef& operator[](int i) const { return Items(i); }
    // Exact name (case-insensitive); -1 when absent.
    int IndexOf(const std::string& name) const;
    // The index on exactly these fields (names case-insensitive), or nullptr.
    const TIndexDef* FindIndexForFields(const std::string& fields) const;
    // Reads the stored list from the owner's table.
    void Update();
    const std::vector<TIndexDef>& List() const { return items_; }

private:
    friend class TTable;
    std::vector<TIndexDef> items_;
    std::function<void()> update_;
};

// Splits a ";"-separated field list; blanks around names are dropped.
std::vector<std::string> SplitFieldNames(const std::string& fields);

} // namespace fw
