#include "app/archive/ZipMaster.h"

#include "base/ProgramState.h"

#include <iostream>

namespace app {

ZipMasterState ZipMaster;

namespace {

[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::App, [] { ZipMaster = ZipMasterState(); });

// Clears the run's flags however the run ends.
class RunFlags {
public:
    RunFlags(std::atomic<bool>& busy, std::atomic<bool>& cancel) : busy_(busy), cancel_(cancel) {
        busy_ = true;
        cancel_ = false;
    }
    ~RunFlags() {
        cancel_ = false;
        busy_ = false;
    }
    RunFlags(const RunFlags&) = delete;
    RunFlags& operator=(const RunFlags&) = delete;

private:
    std::atomic<bool>& busy_;
    std::atomic<bool>& cancel_;
};

std::string WithoutLineEnd(std::string text) {
    for (int i = 0; i < 2 && !text.empty() && (text.back() == '\r' || text.back() == '\n'); ++i)
        text.pop_back();
    return text;
}

} // namespace

static thread_local const ZipMessageProc* threadMessageProc = nullptr;

ZipMessageRedirect::ZipMessageRedirect(ZipMessageProc proc)
    : proc_(std::move(proc)), previous_(threadMessageProc) {
    threadMessageProc = &proc_;
}

ZipMessageRedirect::~ZipMessageRedirect() {
    threadMessageProc = previous_;
}

void SetZipShowMessage(ZipMessageProc proc) {
    ZipMaster.MessageProc = std::move(proc);
}

void ZipShowMessage(const std::string& text) {
    if (threadMessageProc && *threadMessageProc)
        (*threadMessageProc)(text);
    else if (ZipMaster.MessageProc)
        ZipMaster.MessageProc(text);
    else
        std::cerr << text << '\n';
}

TZipMaster::TZipMaster() = default;

void TZipMaster::SetZipFilename(const std::string& name) {
    zipFilename_ = name;
    ReadZipDirectory();
}

void TZipMaster::SetDLLDirectory(const std::string& folder) {
    if (folder == dllDirectory_) return;
    dllDirectory_ = folder;
    if (dllDirectory_.size() > 1 && (dllDirectory_.back() == '\\' || dllDirectory_.back() == '/'))
        dllDirectory_.pop_back();
}

bool TZipMaster::ZipDllLoaded() {
    return ZipMaster.ZipDllLoaded;
}

// libzip is linked in, so loading only checks the test switch that stands for a missing library.
void TZipMaster::LoadZipDll() {
    if (ZipMaster.ZipDllMissing) {
        ZipMaster.ZipDllLoaded = false;
        ZipShowMessage("ZIPDLL.DLL not found");
        return;
    }
    ZipMaster.ZipDllLoaded = true;
    if (Trace) ZipShowMessage("ZIP DLL Loaded");
}

void TZipMaster::UnloadZipDll() {
    ZipMaster.ZipDllLoaded = false;
}

void TZipMaster::Fail(const std::string& message) {
    lastError_ = message;
    ZipShowMessage(message);
}

void TZipMaster::AddFiles() {
    if (busy_) return; // a call from inside a run must not disturb the run's results
    successCount_ = 0;
    lastError_.clear();
    if (FSpecArgs.empty()) return Fail("Error - no files to zip");
    if (zipFilename_.empty()) return Fail("Error - no zip file specified");
    RunZipDll();
    if (successCount_ > 0) ReadZipDirectory();
}

void TZipMaster::RunZipDll() {
    RunFlags flags(busy_, cancel_);
    const bool loadedHere = !ZipDllLoaded();
    if (loadedHere) LoadZipDll();
    if (!ZipDllLoaded()) {
        lastError_ = "ZIPDLL.DLL not found";
        return;
    }
    try {
        successCount_ = ZipDllExec(MakeParams());
    } catch (const base::Exception& e) {
        Fail(e.Message());
    } catch (const std::exception&) {
        Fail("Fatal DLL Error: abort exception");
    }
    FSpecArgs.clear();
    if (loadedHere) UnloadZipDll();
}

ZipParams TZipMaster::MakeParams() {
    ZipParams p;
    p.Caller = this;
    p.Callback = [this](const ZipCallbackRecord& r) { return ZipCallback(r); };
    p.Trace = Trace;
    p.Password = Password;
    p.Encrypt = AddOptions.Contains(AddEncrypt);
    p.HiddenFiles = AddOptions.Contains(AddHiddenFiles);
    p.Verbose = Verbose || Trace;
    p.CompressionLevel = AddCompLevel;
    p.NoDirNames = !AddOptions.Contains(AddDirNames);
    p.RecurseDirs = AddOptions.Contains(AddRecurseDirs);
    p.ForceDOS = AddOptions.Contains(AddForceDOS);
    p.Move = AddOptions.Contains(AddMove);
    p.Update = AddOptions.Contains(AddUpdate);
    p.Freshen = AddOptions.Contains(AddFreshen) && !p.Update;
    p.ZipTime = AddOptions.Contains(AddZipTime);
    p.ZipFilename = zipFilename_;
    p.FileSpecs = FSpecArgs;
    p.ReadFrom = ReadFrom;
    return p;
}

int TZipMaster::ZipCallback(const ZipCallbackRecord& r) {
    switch (r.ActionCode) {
    case 1:
        if (OnProgress) OnProgress(*this, NewFile, r.Text, r.FileSize);
        break;
    case 2:
        if (OnProgress) OnProgress(*this, ProgressUpdate, " ", 0);
        break;
    case 3:
        if (OnProgress) OnProgress(*this, EndOfBatch, " ", 0);
        break;
    default:
        if (r.ActionCode >= 4 && OnMessage) OnMessage(*this, r.ErrorCode, WithoutLineEnd(r.Text));
        break;
    }
    return cancel_ || (StopRequested && StopRequested()) ? -1 : 0;
}

} // namespace app
