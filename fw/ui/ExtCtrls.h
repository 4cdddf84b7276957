#pragma once
#include "fw/ui/Control.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QWidget>
#include <string>
#include <vector>

namespace fw {

enum class BevelCut { bvNone, bvLowered, bvRaised };

// A container with an optional centred caption and bevels.
class Panel : public ControlOf<QFrame> {
public:
    explicit Panel(Control* parent, Component* owner = nullptr);
    std::string Caption() const { return caption_.toStdString(); }
    void SetCaption(const std::string& caption);
    void SetBevelOuter(BevelCut cut);
    // The caption as drawn: centred, and when it does not fit, cut at its end with an ellipsis (the start
    // of a message says what it is about).
    QString ShownCaption() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

enum class BevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine };

// A sunken or raised frame drawn on its parent; it never takes the focus.
class Bevel : public ControlOf<QFrame> {
public:
    explicit Bevel(Control* parent, Component* owner = nullptr);
    void SetStyle(BevelShape shape, bool lowered);
};

// A rectangle drawn with a pen; it never takes the focus.
class Shape : public ControlOf<QWidget> {
public:
    explicit Shape(Control* parent, Component* owner = nullptr);
    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor color);
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int width);
    // Filled with the brush colour unless the brush is clear.
    void SetBrush(TColor color, bool clear);
    // Crossed diagonal hatch lines in the brush colour instead of a solid fill.
    void SetDiagCross(bool value);
    bool DiagCross() const { return diagCross_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColor penColor_ = clBlack;
    int penWidth_ = 1;
    TColor brushColor_ = clWhite;
    bool brushClear_ = true;
    bool diagCross_ = false;
};

// A picture; it never takes the focus.
class Image : public ControlOf<QLabel> {
public:
    explicit Image(Control* parent, Component* owner = nullptr);
    void SetPicture(const QPixmap& picture);
};

// One page of a notebook.
class NotebookPage : public ControlOf<QWidget> {
public:
    NotebookPage(Control* notebook, std::string pageName);
    const std::string& PageName() const { return pageName_; }

private:
    std::string pageName_;
};

// Pages of which one shows at a time; the others are hidden, so nothing on them can take the focus.
class Notebook : public ControlOf<QWidget> {
public:
    explicit Notebook(Control* parent, Component* owner = nullptr);
    NotebookPage& AddPage(const std::string& pageName);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    NotebookPage& Page(int index) const { return *pages_.at(static_cast<std::size_t>(index)); }
    int PageIndex() const { return pageIndex_; }
    void SetPageIndex(int index);

private:
    std::vector<NotebookPage*> pages_;
    int pageIndex_ = -1;
};

// A progress bar from MinValue to MaxValue; it never takes the focus.
class Gauge : public ControlOf<QProgressBar> {
public:
    explicit Gauge(Control* parent, Component* owner = nullptr);
    int MinValue() const { return minimum(); }
    int MaxValue() const { return maximum(); }
    void SetMinValue(int v) { setMinimum(v); }
    void SetMaxValue(int v);
    int Progress() const { return value(); }
    void SetProgress(int v);
    void SetColors(TColor fore, TColor back);
};

} // namespace fw
