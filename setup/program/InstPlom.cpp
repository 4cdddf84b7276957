#include "setup/program/InstPlom.h"

#include "setup/program/PlomSetup.h"

#include <QFontMetrics>

namespace setup::plom {

namespace {

// A label sized to its text in a bold font of that pixel height.
controls::TRotate3DLabel* TitleLabel(fw::Control* parent, const std::string& text, int pixels,
                                     fw::TColor colour) {
    auto* label = new controls::TRotate3DLabel(parent);
    QFont font("Liberation Sans");
    font.setPixelSize(pixels);
    font.setBold(true);
    label->setFont(font);
    label->SetFontColor(colour);
    label->SetCaption(text);
    const QFontMetrics metrics(font);
    label->SetBounds(0, 0, metrics.horizontalAdvance(QString::fromStdString(text)) + 12,
                     metrics.height() + 8);
    return label;
}

} // namespace

TForm1::TForm1(fw::Component* owner) : fw::Form(owner) {
    SetCaption("SetUp");
    resize(572, 409);
    BackDrop1 = new controls::TBackdrop(this);
    BackDrop1->SetAlign(fw::Align::alClient);
    BackDrop1->SetDirection(controls::TDirection::bdHorzIn);
    ProductLabel1 = TitleLabel(BackDrop1, std::string(Product) + " " + Version, 24, fw::clBlue);
    ProductLabel1->SetLeft(10);
    ProductLabel1->SetTop(10);
    lTovan = TitleLabel(BackDrop1, CompanyName, 16, fw::clNavy);
    lTovan->LabelStyle().SetAStyle3D(controls::T3DEffectShort::A3dResit);
    lTovan->LabelStyle().SetAShadeRightBottom(fw::clSilver);
    setWindowState(Qt::WindowMaximized);
}

void TForm1::PlaceCompanyLabel() {
    lTovan->SetTop(ClientHeight() - 2 * lTovan->Height());
    lTovan->SetLeft(ClientWidth() - lTovan->Height() - lTovan->Width());
    lTovan->update();
}

void TForm1::ShowHook() {
    fw::Form::ShowHook();
    PlaceCompanyLabel();
}

void TForm1::ResizeHook() {
    fw::Form::ResizeHook();
    if (lTovan) PlaceCompanyLabel();
}

} // namespace setup::plom
