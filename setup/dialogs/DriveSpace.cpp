#include "setup/dialogs/DriveSpace.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace setup {

namespace fs = std::filesystem;

namespace {

bool DeviceOf(const fs::path& p, dev_t& dev) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return false;
    dev = st.st_dev;
    return true;
}

void Visit(const TInstallContainer& c, const std::function<FileSystemInfo(const std::string&)>& probe,
           std::vector<DriveRow>& rows, std::vector<std::string>& ids) {
    const std::string dest = c.DestPath();
    const bool chosen = c.Selected();
    if (!dest.empty() && dest[0] == '/') {
        const FileSystemInfo fsi = probe(dest);
        std::size_t i = 0;
        while (i < ids.size() && ids[i] != fsi.Id)
            ++i;
        if (i == ids.size() && rows.size() < MaxDriveRows) {
            ids.push_back(fsi.Id);
            rows.push_back(DriveRow{fsi.MountPoint, 0, fsi.Available});
        }
        if (i < rows.size() && chosen) rows[i].Required += OwnSize(c);
    }
    if (!chosen) return;
    for (int k = 0; k < c.Count(); ++k)
        if (auto* group = dynamic_cast<const TFileContainer*>(c.Items(k))) Visit(*group, probe, rows, ids);
}

} // namespace

FileSystemInfo ProbeFileSystem(const std::string& folder) {
    fs::path p = fs::path(folder).lexically_normal();
    dev_t dev{};
    while (!DeviceOf(p, dev) && p.has_parent_path() && p != p.parent_path())
        p = p.parent_path();
    FileSystemInfo info;
    if (!DeviceOf(p, dev)) return info;
    // The mount point: the highest folder above that is still on the same device.
    fs::path mount = p;
    dev_t up{};
    while (mount.has_parent_path() && mount != mount.parent_path() && DeviceOf(mount.parent_path(), up) &&
           up == dev)
        mount = mount.parent_path();
    info.Id = std::to_string(static_cast<unsigned long long>(dev));
    info.MountPoint = mount.string();
    struct statvfs vfs {};
    if (::statvfs(p.c_str(), &vfs) == 0)
        info.Available = static_cast<std::uint64_t>(vfs.f_bavail) * static_cast<std::uint64_t>(vfs.f_frsize);
    return info;
}

std::uint64_t OwnSize(const TInstallContainer& container) {
    std::uint64_t total = 0;
    for (int k = 0; k < container.Count(); ++k)
        if (auto* f = dynamic_cast<const TCustomInstallFile*>(container.Items(k))) total += f->FileSize;
    return total;
}

std::vector<DriveRow> DriveSpace(const TInstallContainer& install,
                                 const std::function<FileSystemInfo(const std::string&)>& probe) {
    std::vector<DriveRow> rows;
    std::vector<std::string> ids;
    Visit(install, probe, rows, ids);
    return rows;
}

std::string GroupedNumber(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

} // namespace setup
