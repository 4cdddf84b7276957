#include "fw/ui/DataSetModel.h"

#include "fw/db/DataSet.h"
#include "fw/db/Field.h"
#include "fw/ui/Guard.h"

#include <algorithm>

namespace fw {

class DataSetModel::Link : public TDataLink {
public:
    explicit Link(DataSetModel& model) : model_(model) {}

protected:
    void ActiveChanged() override {
        if (model_.destroying_) return;
        model_.UpdateColumns();
        model_.Reset();
    }
    void LayoutChanged() override { ActiveChanged(); }
    void DataSetChanged() override {
        if (!model_.destroying_) model_.Reset();
    }
    void DataSetScrolled() override {
        if (!model_.destroying_) model_.Scrolled();
    }
    void RecordChanged(TField*) override {
        if (!model_.destroying_) model_.CurrentRecordChanged();
    }
    // Entering and leaving an insert adds and removes a row.
    void EditingChanged() override { DataSetChanged(); }

private:
    DataSetModel& model_;
};

DataSetModel::DataSetModel(QObject* parent)
    : QAbstractTableModel(parent), link_(std::make_unique<Link>(*this)) {}

DataSetModel::~DataSetModel() {
    destroying_ = true;
    link_.reset();
}

TDataSource* DataSetModel::DataSource() const {
    return link_->DataSource();
}

void DataSetModel::SetDataSource(TDataSource* source) {
    link_->SetDataSource(source);
    UpdateColumns();
    Reset();
}

TDataSet* DataSetModel::DataSet() const {
    return link_->Active() ? link_->DataSet() : nullptr;
}

void DataSetModel::UpdateColumns() {
    beginResetModel();
    columns_.clear();
    if (TDataSet* ds = DataSet())
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields(i).Visible) columns_.push_back(&ds->Fields(i));
    endResetModel();
}

bool DataSetModel::Inserting() const {
    const TDataSet* ds = DataSet();
    return ds && ds->State() == dsInsert;
}

void DataSetModel::Reset() {
    TDataSet* ds = DataSet();
    long long count = ds ? ds->RecordCount() : 0;
    int insertRow = -1;
    if (Inserting()) {
        // A new record stands where the current one stood, or after the last for an append.
        insertRow = ds->Eof() || lastCurrent_ < 0 ? static_cast<int>(count)
                                                  : std::min(lastCurrent_, static_cast<int>(count));
        ++count;
    }
    // The same rows in the same places (an edit begun or ended, a refresh that found the same number of
    // records): only their texts may differ, so the view repaints them instead of laying out every row of a
    // large table again. A grid that edits in its cells resets, so that an open cell editor closes.
    if (!Editable && count == count_ && insertRow == insertRow_) {
        pages_.clear();
        if (count_ > 0 && !columns_.empty())
            emit dataChanged(index(0, 0), index(static_cast<int>(count_) - 1, columnCount() - 1));
    } else {
        beginResetModel();
        pages_.clear();
        count_ = count;
        insertRow_ = insertRow;
        endResetModel();
    }
    lastCurrent_ = CurrentRow();
    // The indicator shows the record's state.
    if (OnIndicatorChanged) OnIndicatorChanged();
    if (OnCurrentRowChanged) OnCurrentRowChanged(lastCurrent_);
}

void DataSetModel::Scrolled() {
    lastCurrent_ = CurrentRow();
    if (OnIndicatorChanged) OnIndicatorChanged();
    if (OnCurrentRowChanged) OnCurrentRowChanged(lastCurrent_);
}

void DataSetModel::CurrentRecordChanged() {
    const int row = CurrentRow();
    if (row >= 0 && !columns_.empty()) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    if (row >= 0 && OnIndicatorChanged) OnIndicatorChanged();
}

