#include "engine/Journal.h"

#include "base/FileIo.h"
#include "base/FileSystem.h"

#include "engine/codec/Bytes.h"
#include "engine/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

constexpr char Magic[8] = {'P', 'L', 'O', 'M', 'J', 'N', 'L', '1'};
constexpr std::size_t HeadBytes = 32;
constexpr std::uint32_t Idle = 0;
constexpr std::uint32_t Pending = 1;
constexpr std::size_t LargeJournal = 1 << 20;
constexpr std::size_t JournalPage = 4096;
// The notes of recent writes ride at the end of the body: entries, their byte count and this mark.
constexpr char NotesMark[4] = {'N', 'O', 'T', 'E'};
constexpr std::size_t MaxNotes = 64;
constexpr std::size_t MaxNoteBytes = 8192;
// The sums of the ranges' sectors before the write ride between the writes and the notes, announced in the
// body's spare bytes after the table's identity (older builds skip both).
constexpr char BeforeMark[4] = {'P', 'R', 'E', '1'};
constexpr std::size_t Sector = 512;

using Notes = std::vector<std::pair<std::uint64_t, std::string>>;

// Entries: generation (u64), length (u32), note bytes.
bool ParseNotes(const unsigned char* p, std::size_t len, Notes& out) {
    std::size_t pos = 0;
    while (pos < len) {
        if (pos + 12 > len) return false;
        const std::uint64_t generation = codec::GetU64(p + pos);
        const std::uint32_t n = codec::GetU32(p + pos + 8);
        pos += 12;
        if (pos + n > len) return false;
        out.emplace_back(generation, std::string(reinterpret_cast<const char*>(p + pos), n));
        pos += n;
    }
    return true;
}

// The notes section at the end of a body, if it has one.
bool NotesOf(const std::string& body, std::size_t writesEnd, Notes& out) {
    if (body.size() < writesEnd + 8) return false;
    const auto* end = codec::Bytes(body) + body.size();
    if (std::memcmp(end - 4, NotesMark, 4) != 0) return false;
    const std::uint32_t len = codec::GetU32(end - 8);
    if (len != body.size() - 8 - writesEnd) return false;
    return ParseNotes(codec::Bytes(body) + writesEnd, len, out);
}

void WriteAll(int fd, const void* data, std::size_t len, std::uint64_t offset, const std::string& name) {
    const base::IoResult r = base::WriteAt(fd, data, len, offset);
    if (r.Error != 0) ThrowIo(name, r.Error);
}

bool ReadAll(int fd, void* data, std::size_t len, std::uint64_t offset) {
    const base::IoResult r = base::ReadAt(fd, data, len, offset);
    return r.Error == 0 && r.Done == len;
}

// The journal and the table files are read back, never looked at for their times: their contents and
// size are what must reach the disk.
void Sync(int fd, const std::string& name) {
    if (const int error = base::SyncFileData(fd)) ThrowIo(name, error);
}

} // namespace

// The .DB file the journal belongs to: its inode and, where the file system keeps it, its birth time (an
// inode number alone is soon reused by a new file).
std::uint64_t Journal::TableIdentity(TableFiles& files) {
    const int fd = files.Fd(TableFile::Db, false);
    struct statx sx {};
    if (fd < 0 || ::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &sx) != 0) return 0;
    std::uint64_t id = sx.stx_ino * 0x9E3779B97F4A7C15ull;
    if (sx.stx_mask & STATX_BTIME)
        id ^= static_cast<std::uint64_t>(sx.stx_btime.tv_sec) * 1000000007ull + sx.stx_btime.tv_nsec;
    return id;
}

