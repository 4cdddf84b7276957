#pragma once
// A dataset over rows kept in memory, sorted by their first column: lets the dataset's own logic (states,
// events, fields, data links) be tested apart from the table files.

#include "fw/db/BDEDataSet.h"
#include "fw/db/FieldClasses.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace fwtest {

struct MemoryRows {
    std::vector<fw::TFieldDef> Columns;
    std::vector<std::pair<int, engine::Row>> Rows; // id, row; sorted by the first column
    int NextId = 1;
};

class MemoryCursor : public engine::Cursor {
public:
    explicit MemoryCursor(MemoryRows& rows) : data_(rows) {}

    void SetIndex(int) override {}
    int Index() const override { return -1; }
    int FindIndexByName(const std::string&) const override { return -1; }
    int FindIndexByFields(const std::string&) const override { return -1; }
    std::vector<int> IndexFields() const override { return {0}; }

    void First() override { pos_ = Visible().empty() ? -1 : 0; }
    void Last() override {
        auto n = static_cast<long>(Visible().size());
        pos_ = n == 0 ? n : n - 1;
    }
    bool Next() override {
        auto n = static_cast<long>(Visible().size());
        if (pos_ < n) ++pos_;
        return pos_ < n;
    }
    bool Prior() override {
        if (pos_ >= 0) --pos_;
        return pos_ >= 0;
    }
    std::int64_t MoveBy(std::int64_t d) override {
        std::int64_t moved = 0;
        while (d > 0 && Next())
            --d, ++moved;
        while (d < 0 && Prior())
            ++d, --moved;
        return moved;
    }
    bool Bof() const override { return pos_ < 0 || Visible().empty(); }
    bool Eof() const override { return pos_ >= static_cast<long>(Visible().size()); }
    bool OnRow() const override { return pos_ >= 0 && pos_ < static_cast<long>(Visible().size()); }
    std::int64_t RecordCount() const override { return static_cast<std::int64_t>(Visible().size()); }
    std::int64_t RecordNumber() const override { return OnRow() ? pos_ + 1 : 0; }
    const engine::Row& Read() const override {
        if (!OnRow()) throw engine::Error("off a row");
        return data_.Rows[Visible()[static_cast<std::size_t>(pos_)]].second;
    }
    engine::Bookmark GetBookmark() const override {
        return OnRow() ? std::to_string(data_.Rows[Visible()[static_cast<std::size_t>(pos_)]].first) : "";
    }
    bool GotoBookmark(const engine::Bookmark& b) override {
        auto vis = Visible();
        for (std::size_t i = 0; i < vis.size(); ++i)
            if (std::to_string(data_.Rows[vis[i]].first) == b) {
                pos_ = static_cast<long>(i);
                return true;
            }
        return false;
    }
    bool FindKey(const engine::Key&) override { return false; }
    void FindNearest(const engine::Key&) override {}
    void SetRange(const engine::Key&, const engine::Key&) override {}
    void CancelRange() override {}
    void SetFilter(std::function<bool(const engine::Row&)> accept) override { filter_ = std::move(accept); }

    void Insert(engine::Row row) override {
        if (FailWrites) throw engine::KeyViolation("Ključ već postoji");
        int id = data_.NextId++;
        data_.Rows.emplace_back(id, std::move(row));
        Sort();
        GotoBookmark(std::to_string(id));
    }
    void Modify(engine::Row row) override {
        if (FailWrites) throw engine::KeyViolation("Ključ već postoji");
        int id = std::stoi(GetBookmark());
        for (auto& r : data_.Rows)
            if (r.first == id) r.second = std::move(row);
        Sort();
        GotoBookmark(std::to_string(id));
    }
    void Delete() override {
        auto vis = Visible();
        data_.Rows.erase(data_.Rows.begin() + static_cast<long>(vis[static_cast<std::size_t>(pos_)]));
    }
    void LockRecord() override { ++Locks; }
    void UnlockRecord() override { --Locks; }

    bool FailWrites = false;
    int Locks = 0;

private:
    std::vector<std::size_t> Visible() const {
        std::vector<std::size_t> v;
        for (std::size_t i = 0; i < data_.Rows.size(); ++i)
            if (!filter_ || filter_(data_.Rows[i].second)) v.push_back(i);
        return v;
    }
    void Sort() {
        std::stable_sort(data_.Rows.begin(), data_.Rows.end(), [](auto& a, auto& b) {
            const auto& x = a.second[0];
            const auto& y = b.second[0];
            return x.IsNull() ? !y.IsNull() : (!y.IsNull() && x.AsInt() < y.AsInt());
        });
    }
    MemoryRows& data_;
    long pos_ = -1;
    std::function<bool(const engine::Row&)> filter_;
};

// The rows as a dataset, on its own (TBDEDataSet) or reached through a database (TDBDataSet).
template <class Base> class MemoryDataSetOf : public Base {
public:
    explicit MemoryDataSetOf(MemoryRows& rows) : rows_(rows) {}
    ~MemoryDataSetOf() override {
        this->BeginDestroy();
        this->Close();
    }
    MemoryCursor* Memory() const { return static_cast<MemoryCursor*>(this->Handle()); }

protected:
    std::unique_ptr<engine::Cursor> CreateHandle() override { return std::make_unique<MemoryCursor>(rows_); }
    void InitFieldDefs() override {
        this->FieldDefs().Clear();
        for (const auto& c : rows_.Columns)
            this->FieldDefs().Add(c.Name, c.DataType, c.Size, c.Required);
    }

private:
    MemoryRows& rows_;
};

using MemoryDataSet = MemoryDataSetOf<fw::TBDEDataSet>;
using MemoryDBDataSet = MemoryDataSetOf<fw::TDBDataSet>;

} // namespace fwtest
