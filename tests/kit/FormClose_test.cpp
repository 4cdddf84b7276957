// Closing a data form keeps what was typed: the changed record is posted, a refused post keeps the form.
#include "tests/kit/CodeListFixture.h"

namespace kittest {
namespace {

class FormCloseTest : public CodeListTest {
protected:
    FormCloseTest() {
        Fill({{"A1", "Prvi"}, {"A3", "Treći"}});
        Show();
    }
    // The program ends: the form and its tables go.
    void EndProgram() {
        form.reset();
        QApplication::processEvents();
    }
};

TEST_F(FormCloseTest, AValueLeftWithEnterIsPostedWhenTheFormCloses) {
    form->eNaziv->SetFocus();
    form->eNaziv->SelectAll();
    Type("Novi");
    Press(Qt::Key_Return);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(T().State(), fw::dsEdit) << "no record is kept in edit inside the closed form";
    EndProgram();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Novi", "A3=Treći"}));
}

TEST_F(FormCloseTest, AValueBeingTypedIsPostedWhenTheFormCloses) {
    form->eNaziv->SetFocus();
    form->eNaziv->SelectAll();
    Type("Upisano");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EndProgram();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Upisano", "A3=Treći"}));
}

TEST_F(FormCloseTest, ARefusedPostKeepsTheFormOpenWithItsMessage) {
    form->tSifre->BeforePost = [](fw::TDataSet& ds) {
        if (ds.FieldByName("Naziv").AsString() == "Loše")
            throw base::Exception("Morate upisati ispravan naziv");
    };
    form->eNaziv->SetFocus();
    form->eNaziv->SelectAll();
    Type("Loše");
    Press(Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Morate upisati ispravan naziv"}));
    EXPECT_EQ(form->ActiveControl(), form->eNaziv);
    EXPECT_EQ(form->eNaziv->Text(), "Loše") << "what was typed stays for the user to correct";
    // Corrected, the close goes through.
    form->eNaziv->SelectAll();
    Type("Dobro");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EndProgram();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A1=Dobro", "A3=Treći"}));
}

} // namespace
} // namespace kittest
