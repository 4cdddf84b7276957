#pragma once
// TRuller: a ruler of tick marks with numbers, along x or y. The owner's OnPaint runs after the ruler
// has painted itself (the designer draws the mouse mark there).

#include "fw/ui/Control.h"

#include <functional>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <vector>

namespace windows {

enum class RDirectType { rdHorz, rdVert };

class TRuller : public fw::ControlOf<QWidget> {
public:
    explicit TRuller(fw::Control* parent, fw::Component* owner = nullptr);

    fw::TColor RulColor() const { return rulColor_; }
    void SetRulColor(fw::TColor v) { Postavi(rulColor_, v); }
    RDirectType RulDirect() const { return rulDirect_; }
    void SetRulDirect(RDirectType v) { Postavi(rulDirect_, v); }
    std::int16_t RulRange() const { return rulRange_; }
    void SetRulRange(std::int16_t v) { Postavi(rulRange_, v); }
    std::int16_t RulStep() const { return rulStep_; }
    void SetRulStep(std::int16_t v) { Postavi(rulStep_, v); }
    bool RulNum() const { return rulNum_; }
    void SetRulNum(bool v) { Postavi(rulNum_, v); }
    std::int16_t RulNumStep() const { return rulNumStep_; }
    void SetRulNumStep(std::int16_t v) { Postavi(rulNumStep_, v); }
    std::int16_t RulNumStepSize() const { return rulNumStepSize_; }
    void SetRulNumStepSize(std::int16_t v) { Postavi(rulNumStepSize_, v); }
    // The background the ticks stand on.
    void SetBackground(fw::TColor v) { Postavi(background_, v); }

    // Called after the ruler painted itself, on the same picture.
    std::function<void(TRuller& sender, QPainter& painter)> OnPaint;

    // The numbers written along the ruler, from its start: one at every RulNumStep-th tick between the
    // two ends, each RulNumStepSize more than the one before; none without RulNum.
    std::vector<int> Brojevi() const;

    // Paints the ruler on a picture of the control's size.
    void PaintRuller(QImage& slika);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <class T> void Postavi(T& polje, T v) {
        if (polje == v) return;
        polje = v;
        update();
    }
    void Vodoravno(QPainter& p, int w, int h);
    void Okomito(QPainter& p, int w, int h);

    fw::TColor rulColor_ = fw::clBlack;
    RDirectType rulDirect_ = RDirectType::rdHorz;
    std::int16_t rulRange_ = 100;
    std::int16_t rulStep_ = 5;
    bool rulNum_ = true;
    std::int16_t rulNumStep_ = 10;
    std::int16_t rulNumStepSize_ = 1;
    fw::TColor background_ = fw::clBtnFace;
};

} // namespace windows
