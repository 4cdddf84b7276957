#include "kit/MyForm.h"

#include "app/data/DBMine.h"
#include "app/shell/DialogHandler.h"
#include "app/shell/FocusNavigation.h"
#include "app/shell/Hints.h"
#include "app/shell/ResPlus.h"
#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "fw/db/DataSource.h"
#include "fw/ui/Grid.h"
#include "fw/ui/Guard.h"
#include "fw/ui/StdCtrls.h"
#include "kit/GridTitles.h"
#include "kit/KitButtons.h"
#include "kit/Mycombo.h"
#include "kit/MyTable.h"
#include "kit/RequiredFields.h"

#include <iostream>

#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace kit {

TMyForm::TMyForm(fw::Component* owner) : fw::Form(owner) {
    KeyPreview = true;
    app::PreCreationChecks(this);
}

TMyForm::~TMyForm() {
    fw::Guarded([&] { app::CloseAllFormTables(this); });
    if (counted_) {
        app::ResourceGuardState& g = app::ResPlus.ResourceGuard;
        --g.FormTotal;
        g.ControlTotal -= countedControls_;
        g.ComponentTotal -= countedComponents_;
    }
    app::UnregisterReleasable(this);
}

void TMyForm::AfterCreate() {
    fw::Form::AfterCreate();
    app::ResourceGuardState& g = app::ResPlus.ResourceGuard;
    countedControls_ = CountControls(this);
    countedComponents_ = ComponentCount();
    ++g.FormTotal;
    g.ControlTotal += countedControls_;
    g.ComponentTotal += countedComponents_;
    counted_ = true;
    app::PostCreationChecks(this);
    SetTag(1);
    SavedActiveControl = ActiveControl();
    SavedClientWidth = ClientWidth();
    SavedClientHeight = ClientHeight();
    MayResizeWidth = false;
    MayResizeHeight = true;
}

bool TMyForm::ActiveControlIsKit() const {
    return dynamic_cast<KitControl*>(ActiveControl()) != nullptr;
}

// ------------------------------------------------------------------------------------------- events

void TMyForm::FormShow(fw::Component& sender) {
    app::CloseHint();
    if ((Tag() & fw::TagTablesOpening) == 0) app::OpenFormTables(this);
    // Before a grid takes the focus and keeps its search column's title.
    TitleColumnsAsLabelled(*this, [this](fw::TDataSet& shown) { TitleOwnFields(shown); });
    if (app::ResPlus.ResourceGuard.GuardPercentMode && app::Usage() < 2) app::RunningThresholdLoops(this);
    app::ReleaseHook();
    if (SavedActiveControl) SavedActiveControl->SetFocus();
    if (OnShow) OnShow(sender);
}

void TMyForm::FormActivate(fw::Component& sender) {
    app::CloseHint();
    if ((Tag() & fw::TagTablesOpening) == 0) app::OpenFormTables(this);
    app::SelectAllText(ActiveControl());
    if (OnActivate) OnActivate(sender);
}

void TMyForm::FormResize(fw::Component& sender) {
    app::CloseHint();
    if (SavedClientWidth > 0) {
        if (!MayResizeWidth && ClientWidth() != SavedClientWidth) SetClientWidth(SavedClientWidth);
        if (!MayResizeHeight && ClientHeight() != SavedClientHeight) SetClientHeight(SavedClientHeight);
    }
    if (OnResize) OnResize(sender);
}

namespace {
// Leaves the record as a move to another record does: a changed one is posted, an unchanged edit dropped.
void LeaveForClose(fw::TDataSet& table) {
    if (table.State() != fw::dsEdit && table.State() != fw::dsInsert) return;
    if (!table.Modified()) return table.Cancel();
    try {
        table.Post();
    } catch (const std::exception& e) {
        // A post the table refuses silently (a record it takes no inserts for, a refusal already told) is
        // dropped as a move to another record drops it; any other failure keeps the form open.
        if (!base::IsSilent(e)) throw;
        if (table.State() == fw::dsEdit || table.State() == fw::dsInsert) table.Cancel();
    }
}
} // namespace