std::vector<std::uint64_t> Journal::SectorSums(const Transaction& t, TableFiles& files) {
    std::vector<std::uint64_t> sums;
    std::string bytes;
    for (const auto& w : t.Writes) {
        const int fd = files.Fd(w.File, false);
        bytes.assign(w.Data.size(), '\0');
        // What lies past a file's end (or in a file not yet made) reads as zeros, as it will once extended.
        if (fd >= 0) {
            const base::IoResult r = base::ReadAt(fd, bytes.data(), bytes.size(), w.Offset);
            if (r.Error != 0) ThrowIo(files.Path(w.File).filename().string(), r.Error);
        }
        for (std::size_t at = 0; at < bytes.size(); at += Sector)
            sums.push_back(codec::Checksum(codec::Bytes(bytes) + at, std::min(Sector, bytes.size() - at)));
    }
    return sums;
}

bool Journal::HoldsBeforeOrAfter(const Transaction& t, TableFiles& files) {
    std::size_t sectors = 0;
    for (const auto& w : t.Writes)
        sectors += (w.Data.size() + Sector - 1) / Sector;
    if (t.Before.size() != sectors) return false;
    const std::vector<std::uint64_t> now = SectorSums(t, files);
    std::size_t k = 0;
    for (const auto& w : t.Writes) {
        for (std::size_t at = 0; at < w.Data.size(); at += Sector, ++k) {
            const std::uint64_t after =
                codec::Checksum(codec::Bytes(w.Data) + at, std::min(Sector, w.Data.size() - at));
            if (now[k] != after && now[k] != t.Before[k]) return false;
        }
    }
    return true;
}

void Journal::MarkIdle(int fd) {
    const unsigned char idle[4] = {0, 0, 0, 0};
    WriteAll(fd, idle, 4, 16, path_.filename().string());
}

void ThrowIo(const std::string& fileName, int err) {
    throw IoError("Greška pri radu s datotekom " + fileName + ": " + base::ErrnoText(err));
}

std::string ReadBytes(int fd, std::uint64_t offset, std::size_t len, const std::string& name) {
    std::string b;
    ReadBytesInto(fd, offset, len, name, b);
    return b;
}

void ReadBytesInto(int fd, std::uint64_t offset, std::size_t len, const std::string& name,
                   std::string& into) {
    // Only bytes the string did not have yet are zeroed before the read.
    into.resize(len);
    const base::IoResult r = base::ReadAt(fd, into.data(), len, offset);
    if (r.Error != 0) ThrowIo(name, r.Error);
    if (r.Done < len) ThrowDamaged(name);
}

// ------------------------------------------------------------------------------------------------ files

TableFiles::TableFiles(fs::path db, fs::path px, fs::path mb, std::string displayName)
    : paths_{std::move(db), std::move(px), std::move(mb)}, name_(std::move(displayName)) {}

TableFiles::~TableFiles() {
    CloseAll();
}

void TableFiles::Close(TableFile f) {
    fds_[static_cast<int>(f)].Close();
}

void TableFiles::CloseAll() {
    for (int f = 0; f < 3; ++f)
        Close(static_cast<TableFile>(f));
}

int TableFiles::Fd(TableFile f, bool create) {
    base::FileHandle& fd = fds_[static_cast<int>(f)];
    if (fd) return fd.Get();
    const auto& path = paths_[static_cast<int>(f)];
    fd = base::FileHandle::Open(path, O_RDWR);
    if (!fd && errno == ENOENT && create) {
        fd = base::FileHandle::Open(path, O_RDWR | O_CREAT);
        if (fd) created_ = true;
    }
    if (!fd && (errno == EACCES || errno == EROFS) && !create) {
        fd = base::FileHandle::Open(path, O_RDONLY);
        if (fd) readOnly_ = true;
    }
    if (!fd && (create || errno != ENOENT)) ThrowIo(path.filename().string(), errno);
    return fd.Get();
}

void TableFiles::SyncNewNames() {
    if (!created_) return;
    if (const int error = base::SyncFolder(paths_[0].parent_path())) ThrowIo(name_, error);
    created_ = false;
}

// ------------------------------------------------------------------------------------------------ journal

Journal::Journal(fs::path path, std::string tableName)
    : path_(std::move(path)), tableName_(std::move(tableName)) {}

Journal::~Journal() {
    Close();
}

void Journal::Close() {
    fd_.Close();
}

