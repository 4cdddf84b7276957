#include "app/data/DataSetServices.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "registers/Grupe.h"
#include "tests/registers/RegisterFixture.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace regtest {
namespace {

using registers::Grupe;

class GrupeTest : public RegisterTest {
protected:
    GrupeTest() {
        app::WBegin.PodaciPoduzeca.OwnPartner = 20;
        app::WBegin.PodaciPoduzeca.NazivKratki = "Lumeno";
        app::WBegin.PodaciPoduzeca.Mjesto = "Zagreb";
        Add("Lokal", "SIF_PART.DB", {"Sifra", "Dobavljac", "Partner"},
            {{"DOB1", "D", "10"}, {"DOB2", "D", "20"}, {"KUP", "K", "30"}});
        Add("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"},
            {{"10", "G1", "Prva"}, {"20", "P1", "Profili"}, {"20", "S1", "Stakla"}});
        Add("Global", "PODGRUPE.DB", {"Partner", "Grupa", "Sifra", "Naziv"},
            {{"20", "3", "A", "Aluminij"}, {"20", "3", "P", "PVC"}, {"20", "2", "X", "Iks"}});
    }
    std::vector<std::string> Groups() { return Rows("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"}); }
};

// The group table's files (GRUPE.DB and its companions) refusing every change from the moment Refuse is
// called, with the error the system gives: a read-only file, a full disk, a failing medium, a vanished
// folder.
class RefusingGroupFiles : public base::FileSystem {
public:
    void Refuse(int error) { error_ = error; }
    int Open(const char* path, int flags, mode_t mode) override {
        const bool ours = Ours(path);
        // A full or failing disk still opens its files; a vanished one opens none, a read-only one no writer.
        if (ours && (error_ == ENOENT || (error_ == EACCES && (flags & O_ACCMODE) != O_RDONLY)))
            return Fail();
        return base::FileSystem::Open(path, flags, mode);
    }
    ssize_t Write(int fd, const void* data, size_t len) override {
        return Refused(fd) ? Fail() : base::FileSystem::Write(fd, data, len);
    }
    ssize_t PWrite(int fd, const void* data, size_t len, off_t offset) override {
        return Refused(fd) ? Fail() : base::FileSystem::PWrite(fd, data, len, offset);
    }
    int Truncate(int fd, off_t size) override {
        return Refused(fd) ? Fail() : base::FileSystem::Truncate(fd, size);
    }
    int Rename(const char* from, const char* to) override {
        return error_ && (Ours(from) || Ours(to)) ? Fail() : base::FileSystem::Rename(from, to);
    }
    int Unlink(const char* path) override {
        return error_ && Ours(path) ? Fail() : base::FileSystem::Unlink(path);
    }

private:
    static bool Ours(const char* path) {
        return base::UpperCase(std::filesystem::path(path).filename().string()).rfind("GRUPE.", 0) == 0;
    }
    // By the file the descriptor has open: the tables may have been opened before this layer came in.
    bool Refused(int fd) const {
        if (!error_) return false;
        char target[4096] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        return ::readlink(link.c_str(), target, sizeof target - 1) > 0 && Ours(target);
    }
    int Fail() const {
        errno = error_;
        return -1;
    }
    int error_ = 0;
};

// The own company's groups: only suppliers listed, the caller's text found among the supplier's groups, a new
// group created by keys belongs to the supplier shown.
TEST_F(GrupeTest, GroupsFollowTheSupplierAndNewOnesBelongToIt) {
    caller->eNaziv->SetFocus();
    caller->eNaziv->SetText("s");
    registers::PrikaziGrupeArtikala(caller.get(), 0);
    registers::TSifarnikGrupaArtikli* form = Track(Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->Caption().toStdString(), "Lumeno Zagreb - Šifarnik grupa artikli");
    EXPECT_EQ(form->Partner, 20) << "partner 0 stands for the own company";
    EXPECT_EQ(form->tMain->FieldByName("Sifra").AsString(), "DOB2");
    EXPECT_EQ(form->tMain->RecordCount(), 2) << "customers are not listed";
    EXPECT_EQ(form->tTable->RecordCount(), 2);
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "S1");

    form->eSifra->SetFocus();
    dialogs.Answer(true);
    Type(*form, "Z9");
    Press(*form, Qt::Key_Return);
    form->eNaziv->SetFocus();
    Type(*form, "Okovi");
    Press(*form, Qt::Key_End, Qt::ControlModifier);
    Press(*form, Qt::Key_Return);
    EXPECT_EQ(Groups(),
              (std::vector<std::string>{"10|G1|Prva", "20|P1|Profili", "20|S1|Stakla", "20|Z9|Okovi"}));
    Press(*form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());

    // Another supplier given to the opener: its groups, and the range starts afresh.
    caller->eNaziv->SetText("");
    registers::PrikaziGrupeArtikala(caller.get(), 10);
    EXPECT_EQ(form->tMain->FieldByName("Sifra").AsString(), "DOB1");
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "G1");
    EXPECT_EQ(form->tTable->RecordCount(), 1);
}

