#include "registers/Ean.h"
#include "registers/Model.h"

#include <gtest/gtest.h>

namespace {

struct EanCase {
    const char* Code;
    bool Valid;
};

TEST(Ean, PublishedCodesPassAndAnyFaultFails) {
    const EanCase cases[] = {
        {"4006381333931", true},  // EAN-13
        {"5901234123457", true},  // EAN-13
        {"9780306406157", true},  // ISBN-13 as EAN
        {"96385074", true},       // EAN-8
        {"036000291452", true},   // UPC-A
        {"10614141000415", true}, // GTIN-14
        {"4006381333932", false}, // wrong check digit
        {"5901234123450", false}, // wrong check digit
        {"4006381333913", false}, // two digits swapped
        {"4006A81333931", false}, // a letter before the check digit
        {"400638133393X", false}, // a letter as the check digit
        {"9638507", false},       // seven characters, whatever the digits
        {"", false},
        {"00000000", true}, // a zero sum gives check 0 (10 becomes 0)
        {"00000010", false},
    };
    for (const EanCase& c : cases)
        EXPECT_EQ(registers::IsValidEan(c.Code), c.Valid) << c.Code;
}

struct ModelCase {
    int Model;
    const char* Reference;
    bool Valid;
};

TEST(PaymentModel, EachModelChecksItsParts) {
    const ModelCase cases[] = {
        {0, "anything-1-1", true},
        {1, "12-34-3", true}, // 12343 as one number: the check digit of 1234 is 3
        {1, "12-34-5", false},
        {1, "", true},
        {2, "1-12343-12343", true}, // the one-digit first part is not checked
        {2, "1-12343-12345", false},
        {3, "12343-0-12343", false}, // a one-digit part fails every MOD 11 check
        {3, "1-2", false},
        {3, "12343-12343-12343", true},
        {4, "12343-999-12343", true}, // the middle part is not checked
        {4, "12343-999-12345", false},
        {5, "1234-5678", false}, // only 1234 is checked, and its check digit is wrong
        {5, "12343-5678", true},
        {55, "12343-5678", true},
        {6, "99-1234-3", true}, // P2P3 = 12343
        {7, "1234-12343", true},
        {7, "12343-5678", false},
        {8, "12-343-12343", true},
        {8, "12-34-12343", false}, // P1P2 = 1234 fails
        {9, "123-43", true},
        {10, "12343-123-43", true},
        {11, "12343-12343", true},
        {11, "12343-12345", false},
        {12, "1234567890125", true}, // thirteen digits use all thirteen weights
        {12, "1234567890124", false},
        {12, "27", true},
        {13, "no digits at all", true},
        {14, "1238", true},  // 3*1 + 2*2 + 1*1 = 8, the remainder itself
        {14, "1232", false}, // ten minus the remainder is not the rule
        {14, "500", true},   // 5*2 = 10 is added as it is...
        {14, "501", false},  // ...not as its digit sum
        {99, "", true},
        {99, "abc def", true},
        {99, "1", false},
        {99, "-", true},
        {20, "1-2-3", true}, // no rule
    };
    for (const ModelCase& c : cases)
        EXPECT_EQ(registers::CheckPaymentModel(static_cast<std::uint8_t>(c.Model), c.Reference), c.Valid)
            << "model " << c.Model << " reference \"" << c.Reference << "\"";
}

TEST(PaymentModel, ReferencesSplitIntoThreeDigitPartsWithTheirLimits) {
    auto split = [](const char* reference) {
        const registers::ReferenceParts p = registers::SplitReference(reference);
        return p.P1 + "|" + p.P2 + "|" + p.P3;
    };
    EXPECT_EQ(split(""), "||");
    EXPECT_EQ(split("12 a3"), "123||");
    EXPECT_EQ(split("1-2-3-4"), "1|2|3");
    EXPECT_EQ(split("12345678901234567"), "1234567890123||");
    EXPECT_EQ(split("-12345678901234-12345678901234"), "|123456789012|123456789012");
    EXPECT_EQ(split("--7"), "||7");
}

TEST(PaymentModel, ModElevenTurnsTenAndElevenIntoZero) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},   {"7", false},  {"19", true}, {"10", false}, {"60", true}, // 11 - 1 = 10 stands for 0
        {"00", true},                                                           // 11 - 0 = 11 stands for 0
        {"51", true}, {"50", false},
    };
    for (const auto& [digits, valid] : cases)
        EXPECT_EQ(registers::CheckMod11(digits), valid) << digits;
}

} // namespace
