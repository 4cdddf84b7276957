#include "fw/ui/DBLookupCombo.h"

#include "base/Text.h"
#include "fw/db/DataSet.h"
#include "fw/db/Field.h"
#include "fw/db/FieldDefs.h"
#include "fw/ui/DataSetModel.h"
#include "fw/ui/Guard.h"

#include <functional>
#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace fw {

// Follows the lookup table: its moves may bring the row of the value the combo shows.
class DBLookupCombo::ListLink : public TDataLink {
public:
    explicit ListLink(DBLookupCombo& combo) : combo_(combo) {}

protected:
    void ActiveChanged() override { combo_.LookupChanged(); }
    void RecordChanged(TField*) override { combo_.LookupChanged(); }

private:
    DBLookupCombo& combo_;
};

namespace {

// The list: a table view that follows the lookup table's current row and moves it as the user moves.
class LookupList : public QTableView {
public:
    LookupList(DataSetModel& model, QWidget* parent) : QTableView(parent), model_(model) {
        setModel(&model_);
        setSelectionBehavior(SelectRows);
        setSelectionMode(SingleSelection);
        setEditTriggers(NoEditTriggers);
        setTabKeyNavigation(false);
        verticalHeader()->setVisible(false);
        horizontalHeader()->setVisible(false);
        model_.OnCurrentRowChanged = [this](int row) { Follow(row); };
    }
    ~LookupList() override {
        model_.OnCurrentRowChanged = nullptr;
        setModel(nullptr);
    }
    void Follow(int row) {
        following_ = true;
        if (row < 0) {
            setCurrentIndex({});
        } else {
            setCurrentIndex(model_.index(row, FirstShownColumn()));
            scrollTo(currentIndex());
        }
        following_ = false;
    }
    // Letters belong to the edit, not to Qt's own search.
    void keyboardSearch(const QString&) override {}

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        QTableView::currentChanged(current, previous);
        if (following_ || !current.isValid() || current.row() == previous.row()) return;
        const bool moved = Guarded([&] { model_.MoveToRow(current.row()); });
        if (!moved || model_.CurrentRow() != current.row()) Follow(model_.CurrentRow());
    }

private:
    int FirstShownColumn() const {
        for (int c = 0; c < model_.columnCount(); ++c)
            if (!isColumnHidden(c)) return c;
        return 0;
    }
    DataSetModel& model_;
    bool following_ = false;
};

} // namespace

// The drop-down frame: a top-level popup (no control of ours, so its keys never reach the form's key
// handling); it tells the combo when Qt closed it (a click elsewhere).
class DBLookupCombo::Popup : public QFrame {
public:
    Popup() : QFrame(nullptr, Qt::Popup) {
        setFrameShape(QFrame::Box);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
    }
    std::function<void()> OnHidden;
    std::function<bool(QKeyEvent&)> OnKey;

protected:
    void hideEvent(QHideEvent* event) override {
        QFrame::hideEvent(event);
        if (OnHidden) Guarded(OnHidden);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && OnKey) {
            bool used = false;
            Guarded([&] { used = OnKey(static_cast<QKeyEvent&>(*event)); });
            return used;
        }
        return QFrame::eventFilter(watched, event);
    }
};

DBLookupCombo::DBLookupCombo(Control* parent, Component* owner)
    : Edit(parent, owner), lookupLink_(std::make_unique<ListLink>(*this)),
      model_(std::make_unique<DataSetModel>()), popup_(std::make_unique<Popup>()) {
    link_.OnDataChange = [this] { DataChange(); };
    list_ = new LookupList(*model_, popup_.get());
    popup_->layout()->addWidget(list_);
    list_->installEventFilter(popup_.get());
    popup_->OnHidden = [this] { ListClosedByQt(); };
    popup_->OnKey = [this](QKeyEvent& e) {
        switch (e.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (!(e.modifiers() & Qt::AltModifier)) return false; // the list moves
            CloseUp();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            PickRow();
            return true;
        case Qt::Key_Escape:
        case Qt::Key_F4:
            CloseUp();
            return true;
        default:
            break;
        }
        // Anything else closes the list and is the edit's.
        CloseUp();
        QKeyEvent copy(QEvent::KeyPress, e.key(), e.modifiers(), e.text());
        QApplication::sendEvent(this, &copy);
        return true;
    };
    QObject::connect(list_, &QTableView::doubleClicked, [this] { Guarded([this] { PickRow(); }); });
    QObject::connect(model_.get(), &QAbstractItemModel::modelReset,
                     [this] { GuardedEvent([this] { ShowColumns(); }); });
}

DBLookupCombo::~DBLookupCombo() {
    DetachLink();
    popup_->OnHidden = nullptr;
    popup_->OnKey = nullptr;
    lookupLink_->SetDataSource(nullptr);
    model_->SetDataSource(nullptr);
    popup_.reset();
}

TDataSource* DBLookupCombo::LookupSource() const {
    return lookupLink_->DataSource();
}

void DBLookupCombo::SetLookupSource(TDataSource* source) {
    lookupLink_->SetDataSource(source);
}

TDataSet* DBLookupCombo::LookupDataSet() const {
    return lookupLink_->Active() ? lookupLink_->DataSet() : nullptr;
}