void Journal::Remove() {
    Close();
    base::Fs().Unlink(path_.c_str());
}

int Journal::Fd(bool create) {
    if (fd_) {
        // The last open elsewhere may have removed an idle journal: never write into a deleted file.
        struct stat st {};
        if (::fstat(fd_.Get(), &st) == 0 && st.st_nlink > 0) return fd_.Get();
        Close();
    }
    // Every block a large table reads asks for the generation: while there is no journal, asking the folder
    // for its name costs less than an open that fails.
    struct stat named {};
    if (!create && ::stat(path_.c_str(), &named) != 0 && errno == ENOENT) return -1;
    fd_ = base::FileHandle::Open(path_, O_RDWR);
    if (!fd_ && errno == ENOENT && create) {
        fd_ = base::FileHandle::Open(path_, O_RDWR | O_CREAT);
        // A power cut must not take the new name away from under a journal that files were written
        // behind; a journal whose name could not be made durable is not used.
        if (fd_) {
            if (const int error = base::SyncFolder(path_.parent_path())) {
                Close();
                base::Fs().Unlink(path_.c_str());
                ThrowIo(path_.filename().string(), error);
            }
        }
    }
    if (!fd_ && (create || errno != ENOENT)) ThrowIo(path_.filename().string(), errno);
    return fd_.Get();
}

std::uint64_t Journal::Generation() {
    const int fd = Fd(false);
    if (fd < 0) return 0;
    unsigned char head[16];
    if (!ReadAll(fd, head, sizeof head, 0) || std::memcmp(head, Magic, 8) != 0) return 0;
    return codec::GetU64(head + 8);
}

// Reads the transaction the journal holds (pending or done); false when there is none, it is torn, or it
// belongs to other files than these.
bool Journal::ReadTransaction(TableFiles& files, std::uint32_t& status, std::uint64_t& generation,
                              Transaction& t, Notes* notes) {
    const int fd = Fd(false);
    if (fd < 0) return false;
    unsigned char head[HeadBytes];
    if (!ReadAll(fd, head, sizeof head, 0) || std::memcmp(head, Magic, 8) != 0) return false;
    status = codec::GetU32(head + 16);
    generation = codec::GetU64(head + 8);
    const std::uint32_t len = codec::GetU32(head + 20);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < HeadBytes + len) return false;
    std::string body(len, '\0');
    if (!ReadAll(fd, body.data(), len, HeadBytes)) return false;
    // The sum was taken while the journal was marked pending.
    unsigned char summed[16];
    std::memcpy(summed, head + 8, sizeof summed);
    codec::PutU32(summed + 8, Pending);
    std::uint64_t sum = codec::Checksum(summed, sizeof summed);
    sum = codec::Checksum(codec::Bytes(body), body.size(), sum);
    if (sum != codec::GetU64(head + 24)) return false; // torn: the transaction never happened

    const auto* p = codec::Bytes(body);
    std::size_t pos = 0;
    auto need = [&](std::size_t n) {
        if (pos + n > body.size()) ThrowDamaged(path_.filename().string());
    };
    need(4 + 24 + 16);
    const std::uint32_t count = codec::GetU32(p);
    pos = 4;
    for (int i = 0; i < 3; ++i)
        t.NewSize[i] = static_cast<std::int64_t>(codec::GetU64(p + pos + 8 * i));
    pos += 24;
    // A journal left behind by a table that has since been replaced (deleted by mask, another family renamed
    // in) belongs to other files. The same files may come back under other inodes (a copy of the folder, a
    // shared folder mounted anew): a pending write is theirs when every sector it names holds what it wrote
    // or what was there before.
    const bool sameFiles = codec::GetU64(p + pos) == TableIdentity(files);
    if (!sameFiles && status != Pending) return false;
    const bool hasBefore = std::memcmp(p + pos + 8, BeforeMark, 4) == 0;
    const std::uint32_t beforeBytes = hasBefore ? codec::GetU32(p + pos + 12) : 0;
    pos += 16;
    for (std::uint32_t i = 0; i < count; ++i) {
        need(13);
        JournalWrite w;
        w.File = static_cast<TableFile>(p[pos]);
        w.Offset = codec::GetU64(p + pos + 1);
        const std::uint32_t n = codec::GetU32(p + pos + 9);
        pos += 13;
        need(n);
        if (static_cast<int>(w.File) > 2) ThrowDamaged(path_.filename().string());
        w.Data.assign(body, pos, n);
        pos += n;
        t.Writes.push_back(std::move(w));
    }
    if (beforeBytes % 8 != 0) ThrowDamaged(path_.filename().string());
    need(beforeBytes);
    for (std::uint32_t i = 0; i < beforeBytes; i += 8)
        t.Before.push_back(codec::GetU64(p + pos + i));
    pos += beforeBytes;
    if (!sameFiles && (!hasBefore || !HoldsBeforeOrAfter(t, files))) {
        MarkIdle(fd);
        return false;
    }
    if (notes != nullptr && !NotesOf(body, pos, *notes)) notes->clear();
    return true;
}

