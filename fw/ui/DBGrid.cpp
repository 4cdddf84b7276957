#include "fw/ui/DBGrid.h"

#include "fw/db/DataSet.h"
#include "fw/db/Field.h"
#include "fw/ui/Guard.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace fw {
namespace {

// The row header shows nothing but the current record's indicator, so its width follows from the widest
// indicator alone. The stock header measures up to 200 rows whenever its contents change, and a large
// table changes them with every move.
class IndicatorHeader : public QHeaderView {
public:
    explicit IndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}

    QSize sizeHint() const override {
        if (count() == 0) return QHeaderView::sizeHint();
        if (!hint_.isValid()) {
            hint_ = QSize(0, 0);
            QFont bold = font();
            bold.setBold(true); // as for a highlighted section
            for (const QString& text :
                 {QString(), QStringLiteral("\u25B6"), QStringLiteral("I"), QStringLiteral("*")}) {
                QStyleOptionHeader opt;
                initStyleOption(&opt);
                opt.section = 0;
                opt.fontMetrics = QFontMetrics(bold);
                opt.text = text;
                hint_ = hint_.expandedTo(
                    style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), this));
            }
        }
        return hint_;
    }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) hint_ = QSize();
        QHeaderView::changeEvent(event);
    }

private:
    mutable QSize hint_;
};

// The characters a field's text can take: its display width, a text field's size, else its kind's.
int FieldChars(const TField& field) {
    if (field.DisplayWidth > 0) return field.DisplayWidth;
    switch (field.DataType()) {
    case ftString:
        return std::max(field.Size(), 1);
    case ftBoolean:
        return 3;
    case ftSmallint:
        return 6;
    case ftDate:
        return 10;
    default:
        return 12;
    }
}

// Widths that fit in room: the widest columns give way first, down to the narrowest a column may get.
void ShareRoom(std::vector<int>& widths, int room, int narrowest) {
    long long total = std::accumulate(widths.begin(), widths.end(), 0LL);
    while (total > room) {
        auto widest = std::max_element(widths.begin(), widths.end());
        if (*widest <= narrowest) return;
        int next = narrowest;
        for (int w : widths)
            if (w < *widest) next = std::max(next, w);
        const long long count = std::count(widths.begin(), widths.end(), *widest);
        const int cut =
            static_cast<int>(std::min<long long>(*widest - next, (total - room + count - 1) / count));
        const int from = *widest;
        for (int& w : widths)
            if (w == from) w -= cut;
        total -= cut * count;
    }
}

} // namespace

DBGrid::DBGrid(Control* parent, Component* owner) : Grid(parent, owner) {
    auto* rows = new IndicatorHeader(this);
    rows->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    rows->setSectionsClickable(verticalHeader()->sectionsClickable());
    rows->setHighlightSections(verticalHeader()->highlightSections());
    setVerticalHeader(rows);
    model_.OnCurrentRowChanged = [this](int row) { FollowDataSet(row); };
    model_.OnIndicatorChanged = [this] { verticalHeader()->viewport()->update(); };
    setModel(&model_);
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { FitColumns(); });
    connect(&model_, &QAbstractItemModel::headerDataChanged, this, [this] { FitColumns(); });
    SetOptions(dgEditing | dgTitles | dgIndicator | dgColLines | dgRowLines | dgRowSelect | dgConfirmDelete);
}

DBGrid::~DBGrid() {
    // The model goes before the view's base part: detach it first.
    model_.OnCurrentRowChanged = nullptr;
    model_.OnIndicatorChanged = nullptr;
    setModel(nullptr);
}

void DBGrid::SetOptions(unsigned options) {
    options_ = options;
    horizontalHeader()->setVisible((options & dgTitles) != 0);
    verticalHeader()->setVisible((options & dgIndicator) != 0);
    setShowGrid((options & (dgColLines | dgRowLines)) != 0);
    setSelectionBehavior((options & dgRowSelect) ? SelectRows : SelectItems);
    model_.Editable = CanEdit();
    setEditTriggers(model_.Editable ? QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked
                                    : QAbstractItemView::NoEditTriggers);
}

bool DBGrid::CanEdit() const {
    return (options_ & dgEditing) && !(options_ & dgRowSelect) && !ReadOnly;
}

