#pragma once
// A Qt item model over a dataset for the grids: one row per record of the dataset's view (plus the record
// being inserted), one column per visible field. Rows are read on demand a page at a time without moving
// the dataset (TDataSet::ReadRecordAt) and only a bounded number of pages is kept, so showing a large table
// costs no more than the rows on screen. The model follows the dataset's current record and tells the view
// where it is (OnCurrentRowChanged); MoveToRow moves the dataset for the view.

#include "fw/db/DataSource.h"

#include <functional>
#include <memory>
#include <QAbstractTableModel>
#include <unordered_map>
#include <vector>

namespace fw {

class DataSetModel : public QAbstractTableModel {
public:
    explicit DataSetModel(QObject* parent = nullptr);
    ~DataSetModel() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    // The fields shown, in column order.
    const std::vector<TField*>& Columns() const { return columns_; }
    // Editing a cell writes the field's Text (only while the grid allows it).
    bool Editable = false;

    // The row of the dataset's current record, -1 when there is none.
    int CurrentRow() const;
    // Moves the dataset to the record shown in that row (a pending edit is posted or dropped first).
    void MoveToRow(int row);
    // Column titles changed (a field's DisplayLabel).
    void TitlesChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The dataset's current record is now in that row (-1: none).
    std::function<void(int row)> OnCurrentRowChanged;
    // The row header's indicator moved or changed (the view repaints its row header). Not signalled as a
    // header data change: that makes the view measure its headers again, which a large table cannot afford
    // on every move.
    std::function<void()> OnIndicatorChanged;

private:
    class Link;
    friend class Link;
    static constexpr long long PageSize = 64;
    static constexpr std::size_t MaxPages = 16;
    using Page = std::vector<std::vector<QString>>;

    void Reset();
    void Scrolled();
    void CurrentRecordChanged();
    void UpdateColumns();
    bool Inserting() const;
    // The dataset's record number of a row that is not the record being inserted.
    long long RecNoOfRow(int row) const;
    QString CurrentText(int column) const;
    QVariant ReadData(const QModelIndex& index, int role) const;
    QVariant ReadHeader(int section, Qt::Orientation orientation, int role) const;
    const Page* FetchPage(long long page) const;

    std::unique_ptr<Link> link_;
    bool destroying_ = false;
    std::vector<TField*> columns_;
    long long count_ = 0;
    int insertRow_ = -1;
    int lastCurrent_ = -1;
    mutable std::unordered_map<long long, Page> pages_;
};

} // namespace fw
