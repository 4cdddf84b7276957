// Page layout on a recording A4 printer at 600 dpi with half-em characters: 10 pt is 83 px high and each
// character 41 px wide. Margins 20/20/15/15 mm leave the text area at (254, 372), 4253 px wide and
// 6072 px high; a 10 pt line advances 83 px.

#include "PrintTesting.h"

#include "base/CroatianFormat.h"
#include "base/Exceptions.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace controls;
using namespace printtest;

namespace {

class PageLayout : public PrinterFixture {};

} // namespace

TEST_F(PageLayout, MetricsFollowThePrinterAndClampTheMargins) {
    EXPECT_EQ(Prn().UnitsToPixelsX(25.4), 600);
    EXPECT_NEAR(Prn().MinMarginLeft(), 100 / 600.0 * 25.4, 1e-9);
    EXPECT_EQ(Prn().MarginLeftPixels(), 254);
    EXPECT_EQ(Prn().MarginTopPixels(), 372);
    EXPECT_EQ(Prn().TextWidthPixels(), 4761 - 2 * 254);
    EXPECT_EQ(Prn().PageBottomPixels(), 6816 - 2 * 372);
    EXPECT_EQ(Prn().LineHeight(), 83);
    Prn().SetLineSpacing(TLineSpacing::lsSingleAndAHalf);
    EXPECT_EQ(Prn().LineHeight(), 124);
    Prn().SetLineSpacing(TLineSpacing::lsHalfSpace);
    EXPECT_EQ(Prn().LineHeight(), 41);
    Prn().SetLineSpacing(TLineSpacing::lsSingleSpace);
    fw::FontSpec twelve{"Arial CE", 12};
    Prn().SetFont(twelve);
    EXPECT_EQ(Prn().LineHeight(), 100);

    Prn().SetMarginLeft(1);
    EXPECT_DOUBLE_EQ(Prn().MarginLeft(), Prn().MinMarginLeft());
    Prn().SetMarginTop(500);
    EXPECT_DOUBLE_EQ(Prn().MarginTop(), Prn().PageHeight() - Prn().MinMarginBottom());

    // A unit change converts margins and formats: 25,4 mm is one inch.
    Prn().SetMarginLeft(20);
    Prn().SetTableFormat("<25,4|>50,8");
    Prn().SetMeasureUnit(TMeasureUnit::muInches);
    EXPECT_EQ(Prn().TableFormat(), "<1|>2");
    EXPECT_NEAR(Prn().MarginLeft(), 20 / 25.4, 1e-9);
}

TEST_F(PageLayout, LinesAreAlignedAdvancedAndBrokenOntoNewPages) {
    Prn().Header = "Glava";
    Prn().Footer = "Podnožje";
    Prn().SetHeaderFormat("<100");
    Prn().SetFooterFormat("<100");
    int newLines = 0;
    Prn().OnNewLine = [&](TPagePrinter&) { ++newLines; };
    Prn().BeginDoc();
    Prn().Alignment = fw::Alignment::taRightJustify;
    Prn().WriteLine("desno");
    Prn().Alignment = fw::Alignment::taCenter;
    Prn().WriteLine("sredina");
    Prn().Alignment = fw::Alignment::taLeftJustify;
    EXPECT_EQ(Prn().LineNumber(), 2);
    for (int i = 3; i <= 80; ++i)
        Prn().WriteLine("red " + std::to_string(i));
    Prn().EndDoc();

    ASSERT_EQ(Prn().PageCount(), 2);
    const auto first = Texts(Prn().Pages(1));
    const PlacedText* right = Find(first, "desno");
    ASSERT_TRUE(right);
    EXPECT_EQ(right->X, 254 + 4253 - 5 * 41);
    EXPECT_EQ(right->Y, 372);
    const PlacedText* centre = Find(first, "sredina");
    ASSERT_TRUE(centre);
    EXPECT_EQ(centre->X, 254 + ((4253 - 7 * 41) >> 1));
    EXPECT_EQ(centre->Y, 372 + 83);
    // 73 lines fit: the 73rd starts at 72 * 83 and another would pass 6072.
    ASSERT_TRUE(Find(first, "red 73"));
    EXPECT_EQ(Find(first, "red 73")->Y, 372 + 72 * 83);
    EXPECT_FALSE(Find(first, "red 74"));
    const auto second = Texts(Prn().Pages(2));
    ASSERT_TRUE(Find(second, "red 74"));
    EXPECT_EQ(Find(second, "red 74")->Y, 372);
    EXPECT_EQ(Find(second, "red 74")->X, 254);
    // Header and footer on both pages, centred in the margin bands (18 px of the band lie in the border).
    for (const auto* page : {&first, &second}) {
        const PlacedText* header = Find(*page, "Glava");
        const PlacedText* footer = Find(*page, "Podnožje");
        ASSERT_TRUE(header && footer);
        EXPECT_EQ(header->Y, 372 + ((472 - 83) >> 1) - 472);
        EXPECT_EQ(header->X, 254 + 12);
        EXPECT_EQ(footer->Y, 372 + 6072 + ((472 - 83) >> 1));
    }
    EXPECT_EQ(Prn().CurrentPage(), 1); // EndDoc shows the first page
    EXPECT_GE(newLines, 80);
}

