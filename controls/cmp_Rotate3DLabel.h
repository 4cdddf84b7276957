#pragma once
// TRotate3DLabel: text turned about the control's centre, with 3-D highlight and shadow copies and an
// optional background polygon; TLabelStyle holds the angle and the 3-D look.

#include "fw/ui/Control.h"

#include <functional>
#include <memory>
#include <string>

namespace controls {

enum class T3DEffectShort { A3dNormal, A3dResit, A3dRaised, A3dShadowed };

class TLabelStyle {
public:
    int Angle() const { return angle_; }
    void SetAngle(int angle);
    T3DEffectShort AStyle3D() const { return style_; }
    void SetAStyle3D(T3DEffectShort style);
    int AHShadeOffSet() const { return hOffset_; }
    void SetAHShadeOffSet(int offset);
    int AVShadeOffSet() const { return vOffset_; }
    void SetAVShadeOffSet(int offset);
    fw::TColor AShadeRightBottom() const { return rightBottom_; }
    void SetAShadeRightBottom(fw::TColor color);
    fw::TColor AShadeLeftTop() const { return leftTop_; }
    void SetAShadeLeftTop(fw::TColor color);
    bool AShadeLTSet() const { return ltSet_; }
    void SetAShadeLTSet(bool set);
    // Runs the seven setters with the other style's values, then reports a change.
    void Assign(const TLabelStyle& other);

    std::function<void()> OnChange;

private:
    friend class TRotate3DLabel;
    void Changed() {
        if (OnChange) OnChange();
    }
    int angle_ = 0;
    T3DEffectShort style_ = T3DEffectShort::A3dRaised;
    int hOffset_ = 5;
    int vOffset_ = -5;
    fw::TColor rightBottom_ = fw::clGray;
    fw::TColor leftTop_ = fw::clWhite;
    fw::TColor savedLeftTop_ = fw::clWhite;
    bool ltSet_ = true;
};

class TRotate3DLabel : public fw::ControlOf<QWidget> {
public:
    explicit TRotate3DLabel(fw::Control* parent, fw::Component* owner = nullptr);

    std::string Caption() const { return caption_.toStdString(); }
    void SetCaption(const std::string& caption);
    TLabelStyle& LabelStyle() { return *style_; }
    void SetLabelStyle(const TLabelStyle& style);
    bool MyTransparent() const { return myTransparent_; }
    void SetMyTransparent(bool transparent);
    // The polygon's colour when MyTransparent is off.
    fw::TColor LabelColor() const { return color_; }
    void SetLabelColor(fw::TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    std::unique_ptr<TLabelStyle> style_;
    bool myTransparent_ = true;
    fw::TColor color_ = fw::clBtnFace;
};

} // namespace controls
