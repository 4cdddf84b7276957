#include "setup/uninstall/UninstallUi.h"

#include "app/shell/MyDialog.h"
#include "fw/ui/Application.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <QApplication>
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

// The files kept that are not part of a kept table.
std::vector<std::string> OtherKept(const UninstallReport& r) {
    std::vector<std::string> out;
    for (const std::string& f : r.Kept) {
        bool ofTable = false;
        for (const std::string& db : r.KeptTables) {
            const std::string stem = db.substr(0, db.rfind('.') + 1);
            if (f.size() > stem.size() && f.compare(0, stem.size(), stem) == 0 &&
                f.find('/', stem.size()) == std::string::npos && IsTableFile(f.substr(f.rfind('/') + 1)))
                ofTable = true;
        }
        if (!ofTable) out.push_back(f);
    }
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

std::string UninstallQuestion(const std::string& product) {
    return "Ukloniti " + product + " i sve njegove datoteke s računala?";
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
    try {
        if (UninstallKeyOf(product).empty()) {
            tell(product + " nije instaliran.", true);
            return 1;
        }
        bool yes = false;
        if (way == AskWay::Terminal) {
            std::printf("%s (Da/Ne) ", UninstallQuestion(product).c_str());
            std::fflush(stdout);
            std::string answer;
            yes = std::getline(std::cin, answer) && !answer.empty() && (answer[0] == 'D' || answer[0] == 'd');
            if (!yes) std::printf("\n");
        } else if (way == AskWay::Window) {
            yes = window->Ask(UninstallQuestion(product));
        } else {
            std::fprintf(
                stderr,
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
    } catch (const std::exception& e) {
        tell(e.what(), true);
        return 1;
    }
}

} // namespace setup
