#include "app/data/DataSetServices.h"
#include "base/FileSystem.h"
#include "base/Text.h"
#include "registers/Grupe.h"
#include "tests/registers/RegisterFixture.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
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
// and the next record asked for, a name typed and another field entered, alone and among stations, a post
// the program makes for itself, keys typed into a file it may not write, a new code with "Da", a code
// deleted), under every refusal the files can give (read-only, full disk, failing medium, vanished, a record
// another open holds, the files deleted or replaced by others under the open): the user is told the cause in
// Croatian once, the post-retry question names it, nothing is stored, and what was typed stays shown.
TEST_F(GrupeTest, EveryRefusedWriteIsToldWithItsCauseAndKeepsWhatWasTyped) {
    namespace fs = std::filesystem;
    enum class Under { Simulated, Deleted, Replaced };
    struct Kind {
        const char* Name;
        int Error; // 0: another open holds the record, or the files went under the open
        // The cause the message names (alternatives separated by "|").
        std::string Cause;
        Under How = Under::Simulated;
    };
    const std::string gone = "Datoteka tablice GRUPE.DB više ne postoji ili je zamijenjena";
    // The read-only file last: the tables it opens stay read-only for the rest of the run.
    const std::vector<Kind> kinds = {
        {"full disk", ENOSPC, "disk je pun"},
        {"failing medium", EIO, "greška ulaza/izlaza na disku"},
        {"vanished", ENOENT, "ne postoji"},
        {"record lock", 0, "Slog je zaključan (GRUPE.DB)"},
        {"deleted", 0, gone, Under::Deleted},
        {"replaced", 0, gone, Under::Replaced},
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
        bool MultiUser = false;
        std::size_t Told = 1; // the boxes, each naming the cause (one a key or click)
    };
    const auto typeName = [&](Form& f) {
        f.eNaziv->SetFocus();
        Type(f, "Okovi");
    };
    const auto name = [](Form& f) { return f.eNaziv->Text(); };
    const auto enterAgain = [](Form& f) {
        f.eSifra->SetFocus();
        f.eNaziv->SetFocus();
    };
    const std::vector<Road> roads = {
        {"typed, Esc", typeName, [&](Form& f) { Press(f, Qt::Key_Escape); }, name, "Okovi"},
        {"typed, next record", typeName,
         [&](Form& f) {
             Press(f, Qt::Key_End, Qt::ControlModifier);
             Press(f, Qt::Key_Return);
         },
         name, "Okovi"},
        // The entry of a field posts what the fields before it left in the record.
        {"typed, field entered", typeName, enterAgain, name, "Okovi"},
        {"typed, field entered, stations", typeName, enterAgain, name, "Okovi", true},
        // The program's own post of a record (a renumbering, a total): told, and the record undone.
        {"post or cancel", typeName, [](Form& f) { app::PostOrCancel(f.tTable); }, name, "Trake"},
        {"keys into the file", nullptr, typeName, name, "Okovi"},
        // Among stations the first key asks for the record: files that refuse it hold nothing, so the edit
        // stays open for the keys after the box and the first key too stays on screen.
        {"keys into the file, stations", nullptr, typeName,
         [](Form& f) { return f.eNaziv->Text() + (f.eNaziv->ReadOnly() ? " greyed" : ""); }, "Okovi", true},
        // Enter after them tells why again and keeps them, and the user in the edit.
        {"keys into the file, stations, Enter", nullptr,
         [&](Form& f) {
             typeName(f);
             Press(f, Qt::Key_Return);
         },
         [&](Form& f) { return f.eNaziv->Text() + " in " + ActiveName(f); }, "Okovi in eNaziv", true, 2},
        {"new code", nullptr,
         [&](Form& f) {
             Press(f, Qt::Key_End, Qt::ControlModifier);
             Press(f, Qt::Key_Return);
             dialogs.Answer(true);
             Type(f, "Z9");
             Press(f, Qt::Key_Return);
         },
         // The code stays in the edit, and the focus with it.
         [&](Form& f) { return f.eSifra->Text() + " in " + ActiveName(f); }, "Z9 in eSifra"},
        // Among stations, from a record before the last: a refused creation leaves the form on the record
        // the user came from, so Enter again asks again (it is no record another station took away).
        {"new code, stations, Enter again",
         [&](Form& f) {
             f.tTable->First();
             f.gTable->SetFocus();
             f.eSifra->SetFocus();
             f.eSifra->SelectAll();
             Type(f, "Z9");
         },
         [&](Form& f) {
             for (int enter = 0; enter < 2; ++enter) {
                 dialogs.Answer(true);
                 Press(f, Qt::Key_Return);
             }
         },
         [&](Form& f) {
             return f.eSifra->Text() + " in " + ActiveName(f) + " on " +
                    f.tTable->FieldByName("Sifra").AsString();
         },
         "Z9 in eSifra on P1", true, 2},
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
    const fs::path global = app::WBegin.GlobalFolder;
    const fs::path kept = global / "kept";
    const auto groupFiles = [&] {
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(global))
            if (e.is_regular_file() && base::UpperCase(e.path().filename().string()).rfind("GRUPE.", 0) == 0)
                files.push_back(e.path());
        return files;
    };
    // Another station or a restore takes the files away under the open, or puts copies in their place.
    const auto takeFiles = [&](Under how) {
        fs::create_directories(kept);
        for (const fs::path& p : groupFiles()) {
            fs::copy_file(p, kept / p.filename(), fs::copy_options::overwrite_existing);
            if (how == Under::Deleted) {
                fs::remove(p);
                continue;
            }
            fs::copy_file(p, p.string() + ".copy");
            fs::rename(p.string() + ".copy", p);
        }
    };
    for (const Kind& kind : kinds) {
        for (const Road& road : roads) {
            const std::string roadName = road.Name;
            // A record the form holds in edit, or a new one, is no record another open can hold; a file
            // read-only from the start takes no typing into a record.
            if (kind.Name == std::string("record lock") && roadName != "delete") continue;
            // Keys refused as they are typed: a read-only file, or (among stations, whose first key asks for
            // the record) files gone under the open.
            const bool keys = roadName.rfind("keys into the file", 0) == 0;
            if (kind.Error == EACCES ? !keys : keys && !(road.MultiUser && kind.How != Under::Simulated))
                continue;
            SCOPED_TRACE(std::string(kind.Name) + " / " + road.Name);
            app::DBMine.MultiUser = road.MultiUser;
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
            dialogs.ClearAnswers();
            if (road.Typed) road.Typed(*form);
            kit::TMyTable holder;
            if (kind.Name == std::string("record lock")) {
                Setup(holder, "Global", "GRUPE.DB");
                holder.Open();
                holder.Last();
                holder.Edit();
            }
            if (kind.How != Under::Simulated) takeFiles(kind.How);
            files.Refuse(kind.Error);
            road.Write(*form);
            const std::vector<std::string> told = dialogs.Texts();
            std::string all;
            for (const std::string& t : told)
                all += "[" + t + "]";
            EXPECT_EQ(told.size(), road.Told) << "told once a key: " << all;
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
            app::DBMine.MultiUser = false;
            if (kind.How == Under::Deleted)
                for (const auto& e : fs::directory_iterator(kept))
                    fs::copy_file(e.path(), global / e.path().filename(),
                                  fs::copy_options::overwrite_existing);
            EXPECT_EQ(Groups(), stored);
        }
    }
}

} // namespace
} // namespace regtest
