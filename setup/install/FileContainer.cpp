#include "base/Exceptions.h"
#include "base/FileSystem.h"
#include "base/Finally.h"
#include "setup/install/Install.h"
#include "setup/install/InstallTree.h"
#include "setup/install/InstallUi.h"
#include "setup/install/NetDistribution.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"

#include <cerrno>
#include <filesystem>

namespace setup {

namespace fs = std::filesystem;

TFileContainer::TFileContainer(std::string name) : TFileRelated(std::move(name)) {}

TInstallFileGroup::TInstallFileGroup(std::string name, TInstallContainer* parent)
    : TFileContainer(std::move(name)) {
    GroupName = parent ? "Group #" + std::to_string(parent->FileContainerCount()) : "Unnamed File Group";
    if (parent) {
        SetArchiveFileType(&FindKind<psContainerArchiveFile>());
        SetContainer(parent);
    }
}

void TFileContainer::SetState(TFileContainerState state) {
    switch (state) {
    case fcsCompress:
        Compress(0);
        break;
    case fcsInstall:
        Process();
        break;
    case fcsCopy:
        Copy();
        break;
    case fcsNone:
        break;
    }
}

// Every pass sets the state for its length and ends with -996 and the state reset, whatever happens.
void TFileContainer::RunPass(TFileContainerState state, const std::function<void()>& body) {
    state_ = state;
    inPass_ = true;
    passTotal_ = passDone_ = 0;
    base::TryFinally(body, [&] {
        inPass_ = false;
        state_ = fcsNone;
        Broadcast(this, -996, nullptr);
    });
}

std::uint64_t TFileContainer::TotalSize(bool all) const {
    std::uint64_t total = 0;
    for (TInstallContainer* c : children_) {
        if (!all && !c->Selected()) continue;
        if (auto* f = dynamic_cast<TCustomInstallFile*>(c))
            total += f->FileSize;
        else if (auto* fc = dynamic_cast<TFileContainer*>(c))
            total += fc->TotalSize(all);
    }
    return total;
}

void TFileContainer::ReadSourceInfo() {
    for (TInstallContainer* c : children_)
        if (auto* f = dynamic_cast<TCustomInstallFile*>(c)) f->ReadSourceInfo();
}

void TFileContainer::ReadArchiveInfo() {
    for (TInstallContainer* c : children_) {
        auto* f = dynamic_cast<TCustomInstallFile*>(c);
        if (!f || IsNetFile(*f)) continue; // the remote file list gives their values
        const std::string archive = f->ArchivePath();
        std::error_code ec;
        if (archive.empty() || !fs::exists(archive, ec)) continue; // installing the file reports it
        std::unique_ptr<TDrvnCompress> own;
        f->ReadArchiveInfo(ArchiveFor(*f, archive, own));
    }
}

void TFileContainer::Process() {
    try {
        RunPass(fcsInstall, [&] {
            if (OnBeforeProcess) OnBeforeProcess(*this);
            Broadcast(this, -990, nullptr);
            if (!Include) return;
            Broadcast(this, -999, nullptr);
            if (!Selected()) return;
            BusyCursor busy;
            ReadArchiveInfo();
            Broadcast(this, -992, nullptr);
            TInstallContainer::Notify(this, ncPassStarts, nullptr);
            passTotal_ = TotalSize(false);
            passDone_ = 0;
            if (OnShowCopyFileDlg) OnShowCopyFileDlg(*this);
            base::TryFinally([&] { InstallChildren(); },
                             [&] {
                                 if (OnCloseCopyFileDlg) OnCloseCopyFileDlg(*this, SharedCompressor().Abort);
                             });
            TInstallContainer::Notify(this, ncPassEnds, nullptr);
            processed_ = true;
            if (TCustomInstall* root = Root())
                WriteUninstallData(UninstallKeyBase + root->Information.ProductName);
            if (OnAfterProcess) OnAfterProcess(*this);
            Broadcast(this, -989, nullptr);
        });
    } catch (const base::Abort&) {
        // a silent abort ends this container only
    }
}

void TFileContainer::InstallChildren() {
    const std::vector<TInstallContainer*> children = children_;
    for (TInstallContainer* c : children)
        if (c->Include && c->RegisteredType() != rtDialog) c->Process();
}

namespace {

TFileStatusParameter& StatusParam(TInstallContainer& owner, TParameter* param) {
    if (!param) throw IEFileContainer("%s got a nil PO parameter", {owner.Name()});
    auto* p = dynamic_cast<TFileStatusParameter*>(param);
    if (!p) throw IEFileContainer("DoInformationEventControl says bad second parameter");
    if (!p->File) throw IEFileContainer("DoInformationEventControl parameter is not TInstallFile");
    return *p;
}

} // namespace

void TFileContainer::Notify(TInstallContainer* child, int code, TParameter* param) {
    if (inPass_) {
        switch (code) {
        case ncReplacing:
            if (auto* f = dynamic_cast<TCustomInstallFile*>(child); f && OnReplacing) OnReplacing(*f);
            Broadcast(this, -997, param);
            break;
        case ncInstallProgress:
        case ncPackProgress:
        case ncCopyProgress: {
            TFileStatusParameter& p = StatusParam(*this, param);
            p.RunningTotal = passDone_ + p.Stats.FileDone;
            p.TotalPercent = Percent(p.RunningTotal, passTotal_);
            if (OnStatus) OnStatus(*p.File, p.Percent, p.TotalPercent);
            Broadcast(this, -998, &p);
            if (p.Stats.Finished) passDone_ += p.File->FileSize;
            break;
        }
        case ncSkippedByHandler:
        case ncSkippedByRule: {
            TFileStatusParameter& p = StatusParam(*this, param);
            passDone_ += p.File->FileSize;
            p.Percent = 100;
            p.RunningTotal = passDone_;
            p.TotalPercent = Percent(passDone_, passTotal_);
            if (OnStatus) OnStatus(*p.File, 100, p.TotalPercent);
            Broadcast(this, -998, &p);
            break;
        }
        case ncNewDisk: {
            if (!param) throw IEFileContainer("%s got a nil PO parameter", {Name()});
            auto* p = dynamic_cast<TDiskParameter*>(param);
            if (!p) throw IEFileContainer("DoInformationEventControl says bad second parameter");
            auto* f = dynamic_cast<TCustomInstallFile*>(child);
            if (OnNewDisk && f) {
                OnNewDisk(*f, p->Disk, p->Path);
                p->Handled = true;
            }
            Broadcast(this, -993, p);
            break;
        }
        case ncDownloadProgress:
            if (!dynamic_cast<TDownloadStatusParameter*>(param))
                throw IEFileContainer("The PO object passed to %s is not a TDownloadStatusParameter object",
                                      {Name()});
            Broadcast(this, -988, param);
            break;
        default:
            break;
        }
    }
    TInstallContainer::Notify(child, code, param);
}

void TFileContainer::Compress(unsigned options) {
    if ((options & coForceNetFilesLocal) && (options & coForceFilesNet))
        throw IEFileContainer("Cannot pass both coForceNetFilesLocal and coForceFilesNet to Compress");
    RunPass(fcsCompress, [&] {
        if (OnBeforeProcess) OnBeforeProcess(*this);
        if (!Include) return;
        TInstallContainer::Notify(this, ncPassStarts, nullptr);
        ReadSourceInfo();
        passTotal_ = TotalSize(true);
        const std::string archive = ArchivePath();
        const bool ownArchive = !dynamic_cast<const psContainerArchiveFile*>(ArchiveFileType());
        if (AddToArchive == lzcOverwrite && ownArchive && !archive.empty()) {
            base::Fs().Unlink(archive.c_str());
        }
        bool netArchiveStarted = false;
        const std::vector<TInstallContainer*> children = children_;
        for (TInstallContainer* c : children) {
            if (!(options & coIncludeEverything) && !c->Selected()) continue;
            if (auto* f = dynamic_cast<TCustomInstallFile*>(c)) {
                const bool net = !(options & coForceNetFilesLocal) && (f->Net || (options & coForceFilesNet));
                const bool include = f->Include;
                const std::string oldFile = f->ArchiveFile();
                const TCustomPathSpecifier* oldType = f->ArchiveFileType();
                const TlzhCommand oldCommand = f->AddToArchive;
                base::TryFinally(
                    [&] {
                        f->Include = true;
                        if (net) {
                            // Into this container's network archive, made anew by each build.
                            const TCustomInstall* root = Root();
                            if (!root)
                                throw IEFileContainer(
                                    "%s cannot perform operation because there is no TInstall "
                                    "component",
                                    {Name()});
                            // A file with a location of its own has an archive of its own.
                            const std::string netArchive = AddBackslash(NetFolder(*root, archive)) +
                                                           (f->NetLocation ? f->Name() : Name()) + ".1";
                            if (f->NetLocation) {
                                base::Fs().Unlink(netArchive.c_str());
                            } else if (!netArchiveStarted) {
                                if (base::Fs().Unlink(netArchive.c_str()) != 0 && errno != ENOENT)
                                    throw IEFileContainer("%s cannot delete the archive file %s",
                                                          {Name(), netArchive});
                                netArchiveStarted = true;
                            }
                            f->SetArchiveFileType(nullptr);
                            f->SetArchiveFile(netArchive);
                            f->AddToArchive = lzcOnlyAdd;
                        }
                        f->Pack();
                        if (net) PackedNetFiles().push_back(f);
                    },
                    [&] {
                        f->Include = include;
                        f->SetArchiveFile(oldFile);
                        f->SetArchiveFileType(oldType);
                        f->AddToArchive = oldCommand;
                    });
            } else if (auto* fc = dynamic_cast<TFileContainer*>(c)) {
                fc->Compress(options);
            }
        }
        if (OnAfterProcess) OnAfterProcess(*this);
        TInstallContainer::Notify(this, ncPassEnds, nullptr);
    });
}

void TFileContainer::Copy() {
    RunPass(fcsCopy, [&] {
        if (OnBeforeProcess) OnBeforeProcess(*this);
        if (!Include) return;
        TInstallContainer::Notify(this, ncPassStarts, nullptr);
        ReadSourceInfo();
        passTotal_ = TotalSize(false);
        const std::vector<TInstallContainer*> children = children_;
        for (TInstallContainer* c : children) {
            if (!c->Selected()) continue;
            if (auto* f = dynamic_cast<TCustomInstallFile*>(c)) {
                try {
                    f->CopyFile();
                } catch (const base::Abort&) {
                    // skips this file
                }
            } else if (auto* fc = dynamic_cast<TFileContainer*>(c)) {
                fc->Copy();
            }
        }
        if (OnAfterProcess) OnAfterProcess(*this);
        TInstallContainer::Notify(this, ncPassEnds, nullptr);
    });
}

TDrvnCompress& ArchiveFor(const TInstallContainer& item, const std::string& archive,
                          std::unique_ptr<TDrvnCompress>& own) {
    TCustomInstall* root = item.Root();
    if (root && archive == root->ArchivePath()) {
        TDrvnCompress& shared = SharedCompressor();
        shared.SetCompressedFile(archive);
        return shared;
    }
    own = std::make_unique<TDrvnCompress>();
    own->SetCompressedFile(archive);
    return *own;
}

} // namespace setup
