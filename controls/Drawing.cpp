#include "controls/Drawing.h"

#include <cstdlib>
#include <QApplication>
#include <QFontMetrics>
#include <QPalette>

namespace controls {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const std::int64_t ap = std::llabs(p), ac = std::llabs(static_cast<std::int64_t>(c));
    const std::int64_t q = (2 * ap + ac) / (2 * ac);
    return static_cast<int>(negative ? -q : q);
}

namespace {

int QtFlags(unsigned format) {
    int flags = 0;
    flags |= (format & DT_CENTER) ? Qt::AlignHCenter : (format & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        flags |= (format & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
    }
    if (format & DT_WORDBREAK) flags |= Qt::TextWordWrap;
    if (format & DT_EXPANDTABS) flags |= Qt::TextExpandTabs;
    if (format & DT_NOCLIP) flags |= Qt::TextDontClip;
    flags |= (format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
    return flags;
}

} // namespace

QRect CalcTextRect(const QFont& font, const QString& text, const QRect& rect, unsigned format) {
    const QFontMetrics fm(font);
    const int flags = QtFlags(format);
    // Without word breaks the text is as wide as it needs to be.
    const QRect room = (format & DT_WORDBREAK)
                           ? QRect(rect.left(), rect.top(), std::max(rect.width(), 1), 100000)
                           : QRect(rect.left(), rect.top(), 100000, 100000);
    QRect r = fm.boundingRect(room, flags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter), text);
    if (text.isEmpty()) r.setHeight(fm.height());
    return QRect(rect.left(), rect.top(), r.width(), r.height());
}

int DrawText(QPainter& p, const QString& text, QRect& rect, unsigned format) {
    if (format & DT_CALCRECT) {
        rect = CalcTextRect(p.font(), text, rect, format);
        return rect.height();
    }
    QRect used;
    p.drawText(rect, QtFlags(format), text, &used);
    return used.height();
}

void Frame3D(QPainter& p, QRect& rect, const QColor& topLeft, const QColor& bottomRight, int width) {
    for (int i = 0; i < width; ++i) {
        const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
        p.fillRect(QRect(l, t, rect.width() - 1, 1), topLeft);
        p.fillRect(QRect(l, t, 1, rect.height() - 1), topLeft);
        p.fillRect(QRect(l, b, rect.width(), 1), bottomRight);
        p.fillRect(QRect(r, t, 1, rect.height()), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
}

QColor BtnHighlight() {
    return QApplication::palette().color(QPalette::Light);
}
QColor BtnShadow() {
    return QApplication::palette().color(QPalette::Dark);
}
QColor GrayText() {
    return QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}
QColor WindowFrame() {
    return QColor(Qt::black);
}

} // namespace controls
