#include "orders/workorder/ProgresOptimizacije.h"

#include <algorithm>

#include <QApplication>
#include <QColor>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace orders {

ProgresOptimizacije::ProgresOptimizacije(const QString& naslov, QWidget* pozivatelj)
    : QWidget(QApplication::activeModalWidget() ? QApplication::activeModalWidget() : pozivatelj,
              Qt::Window | Qt::Dialog) {
    setWindowTitle(naslov);
    setObjectName("ProgresOptimizacije");
    auto* l = new QVBoxLayout(this);
    faza_ = new QLabel(this);
    faza_->setStyleSheet("color: " + BojaFaze({}).name());
    traka_ = new QProgressBar(this);
    traka_->setRange(0, 1);
    opoziv_ = new QPushButton("&Opoziv", this);
    l->addWidget(faza_);
    l->addWidget(traka_);
    l->addWidget(opoziv_);
    QObject::connect(opoziv_, &QPushButton::clicked, [this] { prekinut_ = true; });
    resize(320, 110);
}

// The phases' colours: clearing the old list red, gathering the pieces and sorting them green, laying them
// on bars blue.
QColor ProgresOptimizacije::BojaFaze(const std::string& faza) {
    if (faza.starts_with("Prebacivanje") || faza.starts_with("Sortiranje")) return QColor(0, 128, 0);
    if (faza.starts_with("Optimizacija")) return QColor(0, 0, 255);
    return QColor(255, 0, 0);
}

bool ProgresOptimizacije::Javi(const std::string& faza, int pozicija, int ukupno) {
    if (!isVisible()) show();
    if (faza_->text().toStdString() != faza) {
        faza_->setText(QString::fromStdString(faza));
        faza_->setStyleSheet("color: " + BojaFaze(faza).name());
    }
    traka_->setRange(0, std::max(ukupno, 1));
    traka_->setValue(std::clamp(pozicija, 0, std::max(ukupno, 1)));
    QCoreApplication::processEvents();
    return prekinut_;
}

QString ProgresOptimizacije::Faza() const {
    return faza_->text();
}

QColor ProgresOptimizacije::BojaTeksta() const {
    return QColor(faza_->styleSheet().mid(QString("color: ").size()));
}

void ProgresOptimizacije::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter stop the run, as the button would.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        prekinut_ = true;
    else
        QWidget::keyPressEvent(event);
}

} // namespace orders
