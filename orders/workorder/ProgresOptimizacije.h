#pragma once
// The small window a cutting run shows while it works: the phase, a bar, and "&Opoziv" to stop it. It is
// modeless over whichever window is modal, so its button takes clicks and keys while the form waits.

#include "orders/optima/RadniNalog.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace orders {

class ProgresOptimizacije : public QWidget {
public:
    // Over the modal window when there is one, else over the caller.
    ProgresOptimizacije(const QString& naslov, QWidget* pozivatelj);

    // The run's progress callback: shows the phase and the bar, lets pending input through, and answers
    // whether "&Opoziv" was pressed.
    bool Javi(const std::string& faza, int pozicija, int ukupno);
    Napredak Povratni() {
        return [this](const std::string& f, int p, int u) { return Javi(f, p, u); };
    }

    QString Faza() const;
    // The colour the phase is shown in.
    QColor BojaTeksta() const;
    static QColor BojaFaze(const std::string& faza);
    bool Prekinut() const { return prekinut_; }
    QPushButton* Opoziv() const { return opoziv_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* faza_;
    QProgressBar* traka_;
    QPushButton* opoziv_;
    bool prekinut_ = false;
};

} // namespace orders
