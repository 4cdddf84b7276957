#pragma once
// The packing engine behind TZipMaster: one in-process call that adds files to a zip archive, built on
// libzip. It takes the same settings the component has always handed to its zip library, and reports
// back through the same callback record.

#include "base/Exceptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace app {

// What the engine passes to the callback. Action codes: 1 a new file (Text its entry name, FileSize its
// size), 2 progress of the write, 3 end of the batch, 4 and above a message (ErrorCode, Text).
struct ZipCallbackRecord {
    void* Caller = nullptr;
    int ActionCode = 0;
    int ErrorCode = 0;
    std::int64_t FileSize = 0;
    std::string Text;
};

// Answers 0 to go on, -1 to cancel the run.
using ZipCallbackProc = std::function<int(const ZipCallbackRecord&)>;

// The settings of one run.
struct ZipParams {
    void* Caller = nullptr; // given back in every callback
    int Version = 140;
    ZipCallbackProc Callback;
    bool Trace = false;
    std::string Password;
    bool Encrypt = false;
    bool HiddenFiles = false; // also take names starting with "."
    bool Verbose = false;     // report each file through a message
    int CompressionLevel = 9; // 0 stores
    bool NoDirNames = false;  // store bare file names
    bool RecurseDirs = false;
    bool ForceDOS = false; // 8.3 names in capitals
    bool Move = false;     // delete the files once they are safely in the archive
    bool Update = false;   // add new files, replace entries older than their file
    bool Freshen = false;  // only replace entries older than their file
    bool ZipTime = false;  // the archive gets the time of its newest entry
    std::string ZipFilename;
    std::vector<std::string> FileSpecs; // folder + file mask ("*" and "?", case-insensitive)
    // When set, the file whose bytes go into a selected file's entry: a copy taken as the file is added,
    // which the archive's write reads later. An exception from it stops the run.
    std::function<std::string(const std::string& file)> ReadFrom;
};

// A run that could not be completed; the archive on disk is left as it was before the run.
class ZipError : public base::Exception {
public:
    using base::Exception::Exception;
};

// Adds the files the file patterns select to the archive (created when missing) and answers the number
// of entries added or replaced. Entry names are relative to the archive's folder ("QK.INI",
// "global/PARTNER.DB"); a file outside that folder keeps its full path without the leading "/". Each file is
// stored once, under the first pattern that selects it. Throws ZipError when the run fails or is
// cancelled.
int ZipDllExec(const ZipParams& params);

} // namespace app
