#pragma once
// A grid over a dataset: a table view on a DataSetModel whose current row follows the dataset's current
// record both ways. Insert starts a new record, Down past the last row appends one (while editing is
// allowed), Ctrl+Del deletes the current record after ConfirmDelete, and Esc drops a pending edit. A cell
// editor opens only on a record that went into edit: a record another station holds or files that refuse
// the write are told before anything is typed, once a visit. Its
// columns take the room their fields need, and share the grid's width only when it is too narrow for all.

#include "fw/ui/DataSetModel.h"
#include "fw/ui/Grid.h"

namespace fw {

enum GridOption : unsigned {
    dgEditing = 1,
    dgTitles = 2,
    dgIndicator = 4,
    dgColLines = 8,
    dgRowLines = 16,
    dgRowSelect = 32,
    dgConfirmDelete = 64,
};

class DBGrid : public Grid {
public:
    explicit DBGrid(Control* parent, Component* owner = nullptr);
    ~DBGrid() override;

    TDataSource* DataSource() const { return model_.DataSource(); }
    void SetDataSource(TDataSource* source) { model_.SetDataSource(source); }
    TDataSet* DataSet() const { return model_.DataSet(); }
    DataSetModel& Model() { return model_; }
    unsigned Options() const { return options_; }
    void SetOptions(unsigned options);
    bool ReadOnly = false;

    void KeyDown(std::uint16_t& key, Shift shift) override;
    // Writes an open cell editor into its field; a failure keeps the focus.
    void ExitCheck() override;
    void DoEnter() override;

protected:
    // Asked before Ctrl+Del deletes the current record (with dgConfirmDelete); the default agrees.
    virtual bool ConfirmDelete() { return true; }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // The record goes into edit before a cell editor opens on it.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    // A cell left without a change leaves no edit open that it began.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool CanEdit() const;
    void FollowDataSet(int row);
    // Each column as wide as its field's text and title, narrowed to the grid only when they do not fit.
    void FitColumns();
    DataSetModel model_;
    unsigned options_ = 0;
    bool following_ = false;
    // The record refused the edit in this visit of the grid (told once; a cell tried again only beeps).
    bool editRefused_ = false;
    bool editBegun_ = false;
};

} // namespace fw
