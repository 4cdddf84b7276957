#include "controls/ColumnFormats.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(ColumnFormats, NormalisedTokensReadBackTheSame) {
    const struct {
        const char* format;
        double defaultWidth;
        double factor;
        const char* normal;
    } cases[] = {
        {"20|>30", 0, 1, "<20|>30"},
        {"", 2, 1, ""},
        {"<|>", 2, 1, "<2|>2"},
        {"^180,05", 0, 1, "^180,05"},
        {"-20|>x", 3, 1, "<-20|>3"},
        {"<25,4", 0, 0.03937007874015748, "<1"},
        {"<1|^0,5", 0, 25.4, "<25,4|^12,7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeFormat(c.format, '|', c.defaultWidth, c.factor), c.normal) << c.format;
    const ColumnFormat negative = ParseColumn(">-7,5", 0);
    EXPECT_EQ(negative.Align, Alignment::taRightJustify);
    EXPECT_DOUBLE_EQ(negative.Width, -7.5);
    EXPECT_EQ(ParseColumn("^", 4).Align, Alignment::taCenter);
    EXPECT_DOUBLE_EQ(ParseColumn("^", 4).Width, 4);
}

TEST(ColumnFormats, TextHelpers) {
    EXPECT_EQ(SplitTokens("a||b|", '|'), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(SplitTokens("", '|'), (std::vector<std::string>{""}));
    EXPECT_EQ(ReplaceAll("aXa", "a", "aa"), "aaXaa");
    EXPECT_EQ(CutToWordBreak("ab cd\tef"), "ab cd\t");
    EXPECT_EQ(CutToWordBreak("abcd"), "abcd");
    EXPECT_EQ(ExpandTabs("a\tb", 8), "a       b");
    EXPECT_EQ(ExpandTabs("čš\t|\t", 4), "čš  |   ");
    EXPECT_EQ(Spaces(3), "   ");
    EXPECT_EQ(Spaces(-1), "");
    MacroValues v{3, 2, "8.12.2026", "7:05:09", "Nalog"};
    EXPECT_EQ(ExpandMacros("{$LINE}/{$PAGE} {$DATE} {$TIME} {$TITLE} {$X}", v),
              "3/2 8.12.2026 7:05:09 Nalog {$X}");
}

TEST(ColumnFormats, FriendlyHeadersBecomeEqualColumns) {
    const FriendlyValues v{"/tmp/izvj/nalog.txt", "8.12.2026", "8. prosinca 2026.", "7:05", "7:05:09"};
    const struct {
        const char* friendly;
        const char* text;
        const char* format;
    } cases[] = {
        {"&lPonuda&r&p", "Ponuda|{$PAGE}", "<90,00|>90,00"},
        {"&lA&cB&rC", "A|B|C", "<60,00|^60,00|>60,00"},
        {"Datum: &d&rStr. &p", "Datum: 8.12.2026|Str. {$PAGE}", "<90,00|>90,00"},
        {"X&&Y&qZ &f &F &D &t &T &i",
         "X&Y Z nalog.txt /tmp/izvj/nalog.txt 8. prosinca 2026. 7:05 7:05:09 {$TITLE}", "<180,00"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const FriendlyRow row = ParseFriendly(c.friendly, 180, '|', v);
        EXPECT_EQ(row.Text, c.text) << c.friendly;
        EXPECT_EQ(row.Format, c.format) << c.friendly;
    }
}