bool TMyForm::PostForClose() {
    fw::Control* active = ActiveControl();
    try {
        // The value being typed is written as leaving its control writes it; a code the control refused
        // (told) is left as it was, and the leave tried again takes it back (the search is not asked twice):
        // the close goes on.
        for (int leave = 0; leave < 2 && ActiveControl(); ++leave) {
            try {
                SetActiveControl(nullptr);
            } catch (const std::exception& e) {
                if (!base::IsSilent(e)) throw;
            }
        }
        // A record of the user's that lacks a required value keeps the form open on it (told once).
        for (app::TMyTableX* table : app::FormTables(*this))
            if (auto* kitTable = dynamic_cast<TMyTable*>(table);
                kitTable && !RequiredValuesPresent(*kitTable))
                return false;
        for (app::TMyTableX* table : app::FormTables(*this)) {
            if (fw::TDataSource* master = table->MasterSource(); master && master->DataSet())
                LeaveForClose(*master->DataSet());
            LeaveForClose(*table);
        }
        return true;
    } catch (const std::exception& e) {
        // The form stays open on the refused record with its message.
        fw::ShowException(e);
        if (active && active->CanFocus()) active->SetFocus();
        return false;
    }
}

bool TMyForm::LeaveActiveForClose(fw::Control* active) {
    try {
        if (auto* kitControl = dynamic_cast<KitControl*>(active); kitControl && !kitControl->TakePending())
            return false;
        SetActiveControl(nullptr);
    } catch (const std::exception& e) {
        if (!base::IsSilent(e)) {
            fw::ShowException(e);
            if (active && active->CanFocus()) active->SetFocus();
            return false;
        }
    }
    return true;
}

bool TMyForm::StoreForClose(fw::Control* active) {
    // The focus goes back to the form's first control when it shows again.
    if (!PostForClose()) {
        // The refusal put the focus where the value is missing, or back where it was.
        if (!ActiveControl() && active && active->CanFocus()) active->SetFocus();
        return false;
    }
    app::FlushFormTables(this);
    return true;
}

void TMyForm::FormCloseQuery(fw::Component& sender, bool& canClose) {
    app::CloseHint();
    // The value being typed is taken as Enter takes it before the form's own close rule runs: that rule may
    // save and free what the control's exit works on (the designer's model).
    fw::Control* active = ActiveControl();
    if (!LeaveActiveForClose(active)) {
        canClose = false;
        return;
    }
    if (OnCloseQuery) OnCloseQuery(sender, canClose);
    if (!canClose) {
        if (active && active->CanFocus()) active->SetFocus();
        return;
    }
    canClose = StoreForClose(active);
}

namespace {

// While the program must end nobody may be there to answer: what would be told goes to the error output and
// every question is answered "Ne" (no code is made, renamed or deleted on the user's behalf).
class NobodyToAsk : public app::DialogHandler {
public:
    NobodyToAsk() : previous_(app::SetDialogHandler(this)) {}
    ~NobodyToAsk() override { app::SetDialogHandler(previous_); }
    NobodyToAsk(const NobodyToAsk&) = delete;
    NobodyToAsk& operator=(const NobodyToAsk&) = delete;

    bool AskYesNo(const std::string& text) override { return Tell(text); }
    void ShowInfo(const std::string& text) override { Tell(text); }
    bool ShowNema(const std::string& caption, const std::string& code) override {
        return Tell(caption + ": " + code);
    }
    bool AskStaro(const std::string& caption, const std::string& oldCode,
                  const std::string& newCode) override {
        return Tell(caption + ": " + oldCode + " > " + newCode);
    }
    bool AskNovo(const std::string& caption, const std::string& code) override {
        return Tell(caption + ": " + code);
    }
    bool AskBrisi(const std::string& caption, const std::string& code) override {
        return Tell(caption + ": " + code);
    }

private:
    static bool Tell(const std::string& text) {
        std::cerr << text << '\n';
        return false;
    }
    app::DialogHandler* previous_;
};

// A record of the user's that lacks a required value is not stored: its edit is cancelled, and a record the
// user's insert made in this opening (a new code) is deleted again.
void DropIncomplete(TMyTable& table) {
    if (!RequiredValueMissing(table)) return;
    if (table.State() == fw::dsInsert) return table.Cancel();
    const bool made = !table.MadeByUser.empty() && table.GetBookmark() == table.MadeByUser;
    if (table.State() == fw::dsEdit) table.Cancel();
    if (!made) return;
    const RequiredChecksAside aside;
    table.Delete();
    table.MadeByUser.clear();
}

} // namespace

