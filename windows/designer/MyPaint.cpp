#include "windows/designer/MyPaint.h"

#include <cmath>
#include <QFontMetrics>
#include <string>

namespace windows {

TRuller::TRuller(fw::Control* parent, fw::Component* owner) : ControlOf<QWidget>(parent, owner) {
    MarkGraphic();
}

void TRuller::paintEvent(QPaintEvent*) {
    QImage slika(size(), QImage::Format_RGB32);
    PaintRuller(slika);
    QPainter p(this);
    p.drawImage(0, 0, slika);
}

void TRuller::PaintRuller(QImage& slika) {
    {
        QPainter p(&slika);
        p.setFont(font());
        p.fillRect(slika.rect(), fw::ToQColor(background_));
        p.setPen(QPen(fw::ToQColor(rulColor_), 0));
        if (rulRange_ > 0) {
            if (rulDirect_ == RDirectType::rdHorz)
                Vodoravno(p, slika.width(), slika.height());
            else
                Okomito(p, slika.width(), slika.height());
        }
    }
    if (OnPaint) {
        QPainter p(&slika);
        OnPaint(*this, p);
    }
}

std::vector<int> TRuller::Brojevi() const {
    std::vector<int> out;
    if (!rulNum_ || rulNumStep_ <= 0) return out;
    for (int i = rulNumStep_; i < rulRange_; i += rulNumStep_)
        out.push_back(static_cast<int>(out.size() + 1) * rulNumStepSize_);
    return out;
}

namespace {

// Ticks fall on the accumulated spacing rounded to the nearest pixel, halves to even.
int Polozaj(double pozicija) {
    return static_cast<int>(std::nearbyint(pozicija));
}

void Crta(QPainter& p, int x1, int y1, int x2, int y2) {
    // The end pixel is left out, as a line drawn to a point always was.
    if (x1 == x2 && y2 > y1) --y2;
    if (y1 == y2 && x2 > x1) --x2;
    p.drawLine(x1, y1, x2, y2);
}

} // namespace

void TRuller::Vodoravno(QPainter& p, int w, int h) {
    const QFontMetrics fm(p.font());
    const int visinaTeksta = rulNum_ ? fm.height() : 0;
    const int kratki = (h - visinaTeksta) / 2 + visinaTeksta;
    const double razmak = static_cast<double>(w - 1) / rulRange_;
    double pozicija = 0;
    const std::vector<int> brojevi = Brojevi();
    std::size_t n = 0;
    for (int i = 0; i <= rulRange_; ++i, pozicija += razmak) {
        const int x = Polozaj(pozicija);
        Crta(p, x, rulStep_ > 0 && i % rulStep_ == 0 ? visinaTeksta : kratki, x, h);
        if (n < brojevi.size() && i == rulNumStep_ * static_cast<int>(n + 1)) {
            const QString t = QString::number(brojevi[n++]);
            p.drawText(x - fm.horizontalAdvance(t) / 2, fm.ascent(), t);
        }
    }
}

void TRuller::Okomito(QPainter& p, int w, int h) {
    const QFontMetrics fm(p.font());
    const int polaVisine = fm.height() / 2;
    int sirinaBrojeva = 0;
    if (rulNum_ && rulNumStep_ > 0)
        sirinaBrojeva =
            fm.horizontalAdvance(QString::number((rulRange_ - 1) / rulNumStep_ * rulNumStepSize_)) + 1;
    const int kratki = (w - sirinaBrojeva) / 2 + sirinaBrojeva;
    const double razmak = static_cast<double>(h - 1) / rulRange_;
    double pozicija = 0;
    const std::vector<int> brojevi = Brojevi();
    std::size_t n = 0;
    for (int i = 0; i <= rulRange_; ++i, pozicija += razmak) {
        const int y = Polozaj(pozicija);
        Crta(p, rulStep_ > 0 && i % rulStep_ == 0 ? sirinaBrojeva : kratki, y, w, y);
        if (n < brojevi.size() && i == rulNumStep_ * static_cast<int>(n + 1)) {
            const QString t = QString::number(brojevi[n++]);
            p.drawText(sirinaBrojeva - fm.horizontalAdvance(t), y - polaVisine + fm.ascent(), t);
        }
    }
}

} // namespace windows
