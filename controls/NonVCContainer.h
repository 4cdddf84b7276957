#pragma once
// TNonVCContainer: a form-design aid that gathers a form's non-visual components into a panel of icons
// while the form is designed. At run time it has no function: a form that carries one builds it hidden
// and disabled, and it frees itself as soon as the form has finished loading. Its stored properties are
// kept so that such a form's description loads as written.

#include "fw/ui/Control.h"

#include <string>

namespace controls {

enum class TActivator { acNothing, acMouseMove, acButtonClick, acSpeechCommand, acPhoneRing };
enum class TSortBy { sbAsDesigned, sbName, sbClassName, sbTag };

class TNonVCContainer : public fw::ControlOf<QWidget> {
public:
    explicit TNonVCContainer(fw::Control* parent, fw::Component* owner = nullptr);

    int Columns = 4;
    bool Minimized = true;
    int GridWidth = 28;
    int GridHeight = 28;
    int Delay = 300;
    std::string NameFontName = "Arial";
    // Points; a form stores the height in pixels (negative), which SetNameFontHeight takes.
    int NameFontSize = 7;
    void SetNameFontHeight(int height);
    bool ShowNames = true;
    TActivator Activator = TActivator::acButtonClick;
    int NameBonus = 34;
    TSortBy SortBy = TSortBy::sbAsDesigned;
    bool SortDescending = false;
    bool MaxOnInsert = true;
    bool AutoSize = true;
    bool MinimizedCaption = true;
    bool FloatInView = true;
    int TitleHeight = 18;
    int MinMaxBtnWidth = 16;
    int MinMaxBtnHeight = 0;
    int MinMaxBtnMargin = 2;
    bool WarnOnDelete = true;
    fw::TColor ContainerColor = fw::clWindow;
    static int SimpleGridWidth() { return 28; }
    static const char* VersionInfo() { return "TNonVCContainer 1.0"; }

protected:
    // Outside the designer the container has nothing to do: it frees itself.
    void Loaded() override;
};

} // namespace controls
