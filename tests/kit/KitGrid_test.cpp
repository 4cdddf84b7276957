#include "engine/TableImage.h"
#include "tests/kit/DataFormFixture.h"

#include <QApplication>
#include <QImage>

namespace kittest {
namespace {

class KitGridTest : public DataFormTest {
protected:
    KitGridTest() {
        Fill({{"S1", "Gama", 1, ""}, {"S2", "AA", 1, ""}, {"S3", "AC", 1, ""}, {"S4", "Beta", 1, ""}});
        form.reset(fw::CreateForm<ArtiklForm>(nullptr));
        form->tArtikl->SetIndexFieldNames("Code");
        fwtest::ShowActive(*form);
        form->gArtikl->SetFocus();
    }
    kit::TMyDBGrid& G() { return *form->gArtikl; }
    std::string Title(const char* field) { return T().FieldByName(field).DisplayLabel(); }
    // What the grid shows in a cell, read through its model.
    std::string Cell(int row, const char* field) {
        const auto& columns = G().Model().Columns();
        const auto it = std::find(columns.begin(), columns.end(), T().FindField(field));
        const int column = static_cast<int>(it - columns.begin());
        return G().Model().data(G().Model().index(row, column), Qt::DisplayRole).toString().toStdString();
    }
};

TEST_F(KitGridTest, ShowsTheTableAndFollowsItsCurrentRecordBothWays) {
    EXPECT_EQ(G().Model().rowCount(), 4);
    EXPECT_EQ(Cell(3, "Naziv"), "Beta");
    EXPECT_EQ(T().RecNo(), 1) << "reading a row for the view leaves the record where it is";
    Press(Qt::Key_Down);
    EXPECT_EQ(F("Naziv"), "AA");
    T().Last();
    EXPECT_EQ(G().currentIndex().row(), 3);
    Press(Qt::Key_Up);
    EXPECT_EQ(F("Naziv"), "AC");
}

// An edit begun and dropped, a row another station renamed and one it added: the grid shows each, and its
// current row stays on the record.
TEST_F(KitGridTest, ShowsEditsAndOtherStationsChangesOnTheRightRows) {
    auto indicator = [&](int row) {
        return G().Model().headerData(row, Qt::Vertical, Qt::DisplayRole).toString().toStdString();
    };
    Press(Qt::Key_Down);
    EXPECT_EQ(Cell(3, "Naziv"), "Beta");
    T().Edit();
    T().FieldByName("Naziv").SetAsString("AB");
    EXPECT_EQ(Cell(1, "Naziv"), "AB");
    EXPECT_EQ(indicator(1), "I");
    T().Cancel();
    EXPECT_EQ(Cell(1, "Naziv"), "AA");
    EXPECT_EQ(indicator(1), "\u25B6");

    fw::TTable other;
    Setup(other, "Global", "ARTIKL.DB");
    other.Open();
    other.Last();
    other.Edit();
    other.FieldByName("Naziv").SetAsString("Delta");
    other.Post();
    T().Refresh();
    EXPECT_EQ(Cell(3, "Naziv"), "Delta");
    EXPECT_EQ(G().currentIndex().row(), 1);
    EXPECT_EQ(F("Naziv"), "AA");
    other.Append();
    other.FieldByName("Sifra").SetAsString("S5");
    other.FieldByName("Naziv").SetAsString("Epsilon");
    other.Post();
    T().Refresh();
    ASSERT_EQ(G().Model().rowCount(), 5);
    EXPECT_EQ(Cell(4, "Naziv"), "Epsilon");
    EXPECT_EQ(G().currentIndex().row(), 1);
}

TEST_F(KitGridTest, SearchesTheNameIndexAfterF2AndGoesBackOnExit) {
    EXPECT_EQ(Title("Code"), "Code") << "the label, never a bare mark";
    Press(Qt::Key_F2);
    EXPECT_EQ(Title("Code"), "Code");
    EXPECT_EQ(Title("Naziv"), "Naziv");
    EXPECT_TRUE(base::SameText(form->tArtikl->IndexFieldNames(), "Naziv"));
    EXPECT_EQ(F("Naziv"), "Gama") << "the record stays current";
    Type("a");
    EXPECT_EQ(F("Naziv"), "AA");
    EXPECT_EQ(Title("Naziv"), "Naziv: A");
    // "AB": the nearest row is "AC", which does not start with it: the "B" is refused.
    Type("b");
    EXPECT_EQ(F("Naziv"), "AC");
    EXPECT_EQ(Title("Naziv"), "Naziv: A");
    EXPECT_EQ(recorder.Beeps.size(), 1u);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Title("Naziv"), "Naziv");
    Type("be");
    EXPECT_EQ(F("Naziv"), "Beta");
    EXPECT_EQ(G().currentIndex().row(), 2) << "the view follows the name order";
    Press(Qt::Key_Tab);
    EXPECT_TRUE(base::SameText(form->tArtikl->IndexFieldNames(), "Code"));
    EXPECT_EQ(Title("Naziv"), "Naziv");
    EXPECT_EQ(F("Naziv"), "Beta");
    EXPECT_EQ(G().SearchField, G().KeyField);
}

// A large table is read by block: the grid finds what is typed there just the same, by key and by name.
TEST_F(KitGridTest, SearchesATableReadByBlock) {
    form.reset();
    engine::SetReadByBlockFrom(0);
    form.reset(fw::CreateForm<ArtiklForm>(nullptr));
    form->tArtikl->SetIndexFieldNames("Code");
    fwtest::ShowActive(*form);
    form->gArtikl->SetFocus();
    Type("3");
    EXPECT_EQ(F("Naziv"), "AC");
    EXPECT_EQ(Title("Code"), "Code: 3");
    Press(Qt::Key_F2);
    Type("be");
    EXPECT_EQ(F("Naziv"), "Beta");
    EXPECT_EQ(Title("Naziv"), "Naziv: BE");
}

// A focused grid shows where the keys are: its current row in the selection colour, grey once it is left.
TEST_F(KitGridTest, AFocusedGridShowsAFocusCue) {
    auto rowImage = [&] {
        QApplication::processEvents();
        const QRect row = G().visualRect(G().currentIndex());
        return G().viewport()->grab(QRect(0, row.top(), G().viewport()->width(), row.height())).toImage();
    };
    ASSERT_EQ(form->ActiveControl(), &G());
    const QImage focused = rowImage();
    Press(Qt::Key_Tab);
    ASSERT_NE(form->ActiveControl(), &G());
    const QImage left = rowImage();
    EXPECT_NE(focused, left) << "the grid looks the same with and without the keys";
    form->gArtikl->SetFocus();
    EXPECT_EQ(rowImage(), focused);
}

TEST_F(KitGridTest, SpaceEnterAndCtrlDelAnswerTheForm) {
    int spaces = 0, returns = 0;
    G().OnSpace = [&](fw::Component&) { ++spaces; };
    G().OnReturn = [&](fw::Component&) { ++returns; };
    Press(Qt::Key_Space);
    Press(Qt::Key_Return);
    EXPECT_EQ(spaces, 1);
    EXPECT_EQ(returns, 1);
    EXPECT_EQ(form->ActiveControl(), &G());
    dialogs.Answer(false);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(T().RecordCount(), 4);
    dialogs.Answer(true);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Želite li obrisati slog ?", "Želite li obrisati slog ?"}));
    EXPECT_EQ(T().RecordCount(), 3);
    EXPECT_EQ(G().Model().rowCount(), 3);
    EXPECT_EQ(Cell(0, "Naziv"), "AA");
    // Without OnReturn, Enter moves on.
    G().OnReturn = nullptr;
    Press(Qt::Key_Return);
    EXPECT_NE(form->ActiveControl(), &G());
}

} // namespace
} // namespace kittest