void DBLookupCombo::SetLookupDisplay(const std::string& names) {
    lookupDisplay_ = names;
    ShowColumns();
}

void DBLookupCombo::SetReadOnly(bool readOnly) {
    link_.ReadOnly = readOnly;
    Edit::SetReadOnly(readOnly);
}

std::string DBLookupCombo::ShownField() const {
    const auto names = SplitFieldNames(lookupDisplay_);
    return names.empty() ? lookupField_ : names.front();
}

bool DBLookupCombo::RowDisplay(const std::string& value, std::string& display) const {
    TDataSet* lookup = LookupDataSet();
    if (!lookup || value.empty() || lookup->IsEmpty()) return false;
    TField* key = lookup->FindField(lookupField_);
    TField* shown = lookup->FindField(ShownField());
    if (!key || !shown || key->AsString() != value) return false;
    display = shown->Text();
    return true;
}

void DBLookupCombo::ShowDisplay(const std::string& text) {
    showing_ = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{showing_};
    if (text != Text()) SetText(text);
    typed_ = false;
}

void DBLookupCombo::SetValue(const std::string& value) {
    value_ = value;
    std::string display;
    if (value.empty())
        ShowDisplay("");
    else if (base::UpperCase(ShownField()) == base::UpperCase(lookupField_))
        ShowDisplay(value);
    else if (RowDisplay(value, display))
        ShowDisplay(display);
    else
        typed_ = false; // the lookup table brings the row's text when it gets there
}

void DBLookupCombo::Loaded() {
    Edit::Loaded();
    DataChange();
}

void DBLookupCombo::DataChange() {
    const TField* f = Field();
    const std::string value = f ? f->AsString() : std::string();
    // Typed text stays while the field keeps its value (a post or refresh of the record); the code on top
    // settles or takes it back.
    if (typed_ && value == value_) return;
    SetValue(value);
    std::string display;
    if (!value_.empty() && !RowDisplay(value_, display) &&
        base::UpperCase(ShownField()) != base::UpperCase(lookupField_))
        ShowDisplay("");
}

void DBLookupCombo::LookupChanged() {
    std::string display;
    if (typed_ || ListVisible() || !RowDisplay(value_, display)) return;
    ShowDisplay(display);
}

void DBLookupCombo::Change() {
    if (!showing_) typed_ = true;
    Edit::Change();
}

bool DBLookupCombo::ListVisible() const {
    return popup_->isVisible();
}

QTableView& DBLookupCombo::List() const {
    return *list_;
}

void DBLookupCombo::ShowColumns() {
    const auto names = SplitFieldNames(lookupDisplay_.empty() ? lookupField_ : lookupDisplay_);
    const auto& columns = model_->Columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        bool shown = false;
        for (const auto& n : names)
            shown = shown || base::UpperCase(n) == base::UpperCase(columns[c]->FieldName());
        list_->setColumnHidden(static_cast<int>(c), !shown);
    }
}

void DBLookupCombo::DropDown() {
    if (ListVisible() || !LookupSource()) return;
    model_->SetDataSource(LookupSource());
    ShowColumns();
    static_cast<LookupList*>(list_)->Follow(model_->CurrentRow());
    const int rows = std::clamp(model_->rowCount(), 1, 8);
    popup_->resize(std::max(Width(), 120), rows * list_->verticalHeader()->defaultSectionSize() + 4);
    popup_->move(ClientToScreen(QPoint(0, Height())));
    popup_->show();
    list_->setFocus(Qt::PopupFocusReason);
}

void DBLookupCombo::CloseUp() {
    if (!ListVisible()) return;
    closing_ = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{closing_};
    popup_->hide();
    model_->SetDataSource(nullptr);
}

void DBLookupCombo::ListClosedByQt() {
    if (closing_) return;
    model_->SetDataSource(nullptr);
    // The list is already gone: the code on top still closes its part.
    CloseUp();
}

void DBLookupCombo::PickRow() {
    TDataSet* lookup = LookupDataSet();
    std::string text;
    if (lookup && !lookup->IsEmpty())
        if (TField* shown = lookup->FindField(ShownField())) text = shown->Text();
    if (lookup && !lookup->IsEmpty() && text != Text()) {
        SetText(text);
        SelectAll();
    }
    CloseUp();
}

void DBLookupCombo::KeyDown(std::uint16_t& key, Shift shift) {
    Edit::KeyDown(key, shift);
    if (key == VK_F4 && shift == ssNone) {
        key = 0;
        if (ListVisible())
            CloseUp();
        else
            DropDown();
    } else if (ListVisible() && (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT)) {
        // Keys that reach the edit while the list is open move the list.
        const Qt::Key qt = key == VK_UP      ? Qt::Key_Up
                           : key == VK_DOWN  ? Qt::Key_Down
                           : key == VK_PRIOR ? Qt::Key_PageUp
                                             : Qt::Key_PageDown;
        key = 0;
        QKeyEvent move(QEvent::KeyPress, qt, Qt::NoModifier);
        QApplication::sendEvent(list_, &move);
    }
}

bool DBLookupCombo::WantsKey(std::uint16_t key, Shift shift) const {
    return Edit::WantsKey(key, shift) || key == VK_RETURN || (ListVisible() && key == VK_ESCAPE);
}

} // namespace fw