void DBGrid::FollowDataSet(int row) {
    following_ = true;
    if (row < 0) {
        setCurrentIndex({});
    } else {
        const int column = std::max(currentIndex().column(), 0);
        setCurrentIndex(model_.index(row, std::min(column, std::max(model_.columnCount() - 1, 0))));
        scrollTo(currentIndex());
    }
    following_ = false;
}

void DBGrid::FitColumns() {
    const std::vector<TField*>& columns = model_.Columns();
    if (columns.empty()) return;
    const QFontMetrics cells(font());
    const QFontMetrics titles(horizontalHeader()->font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    // Codes and names are mostly capitals and figures: measured by a capital, not by the average letter.
    const int charWidth =
        std::max(cells.horizontalAdvance(QLatin1Char('M')) * 3 / 4, cells.averageCharWidth());
    std::vector<int> widths;
    for (const TField* f : columns) {
        const int text = FieldChars(*f) * charWidth;
        const int title = titles.horizontalAdvance(QString::fromStdString(f->DisplayLabel()));
        widths.push_back(std::max(text, title) + padding);
    }
    ShareRoom(widths, viewport()->width(), cells.horizontalAdvance(QStringLiteral("MMMM")) + padding);
    for (std::size_t i = 0; i < widths.size(); ++i)
        horizontalHeader()->resizeSection(static_cast<int>(i), widths[i]);
}

void DBGrid::resizeEvent(QResizeEvent* event) {
    Grid::resizeEvent(event);
    FitColumns();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    Grid::currentChanged(current, previous);
    if (following_ || !current.isValid() || current.row() == previous.row()) return;
    editRefused_ = false;
    const bool moved = Guarded([&] { model_.MoveToRow(current.row()); });
    // The view shows where the dataset really is (a refused move leaves it on its record).
    if (!moved || model_.CurrentRow() != current.row()) FollowDataSet(model_.CurrentRow());
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    TDataSet* ds = DataSet();
    const bool opens = index.isValid() && state() != EditingState &&
                       (model_.flags(index) & Qt::ItemIsEditable) &&
                       (trigger == AllEditTriggers || (editTriggers() & trigger));
    if (!opens || !ds || ds->State() != dsBrowse) return Grid::edit(index, trigger, event);
    if (editRefused_) {
        MessageBeep(0);
        return false;
    }
    const bool editing = Guarded([&] {
        model_.MoveToRow(index.row());
        ds->Edit();
    });
    if (editing && ds->State() == dsEdit) {
        editBegun_ = true;
        if (Grid::edit(index, trigger, event)) return true;
        editBegun_ = false;
        Guarded([&] { ds->Cancel(); });
        return false;
    }
    // Refused: told (a refusal without a word was told by whoever refused, and the record shown afresh).
    editRefused_ = true;
    FollowDataSet(model_.CurrentRow());
    return false;
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    Grid::closeEditor(editor, hint);
    TDataSet* ds = DataSet();
    if (std::exchange(editBegun_, false) && ds && ds->State() == dsEdit && !ds->Modified())
        Guarded([&] { ds->Cancel(); });
}

void DBGrid::DoEnter() {
    editRefused_ = false;
    Grid::DoEnter();
}

void DBGrid::KeyDown(std::uint16_t& key, Shift shift) {
    Grid::KeyDown(key, shift);
    TDataSet* ds = DataSet();
    if (key == 0 || !ds) return;
    const bool editable = !ReadOnly && ds->CanModify();
    if (key == VK_INSERT && shift == ssNone && editable) {
        ds->Insert();
        key = 0;
    } else if (key == VK_DELETE && shift == ssCtrl && editable && !ds->IsEmpty()) {
        key = 0;
        if ((options_ & dgConfirmDelete) && !ConfirmDelete()) return;
        ds->Delete();
    } else if (key == VK_DOWN && shift == ssNone && (options_ & dgEditing) && editable &&
               ds->State() != dsInsert && (ds->IsEmpty() || model_.CurrentRow() == model_.rowCount() - 1)) {
        ds->Append();
        key = 0;
    } else if (key == VK_ESCAPE && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        ds->Cancel();
        key = 0;
    }
}

void DBGrid::ExitCheck() {
    // An open cell editor writes its text through the model.
    if (state() == QAbstractItemView::EditingState)
        if (QWidget* editor = indexWidget(currentIndex())) commitData(editor);
    if (TDataSet* ds = DataSet(); ds && (ds->State() == dsEdit || ds->State() == dsInsert))
        ds->UpdateRecord();
}

} // namespace fw