TEST_F(GrupeTest, SubgroupsOpenOnTheGivenGroupAndItsNearestSubgroup) {
    caller->eNaziv->SetFocus();
    caller->eNaziv->SetText("Q");
    registers::PrikaziPodGrupeArtikala(caller.get(), 20, 3); // group 3 is "S1" of supplier 20
    registers::TSifarnikPodGrupaArtikli* form = Track(Grupe.SifarnikPodGrupaArtikli);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption().toStdString(), "Lumeno Zagreb - Šifarnik podgrupa artikli");
    EXPECT_EQ(form->tTable->FieldByName("Sifra").AsString(), "S1");
    EXPECT_EQ(form->tPodGrupe->RecordCount(), 2);
    EXPECT_EQ(form->tPodGrupe->FieldByName("Sifra").AsString(), "P") << "nearest to Q within the group";
    EXPECT_EQ(ActiveName(*form), "gPodGrupe");

    // F2 on the group key opens the groups of the same supplier over this form.
    form->eSifra->SetFocus();
    Press(*form, Qt::Key_F2);
    registers::TSifarnikGrupaArtikli* groups = Track(Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(groups, nullptr);
    EXPECT_TRUE(groups->isVisible());
    EXPECT_EQ(groups->Caller, form);
    EXPECT_EQ(groups->Partner, 20);
    EXPECT_EQ(groups->tTable->FieldByName("Sifra").AsString(), "S1");
}

// The subgroups' form lists the suppliers, the chosen supplier's groups and the group's subgroups, each in
// its own grid.
TEST_F(GrupeTest, TheSubgroupsFormShowsTheGroupsInTheMiddleGrid) {
    registers::PrikaziPodGrupeArtikala(caller.get(), 20, 3);
    registers::TSifarnikPodGrupaArtikli* form = Track(Grupe.SifarnikPodGrupaArtikli);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->gMain->DataSource()->DataSet(), form->tMain);
    EXPECT_EQ(form->gTable->DataSource()->DataSet(), form->tTable) << "the groups, not the subgroups again";
    EXPECT_EQ(form->gTable->model()->rowCount(), 2);
    EXPECT_EQ(form->gPodGrupe->DataSource()->DataSet(), form->tPodGrupe);
    EXPECT_EQ(form->gPodGrupe->model()->rowCount(), 2);
    // Each grid names its columns for the user; the supplier and group links are the rows chosen above.
    const auto titles = [](kit::TMyDBGrid& g) {
        std::vector<std::string> t;
        for (int c = 0; c < g.model()->columnCount(); ++c)
            t.push_back(g.model()->headerData(c, Qt::Horizontal).toString().toStdString());
        return t;
    };
    form->eNaziv2->SetFocus();
    EXPECT_EQ(titles(*form->gMain), std::vector<std::string>{"Dobavljač"});
    for (kit::TMyDBGrid* g : {form->gTable, form->gPodGrupe})
        for (const std::string& t : titles(*g)) {
            EXPECT_NE(t, "Partner");
            EXPECT_NE(t, "Grupa");
        }
}

} // namespace
} // namespace regtest

namespace regtest {
namespace {

// On a folder whose partners hold no supplier yet, a typed group code is refused with a message saying why.
TEST_F(RegisterTest, AGroupTypedWithoutAnySupplierIsRefusedWithAMessage) {
    Make("Lokal", "SIF_PART.DB");
    Make("Global", "GRUPE.DB");
    registers::PrikaziGrupeArtikala(caller.get(), 0);
    registers::TSifarnikGrupaArtikli* form = Track(registers::Grupe.SifarnikGrupaArtikli);
    ASSERT_NE(form, nullptr);
    form->eSifra->SetFocus();
    EXPECT_TRUE(Asked().empty()) << "entering the key says nothing yet";
    Type(*form, "P1");

    Press(*form, Qt::Key_Return);
    // The message only: no code is offered for creation.
    EXPECT_EQ(Asked(), std::vector<std::string>{std::string("Text ") + registers::NoSupplierText});
    EXPECT_EQ(ActiveName(*form), "eSifra");
    EXPECT_TRUE(Rows("Global", "GRUPE.DB", {"Sifra"}).empty());
}

} // namespace
} // namespace regtest