void DataSetModel::TitlesChanged() {
    if (!columns_.empty()) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int DataSetModel::CurrentRow() const {
    // The views ask from inside their own handling: a table that cannot be read stays where it was shown.
    try {
        const TDataSet* ds = DataSet();
        if (!ds) return -1;
        if (Inserting()) return insertRow_;
        if (ds->IsEmpty()) return -1;
        return static_cast<int>(ds->RecNo()) - 1;
    } catch (const std::exception&) {
        return lastCurrent_;
    }
}

long long DataSetModel::RecNoOfRow(int row) const {
    return row + 1 - (insertRow_ >= 0 && row > insertRow_ ? 1 : 0);
}

void DataSetModel::MoveToRow(int row) {
    TDataSet* ds = DataSet();
    if (!ds || row < 0 || row >= count_ || row == CurrentRow()) return;
    if (ds->State() == dsEdit || ds->State() == dsInsert) {
        const bool wasInsert = Inserting();
        const int from = CurrentRow();
        ds->CheckBrowseMode();
        // The rows after a dropped or posted new record moved up by one.
        if (wasInsert && row > from) --row;
        if (row == CurrentRow()) return;
    }
    const long long last = ds->RecordCount() - 1;
    if (row == 0)
        ds->First();
    else if (row >= last)
        ds->Last();
    else
        ds->MoveBy(row - CurrentRow());
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(count_);
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString DataSetModel::CurrentText(int column) const {
    return QString::fromStdString(columns_[static_cast<std::size_t>(column)]->DisplayText());
}

const DataSetModel::Page* DataSetModel::FetchPage(long long page) const {
    auto it = pages_.find(page);
    if (it != pages_.end()) return &it->second;
    TDataSet* ds = DataSet();
    if (!ds) return nullptr;
    if (pages_.size() >= MaxPages) pages_.clear();
    Page rows;
    const long long first = page * PageSize + 1;
    const long long stored = ds->RecordCount();
    for (long long recNo = first; recNo < first + PageSize && recNo <= stored; ++recNo) {
        std::vector<QString> texts;
        const bool read = ds->ReadRecordAt(recNo, [&] {
            for (TField* f : columns_)
                texts.push_back(QString::fromStdString(f->DisplayText()));
        });
        if (!read) break;
        rows.push_back(std::move(texts));
    }
    return &pages_.emplace(page, std::move(rows)).first->second;
}

// Qt reads the model while it paints: nothing may throw out of a read, and no box may open inside it. A
// row that cannot be read shows empty (the rows read before stay) and the failure is told after the paint.
QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    QVariant value;
    GuardedPaint([&] { value = ReadData(index, role); });
    return value;
}

QVariant DataSetModel::ReadData(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const TDataSet* ds = DataSet();
    if (!ds || index.column() >= columnCount()) return {};
    const int row = index.row();
    // The record being edited or inserted shows what its fields hold now.
    if (row == insertRow_ || (ds->State() == dsEdit && row == lastCurrent_))
        return CurrentText(index.column());
    const long long recNo = RecNoOfRow(row);
    const Page* page = FetchPage((recNo - 1) / PageSize);
    const auto at = static_cast<std::size_t>((recNo - 1) % PageSize);
    if (page && at < page->size()) return (*page)[at][static_cast<std::size_t>(index.column())];
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    QVariant value;
    GuardedPaint([&] { value = ReadHeader(section, orientation, role); });
    return value;
}

QVariant DataSetModel::ReadHeader(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return QString::fromStdString(columns_[static_cast<std::size_t>(section)]->DisplayLabel());
    }
    // The indicator: the current record, marked by its state.
    if (section != lastCurrent_) return QString();
    const TDataSet* ds = DataSet();
    if (ds && ds->State() == dsInsert) return QStringLiteral("*");
    if (ds && ds->State() == dsEdit) return QStringLiteral("I");
    return QStringLiteral("\u25B6");
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    GuardedPaint([&] {
        if (Editable && index.isValid() && index.column() < columnCount()) {
            const TField* field = columns_[static_cast<std::size_t>(index.column())];
            if (!field->ReadOnly && !field->Calculated()) f |= Qt::ItemIsEditable;
        }
    });
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Editable || !index.isValid()) return false;
    return Guarded([&] {
        TDataSet* ds = DataSet();
        if (!ds) return;
        MoveToRow(index.row());
        TField* field = columns_[static_cast<std::size_t>(index.column())];
        ds->Edit();
        field->SetText(value.toString().toStdString());
    });
}

} // namespace fw
