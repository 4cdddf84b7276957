#include "fw/ui/CroatianTexts.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cstring>

namespace fw {

namespace {

struct Text {
    const char* Source;
    const char* Croatian;
};

// The menus of line edits, text edits and spin boxes (editable combo boxes use a line edit's).
constexpr Text MenuTexts[] = {
    {"&Undo", "&Poništi"},
    {"&Redo", "Po&novi"},
    {"Cu&t", "&Izreži"},
    {"&Copy", "&Kopiraj"},
    {"Copy &Link Location", "Kopiraj &adresu veze"},
    {"&Paste", "&Zalijepi"},
    {"Delete", "O&briši"},
    {"Select All", "Označi &sve"},
    {"&Select All", "Označi &sve"},
    {"&Step up", "Korak &gore"},
    {"Step &down", "Korak &dolje"},
};

class CroatianTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char*, const char* source, const char*, int) const override {
        if (!source) return {};
        for (const Text& t : MenuTexts)
            if (std::strcmp(t.Source, source) == 0) return QString::fromUtf8(t.Croatian);
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

void InstallCroatianTexts() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<CroatianTranslator*>(QString(), Qt::FindDirectChildrenOnly)) return;
    QCoreApplication::installTranslator(new CroatianTranslator(app));
}

} // namespace fw
