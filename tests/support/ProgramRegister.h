#pragma once
// What tests that start the real program read back while it runs: the register of open tables, and a
// bounded wait for a condition.

#include "fw/db/Field.h"
#include "fw/db/Table.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

namespace testsupport {

// {File: Open} of the register of open tables in a folder; empty when it cannot be read yet.
inline std::map<std::string, int> OpenTablesRegister(const std::filesystem::path& folder) {
    std::map<std::string, int> rows;
    try {
        fw::TTable t;
        t.SetDatabaseName(folder.string());
        t.SetTableName("OPEN.DB");
        t.Open();
        for (t.First(); !t.Eof(); t.Next())
            rows[t.FieldByName("File").AsString()] = static_cast<int>(t.FieldByName("Open").AsInteger());
    } catch (const std::exception&) {
        rows.clear();
    }
    return rows;
}

// Waits for the condition at most a minute (a guard against a hang, not a speed target).
template <class Condition> bool WaitUntil(Condition&& condition) {
    for (int i = 0; i < 1200; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

} // namespace testsupport