Notes Journal::ReadNotes(int fd) {
    Notes notes;
    unsigned char head[HeadBytes];
    if (!ReadAll(fd, head, sizeof head, 0) || std::memcmp(head, Magic, 8) != 0) return notes;
    if (codec::GetU32(head + 16) != Idle) return notes;
    const std::uint32_t len = codec::GetU32(head + 20);
    unsigned char tail[8];
    if (len < 8 || !ReadAll(fd, tail, sizeof tail, HeadBytes + len - 8)) return notes;
    if (std::memcmp(tail + 4, NotesMark, 4) != 0) return notes;
    const std::uint32_t n = codec::GetU32(tail);
    if (n > len - 8 || n > MaxNoteBytes + 4096) return notes;
    std::string bytes(n, '\0');
    if (!ReadAll(fd, bytes.data(), n, HeadBytes + len - 8 - n)) return notes;
    if (!ParseNotes(codec::Bytes(bytes), n, notes)) notes.clear();
    // Only an unbroken run up to the journal's own generation tells what changed.
    if (!notes.empty() && notes.back().first != codec::GetU64(head + 8)) notes.clear();
    return notes;
}

bool Journal::Recover(TableFiles& files) {
    // Nearly always idle: the head alone tells.
    const int fd = Fd(false);
    unsigned char head[HeadBytes];
    if (fd < 0 || !ReadAll(fd, head, sizeof head, 0) || std::memcmp(head, Magic, 8) != 0 ||
        codec::GetU32(head + 16) != Pending)
        return false;
    std::uint32_t status = Idle;
    std::uint64_t generation = 0;
    Transaction t;
    if (!ReadTransaction(files, status, generation, t) || status != Pending) return false;
    Apply(t, files);
    MarkIdle(Fd(false));
    return true;
}

bool Journal::ChangesSince(TableFiles& files, std::uint64_t from, std::uint64_t to,
                           std::vector<std::string>& notes, Transaction& last) {
    std::uint32_t status = Pending;
    std::uint64_t held = 0;
    Notes all;
    try {
        if (!ReadTransaction(files, status, held, last, &all) || status != Idle || held != to) return false;
    } catch (const DamagedFile&) {
        return false;
    }
    notes.clear();
    std::uint64_t expect = from + 1;
    for (auto& [generation, note] : all) {
        if (generation <= from) continue;
        if (generation != expect) return false;
        notes.push_back(std::move(note));
        ++expect;
    }
    return expect == to + 1;
}

