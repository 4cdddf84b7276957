#pragma once
// TPPPrnPrgDlg: the small modeless window a print run shows while it sends sheets to the printer: what
// is being printed, which page, a bar that fills by one step per sheet, and "&Opoziv" to cancel. The page
// printer creates, fills and frees it. It stays in front: the run it tells of works for the window behind it.

#include <functional>
#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace controls {

class TPPPrnPrgDlg : public QDialog {
public:
    explicit TPPPrnPrgDlg(QWidget* parent);

    QFrame* Bevel;
    QLabel* lblStatus;
    QLabel* lblPageNumber;
    QProgressBar* ProgBar;
    QPushButton* btnCancel;
    // Runs when "&Opoziv" is pressed (also through Esc and Enter).
    std::function<void()> OnCancel;
    // Without a cancel button the window ends above where the button was.
    void HideCancel();
    // Esc cancels the run but leaves the window to the run that owns it.
    void reject() override;
};

} // namespace controls
