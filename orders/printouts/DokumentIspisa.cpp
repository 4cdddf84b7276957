#include "orders/printouts/DokumentIspisa.h"

#include "app/data/Dialogs.h"
#include "controls/PrintPreviewForm.h"
#include "windows/designer/WindowPrinting.h"

namespace orders {

controls::TPagePrinter& PisacIspisa() {
    controls::CreateIspis();
    return *controls::Ispis->Prn;
}

bool MozeIspis(controls::TPagePrinter& prn) {
    if (!prn.Printing()) return true;
    app::ShowInfo(windows::PrintBusyMessage);
    return false;
}

DokumentIspisa::DokumentIspisa(controls::TPagePrinter& prn, const NacinIspisa& nacin)
    : prn_(prn), nacin_(nacin), header_(prn.Header), footer_(prn.Footer), headerFormat_(prn.HeaderFormat()),
      tableFormat_(prn.TableFormat()), font_(prn.Font()), grid_(prn.TableGrid),
      napredak_(std::make_unique<controls::LayoutProgress>(prn, 0)) {}

DokumentIspisa::~DokumentIspisa() {
    if (zavrsen_) return;
    napredak_->Finish();
    // Given up before its document began: an earlier printout's pages stay in the preview.
    if (!pocet_) {
        Zatvori();
        return;
    }
    // Given up on the way: nothing half-built stays to be printed or to block the next printout.
    try {
        if (prn_.Printing()) prn_.EndDoc();
        prn_.Clear();
    } catch (const std::exception&) {
    }
    Zatvori();
}

void DokumentIspisa::Pocni(std::function<void()> glava, int koraka) {
    if (nacin_.OznakaIspisa) nacin_.OznakaIspisa(true);
    napredak_->AddSteps(koraka);
    controls::PrnNewPageProc = std::move(glava);
    pocet_ = true;
    prn_.BeginDoc();
}

void DokumentIspisa::Zatvori() {
    if (pocet_) {
        controls::PrnNewPageProc = nullptr;
        if (nacin_.OznakaIspisa) nacin_.OznakaIspisa(false);
    }
    prn_.Header = header_;
    prn_.Footer = footer_;
    prn_.SetHeaderFormat(headerFormat_);
    prn_.SetTableFormat(tableFormat_);
    prn_.SetFont(font_);
    prn_.TableGrid = grid_;
}

void DokumentIspisa::Zavrsi() {
    prn_.EndDoc();
    zavrsen_ = true;
    Zatvori();
    // The preview and the printer's own progress window take input again.
    napredak_->Finish();
    if (nacin_.PregledIspisa && controls::Ispis && controls::Ispis->Prn == &prn_) {
        controls::Ispis->ShowPreview();
        return;
    }
    try {
        prn_.Print();
    } catch (const std::exception& e) {
        app::ShowInfo(e.what());
    }
    prn_.Clear();
}

std::vector<std::string> RedoviTeksta(const std::string& tekst) {
    std::vector<std::string> redovi;
    std::string red;
    for (std::size_t i = 0; i < tekst.size(); ++i) {
        const char c = tekst[i];
        if (c != '\r' && c != '\n') {
            red += c;
            continue;
        }
        if (c == '\r' && i + 1 < tekst.size() && tekst[i + 1] == '\n') ++i;
        redovi.push_back(std::move(red));
        red.clear();
    }
    if (!red.empty()) redovi.push_back(std::move(red));
    return redovi;
}

} // namespace orders
