#include "kit/FocusCue.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace kit {

void MarkCurrentRow(QWidget& list, bool focused) {
    QPalette pal = list.palette();
    const QPalette plain = QApplication::palette(&list);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Highlight,
                     focused ? plain.color(QPalette::Active, QPalette::Highlight) : QColor(0xD0, 0xD0, 0xD0));
        pal.setColor(group, QPalette::HighlightedText,
                     focused ? plain.color(QPalette::Active, QPalette::HighlightedText)
                             : plain.color(QPalette::Text));
    }
    list.setPalette(pal);
}

} // namespace kit
