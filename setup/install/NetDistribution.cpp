#include "setup/install/NetDistribution.h"

#include "base/FileSystem.h"
#include "base/ProgramState.h"
#include "base/ReplaceFile.h"
#include "base/Text.h"
#include "setup/install/Install.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/LittleEndian.h"
#include "setup/kit/Registry.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace setup {

namespace {

struct State {
    std::unique_ptr<TNetInstallLocation> shared;
    std::vector<const TCustomInstallFile*> packed;
};
State state;
void ResetState() {
    base::Reinitialise(state);
}
[[maybe_unused]] const bool registered = base::RegisterStateReset(base::StateLayer::Kit, &ResetState);

constexpr std::size_t RecordSize = 72;

// A zero-terminated field of at most size bytes, cut on a character boundary.
void PutText(std::string& out, const std::string& text, std::size_t size) {
    std::string field = CutBytes(text, size - 1);
    field.resize(size, '\0');
    out += field;
}

std::string GetText(const char* data, std::size_t size) {
    return std::string(data, strnlen(data, size));
}

TNetInstallLocation& LocationFor(const TFileRelated& item, bool& own) {
    for (const TInstallContainer* c = &item; c; c = dynamic_cast<const TInstallObject*>(c)
                                                        ? static_cast<const TInstallObject*>(c)->Parent()
                                                        : nullptr)
        if (const auto* related = dynamic_cast<const TFileRelated*>(c); related && related->NetLocation) {
            own = true;
            return *related->NetLocation;
        }
    own = false;
    return SharedNetLocation();
}

} // namespace

TNetInstallLocation& SharedNetLocation() {
    if (!state.shared) state.shared = std::make_unique<TNetInstallLocation>("NetInstallLocation");
    return *state.shared;
}

std::vector<const TCustomInstallFile*>& PackedNetFiles() {
    return state.packed;
}

bool IsNetFile(const TCustomInstallFile& file) {
    const TCustomInstall* root = file.Root();
    if (!root) return false;
    return root->DistributeType() == dtWeb || (root->DistributeType() == dtTraditionalNet && file.Net);
}

TFileContainer* ArchiveContainer(const TCustomInstallFile& file) {
    for (TInstallContainer* c = file.Parent(); c;) {
        if (auto* fc = dynamic_cast<TFileContainer*>(c)) return fc;
        auto* object = dynamic_cast<TInstallObject*>(c);
        c = object ? object->Parent() : nullptr;
    }
    return nullptr;
}

std::string NetFolder(const TCustomInstall& install, const std::string& mainArchive) {
    const std::string dir = RemoveBackslash(ServerPath(install.LoginInformation.Directory));
    return RemoveBackslash(FolderPart(mainArchive)) + (dir == "/" ? std::string() : dir);
}

