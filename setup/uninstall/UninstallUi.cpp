#include "setup/uninstall/UninstallUi.h"

#include "app/shell/MyDialog.h"
#include "base/Text.h"
#include "fw/ui/Application.h"
#include "setup/kit/KitRoutines.h"
#include "setup/kit/Registry.h"
#include "setup/kit/RunLock.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <QApplication>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace setup {

namespace {

bool Set(const char* variable) {
    const char* v = std::getenv(variable);
    return v && *v;
}

// Long lists are cut, so the message box stays on the screen.
constexpr std::size_t ListedAtMost = 15;

void List(std::string& text, const std::vector<std::string>& files) {
    for (std::size_t i = 0; i < files.size() && i < ListedAtMost; ++i)
        text += "\n  " + files[i];
    if (files.size() > ListedAtMost) text += "\n  ... i još " + std::to_string(files.size() - ListedAtMost);
}

// A table's files share its folder and its name before the extension, in any case ("Partner.db",
// "PARTNER.mb").
std::string TableOf(const std::string& file) {
    const std::size_t slash = file.rfind('/') + 1;
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || dot < slash) return file;
    return file.substr(0, slash) + base::UpperCase(file.substr(slash, dot - slash));
}

// The files kept that are not part of a kept table.
std::vector<std::string> OtherKept(const UninstallReport& r) {
    std::set<std::string> tables;
    for (const std::string& db : r.KeptTables)
        tables.insert(TableOf(db));
    std::vector<std::string> out;
    for (const std::string& f : r.Kept)
        if (!IsTableFile(NamePart(f)) || !tables.count(TableOf(f))) out.push_back(f);
    return out;
}

// The message box of the program, with a Qt application made for it when there is none yet.
class Window {
public:
    Window(int& argc, char** argv) {
        if (!QApplication::instance()) own_ = std::make_unique<QApplication>(argc, argv);
    }
    ~Window() {
        if (own_) fw::Application::Shutdown();
    }
    bool Ask(const std::string& text) { return app::AskYesNoBox(text); }
    void Tell(const std::string& text) { app::ShowInfoBox(text); }

private:
    std::unique_ptr<QApplication> own_;
};

} // namespace

AskWay HowToAsk() {
    // Answers come on standard input from a terminal, or piped in by a script; the desktop gives a
    // program started from its menu none (/dev/null).
    struct stat st {};
    if (::isatty(STDIN_FILENO) ||
        (::fstat(STDIN_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode))))
        return AskWay::Terminal;
    if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM")) return AskWay::Window;
    return AskWay::None;
}

std::string UninstallQuestion(const std::string& product, const std::vector<std::string>& running) {
    std::string text;
    if (!running.empty()) {
        text = "Program je još pokrenut:";
        List(text, running);
        text += "\nZatvorite ga prije uklanjanja: podaci koje upravo unosite inače se gube.\n\n";
    }
    return text + "Ukloniti " + product + " i sve njegove datoteke s računala?";
}

std::string UninstallSummary(const UninstallReport& r) {
    std::string text = "Uklonjeno datoteka: " + std::to_string(r.Removed.size()) + ".";
    if (!r.KeptTables.empty()) {
        text += "\nZadržane su tablice s vašim podacima (svaka cijela, sa svojim memo, indeksnim i "
                "dnevničkim datotekama):";
        List(text, r.KeptTables);
    }
    const std::vector<std::string> other = OtherKept(r);
    if (!other.empty()) {
        text += "\nZadržane su datoteke koje su promijenjene nakon instalacije ili ih koristi drugi program:";
        List(text, other);
    }
    return text;
}

namespace {

using Tell = std::function<void(const std::string&, bool)>;

// Asks, then removes: 0 removed, 1 not installed or no way to ask, 2 the answer was no.
int Uninstall(const std::string& product, AskWay way, Window* window, const Tell& tell) {
    if (UninstallKeyOf(product).empty()) {
        tell(product + " nije instaliran.", true);
        return 1;
    }
    const std::string question = UninstallQuestion(product, RunningPrograms(product));
    bool yes = false;
    if (way == AskWay::Terminal) {
        std::printf("%s (Da/Ne) ", question.c_str());
        std::fflush(stdout);
        std::string answer;
        yes = std::getline(std::cin, answer) && !answer.empty() && (answer[0] == 'D' || answer[0] == 'd');
        if (!yes) std::printf("\n");
    } else if (way == AskWay::Window) {
        yes = window->Ask(question);
    } else {
        std::fprintf(stderr,
                     "%s se ne uklanja bez potvrde, a nema ni terminala ni zaslona na kojem bi se pitalo. "
                     "Pokrenite uklanjanje iz izbornika ili u terminalu.\n",
                     product.c_str());
        return 1;
    }
    if (!yes) {
        tell("Ništa nije uklonjeno.", false);
        return 2;
    }
    tell(UninstallSummary(UninstallProduct(product)), false);
    return 0;
}

} // namespace

int RunUninstaller(int argc, char** argv) {
    std::string product;
    for (int i = 1; i < argc; ++i)
        product += (i > 1 ? " " : "") + std::string(argv[i]);
    const AskWay way = HowToAsk();
    std::unique_ptr<Window> window;
    if (way == AskWay::Window) window = std::make_unique<Window>(argc, argv);
    const auto tell = [&](const std::string& text, bool error) {
        if (window)
            window->Tell(text);
        else
            std::fprintf(error ? stderr : stdout, "%s\n", text.c_str());
    };
    if (product.empty()) {
        tell("Upotreba: uninstall <naziv programa>", true);
        return 1;
    }
    SetupRunLock lock;
    if (!lock.TryTake()) {
        tell(SetupAlreadyRunningText, true);
        return 1;
    }
    try {
        const int status = Uninstall(product, way, window.get(), tell);
        lock.Release();
        ForgetUnusedRegistry();
        return status;
    } catch (const std::exception& e) {
        tell(e.what(), true);
        return 1;
    }
}

} // namespace setup
