// An engine error raised while Qt calls into the forms (paint, model reads, event handlers, timers) keeps
// the form and the program alive and is told once, after the event, never from inside it.
#include "fw/ui/Timer.h"
#include "tests/kit/CodeListFixture.h"

#include <QPointer>
#include <QWheelEvent>

namespace kittest {
namespace {

constexpr const char* EngineError = "Indeks ne postoji (SIFRE.DB)";

// The form's table as it is when its files went away under it: every read raises the engine's error.
class VanishingTable : public kit::TMyTable {
public:
    using kit::TMyTable::TMyTable;
    bool Gone = false;

protected:
    const engine::Row* InternalCurrentRow() const override {
        Raise();
        return kit::TMyTable::InternalCurrentRow();
    }
    long long InternalRecordCount() const override {
        Raise();
        return kit::TMyTable::InternalRecordCount();
    }
    bool InternalReadRecordAt(long long recNo, engine::Row& row) override {
        Raise();
        return kit::TMyTable::InternalReadRecordAt(recNo, row);
    }

private:
    void Raise() const {
        if (Gone) throw base::Exception(EngineError);
    }
};

// A control of the program's own whose handlers read the table, as the program's controls read theirs.
class ReadingControl : public fw::ControlOf<QWidget> {
public:
    ReadingControl(fw::Control* parent, fw::Component* owner, fw::TDataSet& table)
        : fw::ControlOf<QWidget>(parent, owner), table_(table) {}
    void Read() const { (void)table_.RecordCount(); }

protected:
    void paintEvent(QPaintEvent*) override { Read(); }
    void mousePressEvent(QMouseEvent*) override { Read(); }
    void wheelEvent(QWheelEvent*) override { Read(); }
    void timerEvent(QTimerEvent*) override { Read(); }

private:
    fw::TDataSet& table_;
};

class EngineErrorTest : public CodeListTest {
protected:
    EngineErrorTest() {
        // More rows than the grid keeps read, so that scrolling reads the table again.
        fw::TTable t;
        Setup(t, "Global", "SIFRE.DB");
        t.Open();
        for (int i = 0; i < 300; ++i) {
            t.Append();
            t.FieldByName("Sifra").SetAsString("A" + std::to_string(100 + i));
            t.FieldByName("Naziv").SetAsString("Naziv " + std::to_string(i));
            t.Post();
        }
        form.reset(fw::CreateForm<CodeListForm>(nullptr, [this](CodeListForm& f) {
            table = new VanishingTable(&f);
            table->SetName("tGone");
            table->SetDatabaseName("Global");
            table->SetTableName("SIFRE.DB");
            table->SetIndexFieldNames("Sifra");
            table->FreeToModify = true;
            probe = new ReadingControl(&f, &f, *table);
            probe->SetName("pProbe");
            probe->SetBounds(10, 100, 100, 40);
            timer = new fw::Timer(&f);
            timer->SetEnabled(false);
            timer->SetInterval(1);
            timer->OnTimer = [this](fw::Component&) { probe->Read(); };
        }));
        if (!table->Active()) table->Open();
        form->sSifre.SetDataSet(table);
        form->gSifre->SetDataSource(&form->sSifre);
        fwtest::ShowActive(*form);
        form->eSifra->SetFocus();
        // A message box runs its own loop: the form behind it paints again while the box is open.
        oldHook = fw::SetMessageHook([this](const std::string& text) {
            told.push_back(text);
            if (form) form->gSifre->viewport()->repaint();
            if (probe) probe->repaint();
        });
    }
    ~EngineErrorTest() override { fw::SetMessageHook(std::move(oldHook)); }

    VanishingTable* table = nullptr;
    ReadingControl* probe = nullptr;
    fw::Timer* timer = nullptr;
    std::vector<std::string> told;
    fw::MessageHook oldHook;
};

TEST_F(EngineErrorTest, EveryEntryFromQtSurvivesTheErrorAndTellsItOnce) {
    struct Entry {
        const char* Name;
        std::function<void()> Run;
    };
    const std::vector<Entry> entries = {
        {"grid rows painted",
         [&] {
             form->gSifre->scrollToBottom();
             form->gSifre->viewport()->repaint();
         }},
        {"grid row clicked",
         [&] {
             form->gSifre->scrollToTop();
             const QRect cell = form->gSifre->visualRect(form->gSifre->model()->index(2, 0));
             QTest::mouseClick(form->gSifre->viewport(), Qt::LeftButton, {}, cell.center());
         }},
        {"control painted", [&] { probe->repaint(); }},
        {"control clicked", [&] { QTest::mouseClick(probe, Qt::LeftButton); }},
        {"control wheel",
         [&] {
             QWheelEvent wheel(QPointF(5, 5), probe->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120),
                               Qt::NoButton, {}, Qt::NoScrollPhase, false);
             QApplication::sendEvent(probe, &wheel);
         }},
        {"control timer",
         [&] {
             const int id = probe->startTimer(1);
             QTest::qWait(20);
             probe->killTimer(id);
         }},
        {"form timer",
         [&] {
             timer->SetEnabled(true);
             QTest::qWait(20);
             timer->SetEnabled(false);
         }},
        {"form resized",
         [&] {
             form->OnResize = [&](fw::Component&) { probe->Read(); };
             form->resize(form->width() + 10, form->height());
             QCoreApplication::processEvents();
             form->OnResize = nullptr;
         }},
        {"key in a field",
         [&] {
             form->eNaziv->SetFocus();
             form->eNaziv->OnKeyDown = [&](fw::Component&, std::uint16_t&, fw::Shift) { probe->Read(); };
             Press(Qt::Key_F5);
             form->eNaziv->OnKeyDown = nullptr;
         }},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.Name);
        told.clear();
        table->Gone = true;
        const QPointer<QWidget> alive(form.get());
        entry.Run();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        table->Gone = false;
        ASSERT_FALSE(alive.isNull());
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(told, std::vector<std::string>{EngineError});
        // Painting again while the error lasts tells nothing more, until the user's next key.
        table->Gone = true;
        form->gSifre->viewport()->repaint();
        QCoreApplication::processEvents();
        table->Gone = false;
        EXPECT_EQ(told.size(), 1u);
        Press(Qt::Key_Shift);
    }
    // The form still works on its table.
    form->eSifra->SetFocus();
    Type("A250");
    Press(Qt::Key_Return);
    EXPECT_EQ(table->FieldByName("Sifra").AsString(), "A250");
}

} // namespace
} // namespace kittest
