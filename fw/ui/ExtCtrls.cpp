#include "fw/ui/ExtCtrls.h"

#include <QPainter>

#include <algorithm>

namespace fw {

Panel::Panel(Control* parent, Component* owner) : ControlOf<QFrame>(parent, owner) {
    setFocusPolicy(Qt::NoFocus);
    SetBevelOuter(BevelCut::bvRaised);
}

void Panel::SetCaption(const std::string& caption) {
    caption_ = QString::fromStdString(caption);
    update();
}

void Panel::SetBevelOuter(BevelCut cut) {
    switch (cut) {
    case BevelCut::bvNone:
        setFrameStyle(QFrame::NoFrame);
        break;
    case BevelCut::bvLowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case BevelCut::bvRaised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
    Realign();
}

void Panel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (caption_.isEmpty()) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), Qt::AlignCenter, ShownCaption());
}

QString Panel::ShownCaption() const {
    constexpr int Margin = 4;
    return fontMetrics().elidedText(caption_, Qt::ElideRight,
                                    std::max(0, contentsRect().width() - 2 * Margin));
}

Bevel::Bevel(Control* parent, Component* owner) : ControlOf<QFrame>(parent, owner) {
    MarkGraphic();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    SetStyle(BevelShape::bsBox, true);
}

void Bevel::SetStyle(BevelShape shape, bool lowered) {
    const int shadow = lowered ? QFrame::Sunken : QFrame::Raised;
    switch (shape) {
    case BevelShape::bsBox:
    case BevelShape::bsFrame:
        setFrameStyle(QFrame::Box | shadow);
        break;
    case BevelShape::bsTopLine:
    case BevelShape::bsBottomLine:
        setFrameStyle(QFrame::HLine | shadow);
        break;
    }
}

Shape::Shape(Control* parent, Component* owner) : ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::SetPenColor(TColor color) {
    penColor_ = color;
    update();
}

void Shape::SetPenWidth(int width) {
    penWidth_ = width;
    update();
}

void Shape::SetBrush(TColor color, bool clear) {
    brushColor_ = color;
    brushClear_ = clear;
    update();
}

void Shape::SetDiagCross(bool value) {
    diagCross_ = value;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPen pen(ToQColor(penColor_));
    pen.setWidth(penWidth_);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(brushClear_
                   ? QBrush(Qt::NoBrush)
                   : QBrush(ToQColor(brushColor_), diagCross_ ? Qt::DiagCrossPattern : Qt::SolidPattern));
    // The pen lies inside the rectangle, as the shape is drawn on the form.
    const int inset = penWidth_ / 2;
    p.drawRect(QRect(inset, inset, width() - penWidth_, height() - penWidth_));
}

Image::Image(Control* parent, Component* owner) : ControlOf<QLabel>(parent, owner) {
    MarkGraphic();
    setAlignment(Qt::AlignCenter);
}

void Image::SetPicture(const QPixmap& picture) {
    setPixmap(picture);
}

NotebookPage::NotebookPage(Control* notebook, std::string pageName)
    : ControlOf<QWidget>(notebook, nullptr), pageName_(std::move(pageName)) {
    setFocusPolicy(Qt::NoFocus);
    SetAlign(Align::alClient);
}

Notebook::Notebook(Control* parent, Component* owner) : ControlOf<QWidget>(parent, owner) {
    setFocusPolicy(Qt::NoFocus);
}

NotebookPage& Notebook::AddPage(const std::string& pageName) {
    auto* page = new NotebookPage(this, pageName);
    pages_.push_back(page);
    if (pageIndex_ < 0) pageIndex_ = 0;
    page->SetVisible(static_cast<int>(pages_.size()) - 1 == pageIndex_);
    return *page;
}

void Notebook::SetPageIndex(int index) {
    if (index < 0 || index >= PageCount()) return;
    pageIndex_ = index;
    for (int i = 0; i < PageCount(); ++i)
        Page(i).SetVisible(i == index);
    Realign();
}

Gauge::Gauge(Control* parent, Component* owner) : ControlOf<QProgressBar>(parent, owner) {
    MarkGraphic();
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
}

void Gauge::SetMaxValue(int v) {
    setMaximum(v);
    if (value() > v) setValue(v);
}

void Gauge::SetProgress(int v) {
    setValue(std::clamp(v, minimum(), maximum()));
}

void Gauge::SetColors(TColor fore, TColor back) {
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, ToQColor(fore));
    pal.setColor(QPalette::Base, ToQColor(back));
    pal.setColor(QPalette::Window, ToQColor(back));
    setPalette(pal);
}

} // namespace fw
