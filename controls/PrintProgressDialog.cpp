#include "controls/PrintProgressDialog.h"

#include "fw/ui/Color.h"
#include "fw/ui/Guard.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace controls {

TPPPrnPrgDlg::TPPPrnPrgDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Napredak Ispisa..."));
    setFixedSize(293, 133);
    QFont font(fw::FontFamily("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    Bevel = new QFrame(this);
    Bevel->setGeometry(8, 8, 277, 57);
    Bevel->setFrameShape(QFrame::Box);
    Bevel->setFrameShadow(QFrame::Sunken);
    lblStatus = new QLabel(this);
    lblStatus->setGeometry(20, 20, 249, 13);
    lblStatus->setAlignment(Qt::AlignCenter);
    lblPageNumber = new QLabel(this);
    lblPageNumber->setGeometry(20, 40, 253, 13);
    lblPageNumber->setAlignment(Qt::AlignCenter);
    ProgBar = new QProgressBar(this);
    ProgBar->setGeometry(8, 76, 277, 13);
    ProgBar->setRange(0, 10);
    ProgBar->setValue(0);
    ProgBar->setTextVisible(false);
    btnCancel = new QPushButton(QStringLiteral("&Opoziv"), this);
    btnCancel->setGeometry(109, 100, 75, 25);
    btnCancel->setDefault(true);
    btnCancel->setAutoDefault(true);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        if (OnCancel) fw::Guarded(OnCancel);
    });
}

void TPPPrnPrgDlg::HideCancel() {
    btnCancel->setEnabled(false);
    btnCancel->hide();
    setFixedSize(293, logicalDpiY() * 98 / 96);
}

void TPPPrnPrgDlg::reject() {
    if (btnCancel->isVisible() && btnCancel->isEnabled() && OnCancel) fw::Guarded(OnCancel);
}

} // namespace controls
