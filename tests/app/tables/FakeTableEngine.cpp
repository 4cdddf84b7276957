#include "tests/app/tables/FakeTableEngine.h"

#include "base/Files.h"
#include "base/Text.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace testsupport {

namespace fs = std::filesystem;
using engine::Row;
using engine::Value;

namespace {

std::string BaseOf(const std::string& name) {
    return name.substr(0, name.find('.'));
}

std::string Hex(std::size_t n) {
    return std::string(1, "0123456789ABCDEF"[n % 16]);
}

void Touch(const fs::path& file) {
    std::ofstream(file, std::ios::binary | std::ios::app) << "";
}

void RemoveFamily(const fs::path& folder, const std::string& baseName) {
    for (const auto& file : base::FilesMatching(folder, baseName + ".*"))
        fs::remove(file);
}

int Compare(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return int(b.IsNull()) - int(a.IsNull());
    auto number = [](const Value& v) {
        return v.IsInt()     ? double(v.AsInt())
               : v.IsFloat() ? v.AsFloat()
               : v.IsDate()  ? v.AsDate()
                             : v.AsBool();
    };
    if (a.IsText()) return a.AsText().compare(b.AsText());
    const double x = number(a), y = number(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

int CompareKeys(const Row& a, const Row& b, std::size_t keyFields) {
    for (std::size_t i = 0; i < keyFields; ++i)
        if (int c = Compare(a[i], b[i])) return c;
    return 0;
}

std::size_t KeyFieldCount(const FakeTableData& d) {
    if (!d.Keyed) return 0;
    return std::size_t(std::count(d.Primary.FieldsText.begin(), d.Primary.FieldsText.end(), ';') + 1);
}

[[noreturn]] void Unused() {
    throw std::logic_error("not used by the table checks");
}

} // namespace

// ---------------------------------------------------------------------------------------------- cursor

class FakeCursor : public engine::Cursor {
public:
    FakeCursor(FakeTableEngine& owner, const fs::path& folder, FakeTableData& data)
        : owner_(owner), folder_(folder), data_(data) {}

    void SetIndex(int index) override { index_ = index; }
    int Index() const override { return index_; }
    int FindIndexByName(const std::string&) const override { Unused(); }
    int FindIndexByFields(const std::string& fieldsText) const override {
        const auto stored = owner_.StoredIndexes(folder_, data_.Name);
        for (std::size_t i = 0; i < stored.size(); ++i)
            if (base::SameText(stored[i].FieldsText, fieldsText)) return int(i);
        return -2;
    }
    std::vector<int> IndexFields() const override { Unused(); }

    void First() override { pos_ = Visible() == 0 ? -1 : 0; }
    void Last() override { Unused(); }
    bool Next() override {
        if (pos_ < Visible()) ++pos_;
        return OnRow();
    }
    bool Prior() override { Unused(); }
    std::int64_t MoveBy(std::int64_t distance) override {
        std::int64_t moved = 0;
        while (moved < distance && Next())
            ++moved;
        return moved;
    }
    bool Bof() const override { return pos_ < 0 || Visible() == 0; }
    bool Eof() const override { return pos_ >= Visible() || Visible() == 0; }
    bool OnRow() const override { return pos_ >= 0 && pos_ < Visible(); }
    std::int64_t RecordCount() const override { return std::int64_t(data_.Rows.size()); }
    std::int64_t RecordNumber() const override { Unused(); }

    const Row& Read() const override {
        if (!OnRow()) throw engine::Error("nema zapisa");
        return data_.Rows[std::size_t(pos_)];
    }
    engine::Bookmark GetBookmark() const override { Unused(); }
    bool GotoBookmark(const engine::Bookmark&) override { Unused(); }
    bool FindKey(const engine::Key&) override { Unused(); }
    void FindNearest(const engine::Key&) override { Unused(); }
    void SetRange(const engine::Key&, const engine::Key&) override { Unused(); }
    void CancelRange() override { Unused(); }
    void SetFilter(std::function<bool(const Row&)>) override { Unused(); }

    void Insert(Row row) override {
        const std::string name = base::UpperCase(data_.Name);
        if (auto fail = owner_.FailInsertAfter.find(name); fail != owner_.FailInsertAfter.end())
            if (fail->second-- <= 0) throw engine::Error("upis u " + data_.Name + " nije uspio");
        if (auto kill = owner_.KillAfterInserts.find(name); kill != owner_.KillAfterInserts.end())
            if (kill->second-- <= 0) throw Killed{};
        row.resize(data_.Fields.size());
        if (!data_.Fields.empty() && data_.Fields[0].Type == engine::FieldType::AutoInc) {
            if (row[0].IsNull()) row[0] = Value::Int(data_.Counter + 1);
            data_.Counter = std::max(data_.Counter, row[0].AsInt());
        }
        const std::size_t keys = KeyFieldCount(data_);
        auto at = data_.Rows.end();
        if (keys > 0) {
            at = std::lower_bound(data_.Rows.begin(), data_.Rows.end(), row,
                                  [&](const Row& a, const Row& b) { return CompareKeys(a, b, keys) < 0; });
            if (at != data_.Rows.end() && CompareKeys(*at, row, keys) == 0)
                throw engine::KeyViolation("dvostruki ključ u " + data_.Name);
        }
        pos_ = at - data_.Rows.begin();
        data_.Rows.insert(at, std::move(row));
        Written();
    }
    // A change of the row in place (the checks never change a key); like every write of a keyed table it
    // writes the primary index file.
    void Modify(Row row) override {
        if (!OnRow()) throw engine::Error("nema zapisa");
        row.resize(data_.Fields.size());
        data_.Rows[std::size_t(pos_)] = std::move(row);
        Written();
    }
    void Delete() override {
        if (!OnRow()) throw engine::Error("nema zapisa");
        data_.Rows.erase(data_.Rows.begin() + pos_);
        Written();
    }
    void LockRecord() override { Unused(); }
    void UnlockRecord() override { Unused(); }

private:
    void Written() {
        if (data_.Keyed) Touch(folder_ / (BaseOf(data_.Name) + ".PX"));
    }
    std::int64_t Visible() const {
        const auto hidden = owner_.HiddenRows.find(base::UpperCase(data_.Name));
        const std::int64_t count = std::int64_t(data_.Rows.size());
        return hidden == owner_.HiddenRows.end() ? count : std::max<std::int64_t>(0, count - hidden->second);
    }

    FakeTableEngine& owner_;
    fs::path folder_;
    FakeTableData& data_;
    int index_ = -1;
    std::int64_t pos_ = -1;
};

// ---------------------------------------------------------------------------------------------- table

class FakeTable : public engine::Table {
public:
    FakeTable(FakeTableEngine& owner, const fs::path& folder, FakeTableData& data, engine::OpenMode mode)
        : owner_(owner), folder_(folder), data_(data), mode_(mode), path_(folder / data.Name) {
        owner_.ForgetDeletedIndexes(folder, data_);
        if (data_.ExclusiveOpen || (mode == engine::OpenMode::Exclusive && data_.Opens > 0))
            throw engine::TableBusy("tablica " + data_.Name + " je zauzeta");
        ++data_.Opens;
        data_.ExclusiveOpen = mode == engine::OpenMode::Exclusive;
    }
    ~FakeTable() override {
        --data_.Opens;
        data_.ExclusiveOpen = false;
    }

    const fs::path& FilePath() const override { return path_; }
    engine::OpenMode Mode() const override { return mode_; }
    const std::vector<engine::FieldDesc>& Fields() const override { return data_.Fields; }
    int KeyFieldCount() const override { return int(testsupport::KeyFieldCount(data_)); }
    std::vector<engine::IndexDesc> Indexes() const override {
        return owner_.StoredIndexes(folder_, data_.Name);
    }
    std::int64_t RecordCount() const override { return std::int64_t(data_.Rows.size()); }
    std::int64_t LastAutoIncValue() const override { return data_.Counter; }

    void AddIndex(const engine::IndexDesc& index) override {
        ++owner_.IndexBuilds;
        if (owner_.FailAddIndex.count(base::UpperCase(data_.Name)))
            throw engine::Error("indeks tablice " + data_.Name + " nije izgrađen");
        if (index.Primary) {
            // Like the engine: a keyed table takes its own key again (and gets its .PX back), no other.
            if (data_.Keyed && !base::SameText(data_.Primary.FieldsText, index.FieldsText))
                throw engine::Error("Tablica " + data_.Name + " već ima primarni ključ na drugim poljima");
            data_.Primary = index;
            data_.Keyed = true;
            const std::size_t keys = testsupport::KeyFieldCount(data_);
            std::stable_sort(data_.Rows.begin(), data_.Rows.end(),
                             [&](const Row& a, const Row& b) { return CompareKeys(a, b, keys) < 0; });
            for (std::size_t i = 1; i < data_.Rows.size(); ++i)
                if (CompareKeys(data_.Rows[i - 1], data_.Rows[i], keys) == 0)
                    throw engine::KeyViolation("dvostruki ključ u " + data_.Name);
        } else {
            auto same = [&](const engine::IndexDesc& d) { return d.Name == index.Name; };
            data_.Secondary.erase(std::remove_if(data_.Secondary.begin(), data_.Secondary.end(), same),
                                  data_.Secondary.end());
            data_.Secondary.push_back(index);
        }
        owner_.WriteIndexFiles(folder_, data_);
    }
    void DeleteIndex(const std::string&) override { Unused(); }
    void Empty() override { Unused(); }
    void ReplaceRows(const engine::Key&, const engine::Key&, const std::vector<Row>&) override { Unused(); }
    void LockTable() override { Unused(); }
    void UnlockTable() override { Unused(); }
    void SaveChanges() override {}
    bool Refresh() override { return false; }
    std::unique_ptr<engine::Cursor> OpenCursor() override {
        return std::make_unique<FakeCursor>(owner_, folder_, data_);
    }

private:
    FakeTableEngine& owner_;
    fs::path folder_;
    FakeTableData& data_;
    engine::OpenMode mode_;
    fs::path path_;
};

// ---------------------------------------------------------------------------------------------- engine

std::string FakeTableEngine::Key(const fs::path& folder, const std::string& name) const {
    const std::string upper = base::UpperCase(name.find('.') == std::string::npos ? name + ".DB" : name);
    return folder.string() + "|" + upper;
}

FakeTableData& FakeTableEngine::Data(const fs::path& folder, const std::string& name) {
    const auto it = tables_.find(Key(folder, name));
    if (it == tables_.end() || !base::FindFile(folder, it->second.Name))
        throw engine::MissingTable("nema tablice " + name);
    return it->second;
}

void FakeTableEngine::WriteIndexFiles(const fs::path& folder, FakeTableData& data) {
    const std::string baseName = BaseOf(data.Name);
    if (data.Keyed) Touch(folder / (baseName + ".PX"));
    for (std::size_t i = 0; i < data.Secondary.size(); ++i) {
        Touch(folder / (baseName + ".XG" + Hex(i)));
        Touch(folder / (baseName + ".YG" + Hex(i)));
    }
}

// Secondary indexes whose files were deleted are gone; the rest keep their files under new numbers.
void FakeTableEngine::ForgetDeletedIndexes(const fs::path& folder, FakeTableData& data) {
    const std::string baseName = BaseOf(data.Name);
    std::vector<engine::IndexDesc> kept;
    for (std::size_t i = 0; i < data.Secondary.size(); ++i)
        if (base::FindFile(folder, baseName + ".XG" + Hex(i))) kept.push_back(data.Secondary[i]);
    if (kept.size() == data.Secondary.size()) return;
    for (std::size_t i = 0; i < data.Secondary.size(); ++i) {
        fs::remove(folder / (baseName + ".XG" + Hex(i)));
        fs::remove(folder / (baseName + ".YG" + Hex(i)));
    }
    data.Secondary = kept;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        Touch(folder / (baseName + ".XG" + Hex(i)));
        Touch(folder / (baseName + ".YG" + Hex(i)));
    }
}

std::vector<engine::IndexDesc> FakeTableEngine::StoredIndexes(const fs::path& folder,
                                                              const std::string& name) {
    FakeTableData& data = Data(folder, name);
    std::vector<engine::IndexDesc> stored;
    if (data.Keyed) stored.push_back(data.Primary);
    const std::string baseName = BaseOf(data.Name);
    for (std::size_t i = 0; i < data.Secondary.size(); ++i)
        if (base::FindFile(folder, baseName + ".XG" + Hex(i))) stored.push_back(data.Secondary[i]);
    return stored;
}

bool FakeTableEngine::TableExists(const fs::path& folder, const std::string& name) {
    const auto it = tables_.find(Key(folder, name));
    return it != tables_.end() && base::FindFile(folder, it->second.Name).has_value();
}

void FakeTableEngine::CreateTable(const fs::path& folder, const std::string& name,
                                  const std::vector<engine::FieldDesc>& fields) {
    ++Creates;
    RemoveFamily(folder, BaseOf(name));
    FakeTableData data;
    data.Name = name;
    data.Fields = fields;
    tables_[Key(folder, name)] = data;
    Touch(folder / name);
    for (const auto& f : fields)
        if (f.Type == engine::FieldType::Memo) Touch(folder / (BaseOf(name) + ".MB"));
}

void FakeTableEngine::DeleteTable(const fs::path& folder, const std::string& name) {
    if (FailDeleteOf.count(base::UpperCase(name))) throw engine::Error("brisanje " + name + " nije uspjelo");
    const FakeTableData& data = Data(folder, name);
    if (data.Opens > 0) throw engine::TableBusy("tablica " + name + " je zauzeta");
    RemoveFamily(folder, BaseOf(data.Name));
    tables_.erase(Key(folder, name));
}

void FakeTableEngine::RenameTable(const fs::path& folder, const std::string& name,
                                  const std::string& newName) {
    ++Renames;
    if (FailRenameAt > 0 && --FailRenameAt == 0)
        throw engine::Error("preimenovanje " + name + " nije uspjelo");
    FakeTableData data = Data(folder, name);
    if (TableExists(folder, newName)) throw engine::Error("tablica " + newName + " već postoji");
    const std::string oldBase = BaseOf(data.Name), newBase = BaseOf(newName);
    for (const auto& file : base::FilesMatching(folder, oldBase + ".*")) {
        const std::string fileName = file.filename().string();
        fs::rename(file, folder / (newBase + fileName.substr(oldBase.size())));
    }
    tables_.erase(Key(folder, name));
    data.Name = newName;
    tables_[Key(folder, newName)] = data;
}

engine::TableInfo FakeTableEngine::ReadTableInfo(const fs::path& folder, const std::string& name) {
    FakeTableData& data = Data(folder, name);
    return engine::TableInfo{data.Fields, StoredIndexes(folder, name), std::int64_t(data.Rows.size())};
}

std::unique_ptr<engine::Table> FakeTableEngine::OpenTable(const fs::path& folder, const std::string& name,
                                                          engine::OpenMode mode) {
    return std::make_unique<FakeTable>(*this, folder, Data(folder, name), mode);
}

void StampAll(const fs::path& folder, std::int64_t time) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) base::SetFileTime(entry.path(), time);
}

std::map<std::string, std::int64_t> FolderState(const fs::path& folder) {
    std::map<std::string, std::int64_t> state;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) state[entry.path().filename().string()] = base::FileTime(entry.path());
    return state;
}

} // namespace testsupport
