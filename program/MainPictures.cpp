#include "program/MainPictures.h"

#include <QPainter>

namespace app {

QPixmap WindowPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int frame = std::max(2, size / 12), sash = std::max(1, size / 20);
    const QRect outer(0, 0, size, size);
    p.fillRect(outer, QColor(235, 235, 235));
    const int mid = size / 2;
    const QColor profile(90, 90, 100), glass(160, 205, 235), shine(215, 235, 250);
    // Two sashes either side of the mullion, each a profile around a pane.
    for (QRect pane : {QRect(frame, frame, mid - frame - frame / 2, size - 2 * frame),
                       QRect(mid + frame / 2, frame, size - mid - frame - frame / 2, size - 2 * frame)}) {
        p.fillRect(pane, profile);
        const QRect inner = pane.adjusted(sash + 1, sash + 1, -sash - 1, -sash - 1);
        p.fillRect(inner, glass);
        p.setPen(QPen(shine, std::max(1, size / 32)));
        p.drawLine(inner.left() + inner.width() / 4, inner.bottom() - inner.height() / 4,
                   inner.right() - inner.width() / 4, inner.top() + inner.height() / 4);
    }
    // Handles on the sashes' meeting edges.
    p.fillRect(QRect(mid - frame / 2 - 2 * sash - 1, size / 2 - size / 10, sash + 1, size / 5),
               QColor(40, 40, 40));
    p.setPen(QPen(profile, frame));
    p.setBrush(Qt::NoBrush);
    p.drawRect(outer.adjusted(frame / 2, frame / 2, -(frame + 1) / 2, -(frame + 1) / 2));
    return pm;
}

} // namespace app