bool TMyForm::StoreBeforeProgramEnds(bool mustEnd) {
    app::CloseHint();
    fw::Control* active = ActiveControl();
    if (!mustEnd) return LeaveActiveForClose(active) && StoreForClose(active);
    // Whatever is refused, the program goes: the valid is stored, the rest dropped, each refusal written
    // out as it would have been told.
    const NobodyToAsk nobody;
    fw::Guarded([&] { LeaveActiveForClose(active); });
    for (app::TMyTableX* table : app::FormTables(*this))
        if (auto* kitTable = dynamic_cast<TMyTable*>(table)) fw::Guarded([&] { DropIncomplete(*kitTable); });
    for (app::TMyTableX* table : app::FormTables(*this)) {
        fw::Guarded([&] {
            if (fw::TDataSource* master = table->MasterSource(); master && master->DataSet())
                LeaveForClose(*master->DataSet());
            LeaveForClose(*table);
        });
        fw::Guarded([&] {
            if (table->State() == fw::dsEdit || table->State() == fw::dsInsert) table->Cancel();
        });
    }
    fw::Guarded([&] { app::FlushFormTables(this); });
    return true;
}

void TMyForm::FormClose(fw::Component& sender, fw::CloseAction& action) {
    app::CloseHint();
    app::ReleaseForm(this);
    app::ReleaseHook();
    if (OnClose) OnClose(sender, action);
}

void TMyForm::FormKeyPress(fw::Component& sender, std::uint8_t& key) {
    if (key == 27 && escClosing_) key = 0;
    escClosing_ = false;
    // A kit check box that answers Enter itself (OnReturn) is not moved from as well.
    auto* box = dynamic_cast<TMyCheckBox*>(ActiveControl());
    if (!(key == 13 && box && box->OnReturn)) app::EnterAsTab(this, key);
    if (OnKeyPress) OnKeyPress(sender, key);
}

// ------------------------------------------------------------------------------------------- keys

namespace {

bool isButton(const fw::Control* c) {
    return dynamic_cast<const fw::Button*>(c) != nullptr;
}
bool isGridOrGroup(const fw::Control* c) {
    return dynamic_cast<const fw::Grid*>(c) || dynamic_cast<const fw::GroupBox*>(c);
}
// A plain edit: Up and Down move on from it. One that owns its arrow keys (a spin edit steps its value
// with them) keeps them.
bool isPlainEdit(const fw::Control* c) {
    return dynamic_cast<const fw::Edit*>(c) != nullptr && c->Tag() < fw::TagOwnArrowKeys;
}

const FunctionKeyProc* functionKeyProc(std::uint16_t key, fw::Shift shift) {
    const int index = key - fw::VK_F1;
    switch (shift) {
    case fw::ssNone:
        return &Kit.Plain[static_cast<std::size_t>(index)];
    case fw::ssShift:
        return &Kit.Shifted[static_cast<std::size_t>(index)];
    case fw::ssCtrl:
        return &Kit.Ctrl[static_cast<std::size_t>(index)];
    case fw::ssAlt:
        return &Kit.Alt[static_cast<std::size_t>(index)];
    default:
        return nullptr;
    }
}

} // namespace

void TMyForm::WalkTabCycle() {
    fw::Control* start = ActiveControl();
    std::vector<fw::Control*> list;
    GetTabOrderList(list);
    // One full cycle at most: a start outside the cycle or a control that keeps the focus ends it.
    for (std::size_t i = 0; i < list.size(); ++i) {
        app::MoveFocus(ActiveControl(), true);
        if (ActiveControl() == start) break;
    }
}

