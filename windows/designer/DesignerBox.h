#pragma once
// The designer's 401 x 401 paint box. The plan is painted into a picture of its own whenever it changes;
// the ghost of a dragged mullion and the cross-hair that stands in for the mouse cursor are laid over a
// copy with exclusive-or, so taking them away always restores the plan exactly.

#include "fw/ui/Control.h"
#include "windows/designer/Designer.h"

#include <functional>
#include <QImage>
#include <QWidget>

namespace windows {

class DesignerBox : public fw::ControlOf<QWidget> {
public:
    static constexpr int Velicina = 401;

    DesignerBox(fw::Control* parent, fw::Component* owner, Designer& designer);

    // Paints the plan and the selection mark again from the model.
    void Redraw();
    // What the box shows: the plan, and over it the ghost and the cross-hair when they are up.
    QImage Picture() const;
    const QImage& Plan() const { return plan_; }
    bool CrossHairShown() const;

    std::function<void(MouseButton button, int x, int y)> OnMouseDown;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(MouseButton button, int x, int y)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Designer& d_;
    QImage plan_;
    bool unutra_ = false;
};

} // namespace windows
