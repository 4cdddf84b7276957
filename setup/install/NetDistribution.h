#pragma once
#include "setup/install/InstallTree.h"
#include "setup/net/NetInstallLocation.h"

#include <string>
#include <vector>

namespace setup {

// Installing from a network location (dtWeb, and the network files of dtTraditionalNet): the build packs
// network files into one archive per file container, "<container Name>.1", in the network folder (the
// main archive's folder + the login's Directory) and lists them in "filelist.lst" there; the install
// reads "filelist.lst" first and downloads each container's archive once when its first file installs.

// The location every file uses unless it or a container above has its own.
TNetInstallLocation& SharedNetLocation();

// The file comes from the network in this install.
bool IsNetFile(const TCustomInstallFile& file);
// The file container whose archive holds the file.
TFileContainer* ArchiveContainer(const TCustomInstallFile& file);
// The network folder of a build whose main archive is mainArchive.
std::string NetFolder(const TCustomInstall& install, const std::string& mainArchive);

// The local copy of the container's network archive: the one recorded by an earlier run ("LocalFile"),
// else a fresh download (a user abort raises EAIUserAbort).
std::string DownloadedArchive(TFileContainer& container);

// "filelist.lst": a 4-byte count, then 72 bytes per file (size, date, Name in 40, FileVersion in 20).
inline constexpr const char* FileListName = "filelist.lst";
void WriteFileList(const std::string& file, const std::vector<const TCustomInstallFile*>& files);
// Downloads the list and gives each record's values to the file of that Name.
void ReadRemoteFileList(TCustomInstall& install);
// Reads a list file; a short or damaged file raises IEInstall naming it.
void ApplyFileList(TCustomInstall& install, const std::string& file);

// The network files the last pack pass put into network archives (the build lists them).
std::vector<const TCustomInstallFile*>& PackedNetFiles();

} // namespace setup