TEST_F(PageLayout, LongTextsWrapAtBlanksOrAreCut) {
    Prn().SetMarginRight(Prn().PageWidth() - 15 - 10 * 41 * 25.4 / 600); // a text area of ten characters
    ASSERT_EQ(Prn().TextWidthPixels(), 410);
    Prn().BeginDoc();
    Prn().WriteLine("prvi drugi treci");
    Prn().WriteText("ab ");
    Prn().WriteText("cdefg hij");
    Prn().NewLine();
    Prn().WordWrap = false;
    Prn().WriteLine("predugacka rijec");
    Prn().EndDoc();
    const auto texts = Texts(Prn().Pages(1));
    std::vector<std::string> order;
    for (const PlacedText& t : texts)
        order.push_back(t.Text + "@" + std::to_string((t.Y - 372) / 83));
    // Whole lines drop the blank at the break; continued text keeps it and goes on where it stopped.
    EXPECT_EQ(order, (std::vector<std::string>{"prvi drugi@0", "treci@1", "ab @2", "cdefg @2", "hij@3",
                                               "predugacka@4"}));
    EXPECT_EQ(Find(texts, "cdefg ")->X, 254 + 3 * 41);
}

TEST_F(PageLayout, TableCellsAreAlignedInsetWrappedAndFramed) {
    Prn().SetTableFormat("<20|>30|^25");
    EXPECT_EQ(Prn().TableFormat(), "<20|>30|^25");
    Prn().BeginDoc();
    Prn().WriteTableLine("ab|ab|ab|ignored");
    Prn().SetTableFormat("<6|<6|<20");
    Prn().WriteTableLine("ab cd|abcdefgh|x\ny");
    Prn().TableGrid = true;
    Prn().SetTableFormat("<20|-20|<10");
    Prn().WriteTableLine("okvir|bez");
    Prn().EndDoc();

    const fw::Page& page = Prn().Pages(1);
    const auto texts = Texts(page);
    // Widths 472, 709 and 591 px; the inset is 600/300 * 3 * 2 = 12 px.
    ASSERT_EQ(texts.size() >= 3, true);
    EXPECT_EQ(texts[0].X, 254 + 12);
    EXPECT_EQ(texts[1].X, 254 + 472 + (709 - 82 - 12));
    EXPECT_EQ(texts[2].X, 254 + 472 + 709 + ((591 - 82) >> 1));
    EXPECT_FALSE(Find(texts, "ignored"));
    // A 142 px column holds three characters: words move to the next printed line of the row, a long
    // word is cut inside, a line feed forces a break.
    std::vector<std::string> rows;
    for (const PlacedText& t : texts)
        rows.push_back(t.Text + "@" + std::to_string((t.Y - 372) / 83));
    const std::vector<std::string> wrapped{"ab @1", "abc@1", "x@1", "cd@2", "def@2", "y@2", "gh@3"};
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 3, rows.begin() + 10), wrapped);
    // The framed row: its first column framed (top, sides, then bottom and sides again), the negative
    // column (472 px) never, the empty third one framed as well.
    const auto lines = LinesOf(page);
    ASSERT_EQ(lines.size(), 12u);
    const int top = 372 + 4 * 83 - 4;
    EXPECT_EQ(lines[0]->Points[0], QPoint(254, top));
    EXPECT_EQ(lines[0]->Points[1], QPoint(254 + 472, top));
    EXPECT_EQ(page.PenOf(*lines[0]).Width, 2 * 2);
    EXPECT_EQ(lines[6]->Points[0], QPoint(254, top + 83)); // the bottom edge
    for (const auto* line : lines)
        EXPECT_FALSE(line->Points[0].x() > 254 + 472 && line->Points[0].x() < 254 + 472 + 472);
}

TEST_F(PageLayout, PageHeadsAndMacrosOfTheCaller) {
    Prn().SetTitle("Ponuda 7");
    Prn().SetFriendlyHeader("&lStr. &p&r&i");
    EXPECT_EQ(Prn().Header, "Str. {$PAGE}|{$TITLE}");
    EXPECT_EQ(Prn().HeaderFormat(), "<" + base::FormatFloat(Prn().UsableWidth() / 2, 2, false) + "|>" +
                                        base::FormatFloat(Prn().UsableWidth() / 2, 2, false));
    int heads = 0;
    Prn().OnNewPage = [&](TPagePrinter& p) {
        ++heads;
        p.WriteLine("Glava {$PAGE}"); // macros only in table cells
        p.SetTableFormat("<30");
    };
    Prn().BeginDoc();
    Prn().SetTableFormat("<100");
    for (int i = 0; i < 80; ++i)
        Prn().WriteTableLine("stavka {$LINE}");
    Prn().EndDoc();
    ASSERT_EQ(Prn().PageCount(), 2);
    EXPECT_EQ(heads, 2);
    const auto second = Texts(Prn().Pages(2));
    EXPECT_TRUE(Find(second, "Str. 2"));
    EXPECT_TRUE(Find(second, "Ponuda 7"));
    EXPECT_TRUE(Find(second, "Glava {$PAGE}"));
    // The head leaves one line: the body restarts below it, counting from 1.
    const PlacedText* firstRow = nullptr;
    for (const PlacedText& t : second)
        if (t.Text.rfind("stavka", 0) == 0 && (!firstRow || t.Y < firstRow->Y)) firstRow = &t;
    ASSERT_TRUE(firstRow);
    EXPECT_EQ(firstRow->Text, "stavka 1");
    EXPECT_EQ(firstRow->Y, 372 + 83);
}

