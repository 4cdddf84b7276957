#include "windows/designer/DesignerBox.h"

#include "fw/ui/Guard.h"

#include <QMouseEvent>
#include <QPainter>

namespace windows {

namespace {

MouseButton Tipka(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Left;
    }
}

} // namespace

DesignerBox::DesignerBox(fw::Control* parent, fw::Component* owner, Designer& designer)
    : ControlOf<QWidget>(parent, owner), d_(designer), plan_(Velicina, Velicina, QImage::Format_RGB32) {
    MarkGraphic();
    setMouseTracking(true);
    setCursor(Qt::BlankCursor);
    SetBounds(0, 0, Velicina, Velicina);
    plan_.fill(fw::ToQColor(fw::clBtnFace));
}

void DesignerBox::Redraw() {
    PaintDesigner(plan_, d_.Model, d_.Mjerilo, d_.Current(), true);
    update();
}

bool DesignerBox::CrossHairShown() const {
    return unutra_ && !d_.MisDolje && d_.KursorX >= 0 && d_.KursorY >= 0;
}

QImage DesignerBox::Picture() const {
    QImage slika = plan_.copy();
    QPainter p(&slika);
    ImageCanvas c(p);
    c.Brush = {fw::clWhite, BrushKind::Clear};
    if (const auto duh = d_.Duh(); duh && d_.Mjerilo > 0) {
        const ScreenTransform t(d_.Mjerilo);
        const int l = t.X(duh->L), tp = t.Y(duh->T), r = t.X(duh->R), b = t.Y(duh->B);
        c.Pen = {fw::clWhite, 1, PenKind::Solid, true};
        c.Rectangle(l, tp, r + 1, b + 1);
        if (duh->R - duh->L > duh->B - duh->T)
            c.Line(l + 1, (tp + b) / 2, r - 1, (tp + b) / 2);
        else
            c.Line((l + r) / 2, tp + 1, (l + r) / 2, b - 1);
    }
    if (CrossHairShown()) {
        c.Pen = {fw::clYellow, 1, PenKind::Solid, true};
        c.Line(0, d_.KursorY, Velicina - 1, d_.KursorY);
        c.Line(d_.KursorX, 0, d_.KursorX, Velicina - 1);
    }
    return slika;
}

void DesignerBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Picture());
}

void DesignerBox::mousePressEvent(QMouseEvent* e) {
    const QPoint t = e->position().toPoint();
    fw::Guarded([&] {
        if (OnMouseDown) OnMouseDown(Tipka(e->button()), t.x(), t.y());
    });
}

void DesignerBox::mouseMoveEvent(QMouseEvent* e) {
    const QPoint t = e->position().toPoint();
    unutra_ = rect().contains(t) || (e->buttons() != Qt::NoButton);
    fw::Guarded([&] {
        if (OnMouseMove) OnMouseMove(t.x(), t.y());
    });
}

void DesignerBox::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint t = e->position().toPoint();
    fw::Guarded([&] {
        if (OnMouseUp) OnMouseUp(Tipka(e->button()), t.x(), t.y());
    });
}

void DesignerBox::enterEvent(QEnterEvent* e) {
    QWidget::enterEvent(e);
    unutra_ = true;
    update();
}

void DesignerBox::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    unutra_ = false;
    update();
}

} // namespace windows