void Journal::Apply(const Transaction& t, TableFiles& files) {
    // A file's new contents are on disk before the files that point into them are written: the memo texts
    // before the records that name them, the blocks before the primary index's entries for them.
    for (const TableFile f : {TableFile::Mb, TableFile::Db, TableFile::Px}) {
        const int i = static_cast<int>(f);
        const std::string name = files.Path(f).filename().string();
        bool touched = false;
        for (const auto& w : t.Writes) {
            if (w.File != f) continue;
            WriteAll(files.Fd(f, true), w.Data.data(), w.Data.size(), w.Offset, name);
            touched = true;
        }
        if (t.NewSize[i] >= 0) {
            if (base::Fs().Truncate(files.Fd(f, true), t.NewSize[i]) != 0) ThrowIo(name, errno);
            touched = true;
        }
        if (!touched) continue;
        Sync(files.Fd(f, true), name);
        // A file the write made (the first memo, a new index) keeps its name through a power cut before
        // anything points into it.
        files.SyncNewNames();
    }
}

// Whether the range [from, to) of a file and one starting at `at` share a sector.
static bool ShareASector(std::uint64_t from, std::uint64_t to, std::uint64_t at) {
    return at >= from && at / Sector <= (to - 1) / Sector;
}

// Writes of one file that share a sector become one, holding what the last of them left: every sector of
// the files is named once, so its content before and after the transaction tell whether it was applied.
// Nothing is copied when no two share one (the usual write: whole blocks one after another).
static const Transaction& Coalesced(const Transaction& t, Transaction& merged) {
    std::vector<std::size_t> order(t.Writes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto key = [&](std::size_t i) { return std::pair(t.Writes[i].File, t.Writes[i].Offset); };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    // Along each file in order of offset, the furthest end of the writes so far (a long write may reach
    // over several short ones after it).
    bool overlap = false;
    std::uint64_t reach = 0;
    for (std::size_t k = 0; k < order.size() && !overlap; ++k) {
        const JournalWrite& b = t.Writes[order[k]];
        if (k == 0 || t.Writes[order[k - 1]].File != b.File) reach = 0;
        if (b.Data.empty()) continue;
        overlap = reach > 0 && b.Offset / Sector <= (reach - 1) / Sector;
        reach = std::max<std::uint64_t>(reach, b.Offset + b.Data.size());
    }
    if (!overlap) return t;
    merged.NewSize = t.NewSize;
    merged.Note = t.Note;
    for (const TableFile f : {TableFile::Db, TableFile::Px, TableFile::Mb}) {
        std::map<std::uint64_t, std::string> ranges; // offset -> bytes, none overlapping or touching
        for (const auto& w : t.Writes) {
            if (w.File != f || w.Data.empty()) continue;
            std::uint64_t from = w.Offset, to = w.Offset + w.Data.size();
            auto it = ranges.upper_bound(from);
            if (it != ranges.begin() &&
                ShareASector(std::prev(it)->first, std::prev(it)->first + std::prev(it)->second.size(), from))
                --it;
            std::vector<std::pair<std::uint64_t, std::string>> joined;
            while (it != ranges.end() && (it->first < to || it->first / Sector <= (to - 1) / Sector)) {
                from = std::min(from, it->first);
                to = std::max<std::uint64_t>(to, it->first + it->second.size());
                joined.emplace_back(it->first, std::move(it->second));
                it = ranges.erase(it);
            }
            std::string bytes(to - from, '\0');
            for (const auto& [at, old] : joined)
                bytes.replace(at - from, old.size(), old);
            bytes.replace(w.Offset - from, w.Data.size(), w.Data); // the later write wins
            ranges.emplace(from, std::move(bytes));
        }
        for (auto& [at, bytes] : ranges)
            merged.Writes.push_back({f, at, std::move(bytes)});
    }
    return merged;
}

std::uint64_t Journal::Commit(const Transaction& whole, TableFiles& files) {
    Transaction merged;
    const Transaction& t = Coalesced(whole, merged);
    const int fd = Fd(true);
    const std::uint64_t generation = Generation() + 1;
    // The notes of the last writes, this one's added, kept to a few kilobytes.
    Notes notes = ReadNotes(fd);
    notes.emplace_back(generation, t.Note);
    std::size_t noteBytes = 0;
    for (const auto& n : notes)
        noteBytes += 12 + n.second.size();
    std::size_t drop = 0;
    while (drop + 1 < notes.size() && (notes.size() - drop > MaxNotes || noteBytes > MaxNoteBytes)) {
        noteBytes -= 12 + notes[drop].second.size();
        ++drop;
    }
    notes.erase(notes.begin(), notes.begin() + static_cast<std::ptrdiff_t>(drop));
    const std::vector<std::uint64_t> before = SectorSums(t, files);
    std::size_t len = 4 + 24 + 16 + 8 * before.size() + noteBytes + 8;
    for (const auto& w : t.Writes)
        len += 13 + w.Data.size();
    std::string buf(HeadBytes + len, '\0');
    auto* p = codec::Bytes(buf);
    std::memcpy(p, Magic, 8);
    codec::PutU64(p + 8, generation);
    codec::PutU32(p + 16, Pending);
    codec::PutU32(p + 20, static_cast<std::uint32_t>(len));
    std::size_t pos = HeadBytes;
    codec::PutU32(p + pos, static_cast<std::uint32_t>(t.Writes.size()));
    pos += 4;
    for (int i = 0; i < 3; ++i)
        codec::PutU64(p + pos + 8 * i, static_cast<std::uint64_t>(t.NewSize[i]));
    pos += 24;
    codec::PutU64(p + pos, TableIdentity(files));
    std::memcpy(p + pos + 8, BeforeMark, 4);
    codec::PutU32(p + pos + 12, static_cast<std::uint32_t>(8 * before.size()));
    pos += 16;
    for (const auto& w : t.Writes) {
        p[pos] = static_cast<unsigned char>(w.File);
        codec::PutU64(p + pos + 1, w.Offset);
        codec::PutU32(p + pos + 9, static_cast<std::uint32_t>(w.Data.size()));
        pos += 13;
        std::memcpy(p + pos, w.Data.data(), w.Data.size());
        pos += w.Data.size();
    }
    for (const std::uint64_t sum : before) {
        codec::PutU64(p + pos, sum);
        pos += 8;
    }
    for (const auto& [g, note] : notes) {
        codec::PutU64(p + pos, g);
        codec::PutU32(p + pos + 8, static_cast<std::uint32_t>(note.size()));
        std::memcpy(p + pos + 12, note.data(), note.size());
        pos += 12 + note.size();
    }
    codec::PutU32(p + pos, static_cast<std::uint32_t>(noteBytes));
    std::memcpy(p + pos + 4, NotesMark, 4);
    std::uint64_t sum = codec::Checksum(p + 8, 16);
    sum = codec::Checksum(p + HeadBytes, len, sum);
    codec::PutU64(p + 24, sum);
    // The journal file only grows, in whole pages: a write into the same bytes changes nothing but
    // them, so its sync need not carry the file's size to the disk as well.
    struct stat st {};
    if (::fstat(fd, &st) != 0) ThrowIo(path_.filename().string(), errno);
    if (buf.size() > static_cast<std::uint64_t>(st.st_size))
        buf.resize((buf.size() + JournalPage - 1) / JournalPage * JournalPage, '\0');
    try {
        WriteAll(fd, buf.data(), buf.size(), 0, path_.filename().string());
        Sync(fd, path_.filename().string());
    } catch (const Error&) {
        // Whatever part of the journal is on disk must never be replayed: the caller reports the write
        // as not done.
        try {
            MarkIdle(fd);
        } catch (const Error&) {
        }
        throw;
    }
    try {
        Apply(t, files);
    } catch (const Error&) {
        // The journal holds the whole change: writing it once more (all of it, then syncing) finishes it,
        // unless the disk keeps refusing.
        Apply(t, files);
    }
    // Done: a journal that stays marked pending is only replayed again, byte for byte, by the next writer.
    try {
        MarkIdle(fd);
        // A big write (a new index, an emptied table) leaves no big journal behind.
        if (buf.size() > LargeJournal) base::Fs().Truncate(fd, HeadBytes);
    } catch (const Error&) {
    }
    return generation;
}

} // namespace engine
