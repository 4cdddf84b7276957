#pragma once
// Checks one operation at every write point it has, in the way of a crash test: (a) the process ends right
// after write N, for every N up to its last write, and a fresh process then finds the operation wholly done
// or wholly not done; (b) write N or sync N fails with EIO or ENOSPC, and the operation reports a clear error
// naming the file, leaves nothing half-written and leaves its tables usable; (c) when the scenario asks, the
// power goes at each sync point, and a disk that keeps only what was synced is found wholly done or not.

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace testsupport {

enum class Outcome { NotDone, Done, Broken };
inline std::ostream& operator<<(std::ostream& out, Outcome o) {
    return out << (o == Outcome::NotDone ? "not done" : o == Outcome::Done ? "done" : "broken");
}

struct WritePointScenario {
    std::string Name;
    // What every error message of the operation must name: the table's file name or its stem (alternatives
    // separated by "|").
    std::string FileName;
    // Builds the folder the operation starts from: its tables and the rows saved before it.
    std::function<void(const std::filesystem::path& folder)> Setup;
    // The operation as the program runs it, from opening its tables to closing them. When the operation
    // throws, it goes on with the same open tables (writes a row and reads it back, expecting success)
    // and returns the error's text; it returns "" when the operation succeeded.
    std::function<std::string(const std::filesystem::path& folder)> Run;
    // Opened afresh: Done or NotDone when the rows saved before are all intact and the operation's change
    // is wholly there or wholly absent, otherwise Broken with what is wrong in `problem`.
    std::function<Outcome(const std::filesystem::path& folder, std::string& problem)> Observe;
    // (c) as well: the power goes at each sync point and after the operation returned (everything the
    // operation writes is in the folder).
    bool PowerCut = false;
};

struct WritePointCounts {
    int Writes = 0;
    int Syncs = 0;
};

// Runs (a) and (b) for every write and sync point of the scenario, reports the counts (a test property
// and a line on standard output) and returns them.
WritePointCounts CheckEveryWritePoint(const WritePointScenario& scenario);

} // namespace testsupport
