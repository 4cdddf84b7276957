#pragma once
// A predictable setting for page-printer tests: an A4 printer at 600 dpi that records what it is sent,
// and a measurer where every character is half the font's em wide.

#include "controls/PagePrinter.h"
#include "fw/print/RecordingPrinter.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace printtest {

class HalfEmMeasurer : public fw::TextMeasurer {
public:
    int Width(const fw::PageFont& font, std::string_view text) const override {
        int chars = 0;
        for (unsigned char c : text)
            if ((c & 0xC0) != 0x80) ++chars;
        return chars * (font.PixelHeight / 2);
    }
    int ExternalLeading(const fw::PageFont&) const override { return 4; }
};

inline const HalfEmMeasurer& Measurer() {
    static const HalfEmMeasurer m;
    return m;
}

struct PlacedText {
    int X;
    int Y;
    std::string Text;
};

inline std::vector<PlacedText> Texts(const fw::Page& page) {
    std::vector<PlacedText> out;
    for (const fw::PageCommand& c : page.Commands())
        if (c.Kind == fw::CommandKind::Text) out.push_back({c.Points[0].x(), c.Points[0].y(), c.Text});
    return out;
}

inline std::vector<const fw::PageCommand*> LinesOf(const fw::Page& page) {
    std::vector<const fw::PageCommand*> out;
    for (const fw::PageCommand& c : page.Commands())
        if (c.Kind == fw::CommandKind::Line) out.push_back(&c);
    return out;
}

inline const PlacedText* Find(const std::vector<PlacedText>& texts, const std::string& text) {
    for (const PlacedText& t : texts)
        if (t.Text == text) return &t;
    return nullptr;
}

// A page printer in millimetres on the recording printer, margins 20 (top, bottom) and 15 (sides).
class PrinterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fw::SetCurrentPrinter(&printer_);
        prn_ = std::make_unique<controls::TPagePrinter>(nullptr);
        prn_->SetMeasurer(Measurer());
        prn_->SetMeasureUnit(controls::TMeasureUnit::muMillimeters);
        prn_->SetMarginTop(20);
        prn_->SetMarginBottom(20);
        prn_->SetMarginLeft(15);
        prn_->SetMarginRight(15);
    }
    void TearDown() override {
        prn_.reset();
        fw::SetCurrentPrinter(old_);
    }
    controls::TPagePrinter& Prn() { return *prn_; }

    fw::RecordingPrinter printer_ = fw::RecordingPrinter::A4(600);
    std::unique_ptr<controls::TPagePrinter> prn_;

private:
    fw::PrinterDevice* old_ = nullptr;
};

} // namespace printtest