std::string DownloadedArchive(TFileRelated& container) {
    if (!container.LocalArchive.empty() && ::access(container.LocalArchive.c_str(), R_OK) == 0)
        return container.LocalArchive;
    TCustomInstall* root = container.Root();
    const std::string record = root ? root->RecordKey() : std::string();
    if (!record.empty()) {
        const std::string recorded =
            ReadRegString(HKEY_LOCAL_MACHINE, record + "\\" + container.Name(), "LocalFile", "");
        if (!recorded.empty() && ::access(recorded.c_str(), R_OK) == 0)
            return container.LocalArchive = recorded;
    }
    bool own = false;
    TNetInstallLocation& location = LocationFor(container, own);
    if (!location.LoginInformation().Usable()) {
        if (own)
            throw IEFileRelated(
                "%s could not install itself because the TNetLocation component's properties, in "
                "the NetLocation property, have not been filled in",
                {container.Name()});
        throw IEFileRelated(
            "%s could not install itself because the LoginInformation property of the TInstall "
            "component has not been properly filled in",
            {container.Name()});
    }
    const std::string local = TempFileName(false) + ".1";
    const std::string remote = container.Name() + ".1";
    TDataReceivedEvent previous = location.OnDataReceived;
    location.OnDataReceived = [&](TNetInstallLocation& l, const std::string& name, std::string_view piece,
                                  std::uint64_t expected, std::uint64_t total, std::size_t length) {
        if (previous) previous(l, name, piece, expected, total, length);
        TDownloadStatusParameter p;
        p.FileName = name;
        p.Total = expected;
        p.Received = total;
        p.Percent =
            expected ? static_cast<std::uint8_t>(std::min<std::uint64_t>(100, total * 100 / expected)) : 0;
        // The container above passes it on as broadcast -988 (the install itself has none above it).
        if (container.Parent())
            container.Parent()->Notify(&container, ncDownloadProgress, &p);
        else
            container.Broadcast(&container, -988, &p);
    };
    bool complete = false;
    try {
        complete = location.Download(remote, local);
    } catch (...) {
        location.OnDataReceived = previous;
        base::Fs().Unlink(local.c_str());
        throw;
    }
    location.OnDataReceived = previous;
    if (!complete) {
        // A part of an archive is of no use to anyone: it is neither kept nor recorded.
        base::Fs().Unlink(local.c_str());
        throw EAIUserAbort();
    }
    container.LocalArchive = local;
    if (!record.empty()) {
        try {
            WriteRegString(HKEY_LOCAL_MACHINE, record + "\\" + container.Name(), "LocalFile", local);
        } catch (const std::exception&) {
            // only a help for a resumed run
        }
    }
    return local;
}

void WriteFileList(const std::string& file, const std::vector<const TCustomInstallFile*>& files) {
    std::string out(4, '\0');
    Put32(reinterpret_cast<unsigned char*>(out.data()), static_cast<std::uint32_t>(files.size()));
    for (const TCustomInstallFile* f : files) {
        std::string record(12, '\0');
        Put32(reinterpret_cast<unsigned char*>(record.data()), f->FileSize);
        std::memcpy(record.data() + 4, &f->FileDate, 8);
        PutText(record, f->Name(), 40);
        PutText(record, f->FileVersion, 20);
        out += record;
    }
    base::ReplaceFile(file, out);
}

void ApplyFileList(TCustomInstall& install, const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string data = text.str();
    const auto refuse = [&] { return IEInstall("Cannot read the remote list of files: %s", {file}); };
    if (data.size() < 4) throw refuse();
    const std::uint32_t count = Get32(reinterpret_cast<const unsigned char*>(data.data()));
    if (count > (data.size() - 4) / RecordSize) throw refuse();
    std::function<void(TInstallContainer&, const std::string&, const char*)> give =
        [&](TInstallContainer& c, const std::string& name, const char* r) {
            for (int i = 0; i < c.Count(); ++i) {
                TInstallContainer* child = c.Items(i);
                if (auto* f = dynamic_cast<TCustomInstallFile*>(child);
                    f && base::SameText(f->Name(), name)) {
                    f->FileSize = Get32(reinterpret_cast<const unsigned char*>(r));
                    std::memcpy(&f->FileDate, r + 4, 8);
                    f->FileVersion = GetText(r + 52, 19);
                }
                give(*child, name, r);
            }
        };
    for (std::uint32_t i = 0; i < count; ++i) {
        const char* r = data.data() + 4 + i * RecordSize;
        give(install, GetText(r + 12, 40), r);
    }
}

void ReadRemoteFileList(TCustomInstall& install) {
    if (!SharedNetLocation().LoginInformation().Usable())
        throw IEFileRelated(
            "%s could not install itself because the LoginInformation property of the TInstall "
            "component has not been properly filled in",
            {install.Name()});
    const std::string local = TempFileName(false);
    try {
        if (!SharedNetLocation().Download(FileListName, local)) throw EAIUserAbort();
        ApplyFileList(install, local);
    } catch (...) {
        base::Fs().Unlink(local.c_str());
        throw;
    }
    base::Fs().Unlink(local.c_str());
}

} // namespace setup