namespace regtest {
namespace {

// Every way a write of the user's reaches the group file (a name typed and the form closed, a name typed
// and the next record asked for, a new code with "Da", a code deleted), under every refusal the files can
// give (read-only, full disk, failing medium, vanished, a record another open holds): the user is told the
// cause in Croatian, the post-retry question names it, nothing is stored, and what was typed stays shown.
TEST_F(GrupeTest, EveryRefusedWriteIsToldWithItsCauseAndKeepsWhatWasTyped) {
    struct Kind {
        const char* Name;
        int Error; // 0: another open holds the record
        // The cause the message names (alternatives separated by "|").
        std::string Cause;
    };
    // The read-only file last: the tables it opens stay read-only for the rest of the run.
    const std::vector<Kind> kinds = {
        {"full disk", ENOSPC, "disk je pun"},
        {"failing medium", EIO, "greška ulaza/izlaza na disku"},
        {"vanished", ENOENT, "ne postoji"},
        {"record lock", 0, "Slog je zaključan (GRUPE.DB)"},
        {"read-only", EACCES, "samo za čitanje|pristup nije dopušten"},
    };
    using Form = registers::TSifarnikGrupaArtikli;
    struct Road {
        const char* Name;
        // What the user typed before the files refuse (the record is in edit then); none: refused from the
        // start.
        std::function<void(Form&)> Typed;
        std::function<void(Form&)> Write;
        std::function<std::string(Form&)> Shown;
        const char* Expected; // "" the group shown before
    };
    const auto typeName = [&](Form& f) {
        f.eNaziv->SetFocus();
        Type(f, "Okovi");
    };
    const auto name = [](Form& f) { return f.eNaziv->Text(); };
    const std::vector<Road> roads = {
        {"typed, Esc", typeName, [&](Form& f) { Press(f, Qt::Key_Escape); }, name, "Okovi"},
        {"typed, next record", typeName,
         [&](Form& f) {
             Press(f, Qt::Key_End, Qt::ControlModifier);
             Press(f, Qt::Key_Return);
         },
         name, "Okovi"},
        {"new code", nullptr,
         [&](Form& f) {
             Press(f, Qt::Key_End, Qt::ControlModifier);
             Press(f, Qt::Key_Return);
             dialogs.Answer(true);
             Type(f, "Z9");
             Press(f, Qt::Key_Return);
         },
         [](Form& f) { return f.eSifra->Text(); }, "Z9"},
        {"delete", nullptr,
         [&](Form& f) {
             f.eSifra->SetFocus();
             dialogs.Answer(true);
             Press(f, Qt::Key_Delete, Qt::ControlModifier);
         },
         [](Form& f) { return f.tTable->FieldByName("Sifra").AsString(); }, ""},
    };
    Add("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"}, {{"20", "T1", "Trake"}});
    const std::vector<std::string> stored = {"10|G1|Prva", "20|P1|Profili", "20|S1|Stakla", "20|T1|Trake"};
    const auto names = [](const std::string& text, const std::string& causes) {
        for (std::size_t from = 0;;) {
            const std::size_t bar = causes.find('|', from);
            if (text.find(causes.substr(from, bar - from)) != std::string::npos) return true;
            if (bar == std::string::npos) return false;
            from = bar + 1;
        }
    };
    for (const Kind& kind : kinds) {
        for (const Road& road : roads) {
            // A record the form holds in edit, or a new one, is no record another open can hold; a file
            // read-only from the start takes no typing at all.
            if (!kind.Error && std::string(road.Name) != "delete") continue;
            if (kind.Error == EACCES && road.Typed) continue;
            SCOPED_TRACE(std::string(kind.Name) + " / " + road.Name);
            RefusingGroupFiles files;
            base::ScopedFileSystem scoped(files);
            if (kind.Error == EACCES) files.Refuse(kind.Error);
            registers::PrikaziGrupeArtikala(caller.get(), 0);
            Form* form = Grupe.SifarnikGrupaArtikli;
            ASSERT_NE(form, nullptr);
            // The group no other row uses (T1).
            form->tTable->Last();
            const std::string current = form->tTable->FieldByName("Sifra").AsString();
            dialogs.Calls.clear();
            if (road.Typed) road.Typed(*form);
            kit::TMyTable holder;
            if (!kind.Error) {
                Setup(holder, "Global", "GRUPE.DB");
                holder.Open();
                holder.Last();
                holder.Edit();
            }
            files.Refuse(kind.Error);
            road.Write(*form);
            const std::vector<std::string> told = dialogs.Texts();
            std::string all;
            for (const std::string& t : told)
                all += "[" + t + "]";
            EXPECT_EQ(told.size(), 1u) << "told once: " << all;
            for (const std::string& t : told)
                EXPECT_TRUE(names(t, kind.Cause)) << all;
            for (const std::string& asked : Asked()) {
                if (asked.find(app::RetryQuestion) == std::string::npos) continue;
                EXPECT_TRUE(names(asked, kind.Cause)) << "the question names the cause: " << asked;
            }
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(road.Shown(*form), *road.Expected ? std::string(road.Expected) : current);
            // The user gives up on the record: the form goes without it.
            if (holder.Active()) holder.Cancel();
            holder.Close();
            files.Refuse(0);
            app::CancelEdit(form->tTable);
            form->Close();
            // Opened afresh for the next case, its tables too.
            delete form;
            Grupe.SifarnikGrupaArtikli = nullptr;
            EXPECT_EQ(Groups(), stored);
        }
    }
}

} // namespace
} // namespace regtest