bool TMyForm::KitKeys(std::uint16_t& key, fw::Shift shift) {
    fw::Control* active = ActiveControl();
    const bool other = shift != fw::ssShift && shift != fw::ssCtrl && shift != fw::ssAlt;
    if (key >= fw::VK_F1 && key <= fw::VK_F12) {
        if (key == fw::VK_F11 && shift == fw::ssNone) {
            key = 0;
            ShowFocusMark(active);
            return false;
        }
        const FunctionKeyProc* proc = functionKeyProc(key, shift);
        if (proc && *proc) {
            (*proc)();
            key = 0;
        }
        return false;
    }
    if (key == fw::VK_ESCAPE && shift == fw::ssNone) {
        // An open list takes its Esc itself: it closes, the form stays.
        if (active && active->WantsKey(key, shift)) return false;
        key = 0;
        // The Esc character that follows must not undo the text the close is about to take.
        escClosing_ = true;
        Close();
        return true;
    }
    if (key == fw::VK_RETURN && shift == fw::ssShift) return true;
    if (key == fw::VK_ESCAPE && shift == fw::ssCtrl) {
        key = 0;
        WalkTabCycle();
        return true;
    }
    if ((key == fw::VK_UP || key == fw::VK_DOWN) && shift == fw::ssCtrl) {
        const bool forward = key == fw::VK_DOWN;
        key = 0;
        app::MoveFocus(active, forward);
        return true;
    }
    if (fw::IsArrowKey(key) && shift == fw::ssAlt) {
        MoveFocusByArrow(key, active);
        key = 0;
        return false;
    }
    if ((key == fw::VK_LEFT || key == fw::VK_RIGHT) && other && isGridOrGroup(active)) {
        const bool forward = key == fw::VK_RIGHT;
        key = 0;
        app::MoveFocus(active, forward);
        return true;
    }
    if (key == fw::VK_RETURN && shift == fw::ssNone && isButton(active)) {
        key = 0;
        active->Click();
        // The click answered Enter: Enter-as-Tab must not move the focus afterwards as well.
        return true;
    }
    if ((key == fw::VK_UP || key == fw::VK_DOWN) && other && ActiveControlNotKit(this) &&
        isPlainEdit(active)) {
        const bool forward = key == fw::VK_DOWN;
        key = 0;
        app::MoveFocus(active, forward);
        return true;
    }
    return false;
}

void TMyForm::FormKeyDown(fw::Component& sender, std::uint16_t& key, fw::Shift shift) {
    app::FormOpener.KeyHandled = false;
    escClosing_ = false;
    if (OnKeyDown) OnKeyDown(sender, key, shift);
    if (app::FormOpener.KeyHandled) return;
    QPointer<QWidget> alive(this);
    app::FormOpener.KeyHandled = KitKeys(key, shift);
    if (alive && key != 0) DeferredDialogKey(key, shift);
}

bool TMyForm::DialogKey(std::uint16_t key, fw::Shift shift) {
    if (key != fw::VK_TAB) return false;
    return fw::Form::DialogKey(key, shift);
}

void TMyForm::DeferredDialogKey(std::uint16_t& key, fw::Shift shift) {
    if (shift & (fw::ssCtrl | fw::ssAlt)) return;
    if (key != fw::VK_RETURN && key != fw::VK_ESCAPE && !fw::IsArrowKey(key)) return;
    if (fw::Control* a = ActiveControl()) {
        if (fw::IsArrowKey(key) && a->Tag() >= fw::TagOwnArrowKeys) return;
        if (a->WantsKey(key, shift)) return;
    }
    if (fw::Form::DialogKey(key, shift)) key = 0;
}

// ------------------------------------------------------------------------------------------- focus mark

namespace {

// Blink phases left of the focus mark.
int phasesLeft = 0;
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::Kit, [] { phasesLeft = 0; });

// Painted over the control: the frame, the cross-hair and the disc, yellow and red by turns.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget* over) : QWidget(over) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(over->rect());
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start(55);
        phasesLeft = 6;
        show();
        raise();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const int w = width(), h = height();
        const int r = std::clamp(std::min(h / 3, w / 3), 7, 13);
        const int x0 = std::max(1, (w - 2 * r) / 2), y0 = std::max(1, (h - 2 * r) / 2);
        const bool first = phasesLeft % 2 == 0;
        const QColor pen = first ? Qt::yellow : Qt::red, fill = first ? Qt::red : Qt::yellow;
        QPainter p(this);
        p.setPen(QPen(pen, 1));
        p.drawPolyline(
            QPolygon({QPoint(1, 1), QPoint(1, h - 2), QPoint(w - 2, h - 2), QPoint(w - 2, 1), QPoint(1, 1)}));
        p.drawLine(1, h / 2, w - 2, h / 2);
        p.drawLine(w / 2, 1, w / 2, h - 2);
        p.setBrush(fill);
        p.drawEllipse(QRect(QPoint(x0, y0), QPoint(w - x0, h - y0)));
    }

private:
    void Tick() {
        if (--phasesLeft <= 0) {
            timer_.stop();
            deleteLater();
            return;
        }
        update();
    }
    QTimer timer_;
};

} // namespace

void ShowFocusMark(fw::Control* control) {
    fw::MessageBeep(0);
    if (!control || !control->Widget().isVisible()) return;
    new FocusMark(&control->Widget());
}

int FocusMarkPhasesLeft() {
    return phasesLeft;
}

} // namespace kit