TEST_F(PageLayout, AHeadThatFillsThePageCannotLoopOrRecurse) {
    Prn().OnNewPage = [](TPagePrinter& p) {
        for (int i = 0; i < 100; ++i)
            p.WriteLine("glava");
    };
    Prn().BeginDoc();
    for (int i = 0; i < 3; ++i)
        Prn().WriteLine("tijelo");
    Prn().EndDoc();
    // Each page takes its 100 head lines and one body line.
    EXPECT_EQ(Prn().PageCount(), 3);
}

TEST_F(PageLayout, RefusalsWhileADocumentIsOpen) {
    Prn().BeginDoc();
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { Prn().Clear(); }, "Ne mogu obrisati sadržaj za vrijeme ispisa"},
        {[&] { Prn().SetOrientation(fw::PrinterOrientation::poLandscape); },
         "Ne može se mijenjati orijentacija za vrijeme ispisa!"},
        {[&] { Prn().SetMarginTop(30); }, "Ne može se mijenjati gornja margina za vrijeme ispisa"},
        {[&] { Prn().SetMarginBottom(30); }, "Ne može se mijenjati donja margina za vrijeme ispisa"},
        {[&] { Prn().SetMarginLeft(30); }, "Ne može se mijenjati lijeva margina za vrijeme ispisa"},
        {[&] { Prn().SetMarginRight(30); }, "Ne može se mijenjati desna margina za vrijeme ispisa"},
        {[&] { Prn().SetPrintToFile(true); },
         "Ne može se mijenjati opcija \"PrintToFile\" za vrijeme ispisa"},
        {[&] { Prn().SetFileName("x.txt"); }, "Ne može se mijenjati opcija \"FileName\" za vrijeme ispisa"},
    };
    for (const auto& [action, message] : cases) {
        try {
            action();
            ADD_FAILURE() << "not refused: " << message;
        } catch (const EPagePrinter& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    EXPECT_DOUBLE_EQ(Prn().MarginTop(), 20);
    EXPECT_FALSE(Prn().PreviousLine()); // at the top of the page
    Prn().WriteLine("a");
    EXPECT_TRUE(Prn().PreviousLine());
    EXPECT_EQ(Prn().CurrentY, 0);
    Prn().EndDoc();
    Prn().WriteLine("x");
    try {
        Prn().GotoPage(0);
        ADD_FAILURE();
    } catch (const EPagePrinter& e) {
        EXPECT_EQ(std::string(e.what()), "Broj stranice mora biti između 1 i 1");
    }
    // Margins that leave no room for a line are refused at the start of a document.
    Prn().SetMarginTop(148);
    Prn().SetMarginBottom(148);
    EXPECT_THROW(Prn().BeginDoc(), EPagePrinter);
    EXPECT_FALSE(Prn().Printing());
}

TEST_F(PageLayout, TextFileOutputInCodePage1250) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("plom-print-" + std::to_string(::getpid()) + ".txt");
    Prn().SetPrintToFile(true);
    Prn().SetFileName("  " + file.string() + " ");
    Prn().Footer = "kraj";
    Prn().SetFooterFormat("<20");
    Prn().BeginDoc();
    EXPECT_TRUE(Prn().Printing());
    Prn().Alignment = fw::Alignment::taCenter;
    Prn().WriteLine("čaša");
    Prn().NewPage();
    Prn().SetTableFormat("<5|>5");
    Prn().WriteTableLine("a|b");
    Prn().EndDoc();
    EXPECT_EQ(Prn().PageCount(), 0);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    // The footer row (472 px wide, the text after a 12 px inset and 7 blanks of 41 px to the edge), the
    // centred line after (4253 - 164) / 2 / 41 blanks, a form feed, the next page's footer, then the row.
    const std::string footer = "kraj" + std::string(7, ' ') + "\r\n";
    const std::string expected = footer + std::string(49, ' ') +
                                 "\xE8"
                                 "a\x9A"
                                 "a\r\n" +
                                 "\f\r\n" + footer + "a" + "  " + "b\r\n";
    EXPECT_EQ(bytes, expected);
}
