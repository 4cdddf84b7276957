#include "orders/workorder/ProgresOptimizacije.h"

#include <algorithm>

#include <QApplication>
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
    faza_->setStyleSheet("color: red");
    traka_ = new QProgressBar(this);
    traka_->setRange(0, 1);
    opoziv_ = new QPushButton("&Opoziv", this);
    l->addWidget(faza_);
    l->addWidget(traka_);
    l->addWidget(opoziv_);
    QObject::connect(opoziv_, &QPushButton::clicked, [this] { prekinut_ = true; });
    resize(320, 110);
}

bool ProgresOptimizacije::Javi(const std::string& faza, int pozicija, int ukupno) {
    if (!isVisible()) show();
    faza_->setText(QString::fromStdString(faza));
    traka_->setRange(0, std::max(ukupno, 1));
    traka_->setValue(std::clamp(pozicija, 0, std::max(ukupno, 1)));
    QCoreApplication::processEvents();
    return prekinut_;
}

QString ProgresOptimizacije::Faza() const {
    return faza_->text();
}

void ProgresOptimizacije::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter stop the run, as the button would.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        prekinut_ = true;
    else
        QWidget::keyPressEvent(event);
}

} // namespace orders
