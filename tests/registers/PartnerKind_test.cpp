#include "registers/PartnerKind.h"

#include <gtest/gtest.h>

namespace {

using registers::ControlStatesFor;
using registers::PartnerKind;

TEST(PartnerKind, OwnCompanyThenCountryDecide) {
    const struct {
        const char* Sifra;
        int Zemlja;
        const char* Expected;
    } cases[] = {
        {"LUMENO", 1, "J"}, // our own company, whatever its country
        {"LUMENO", 7, "J"}, {"ALU", 1, "T"}, {"ALU", 7, "I"}, {"", 0, "I"}, {"lumeno", 1, "T"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PartnerKind(c.Sifra, c.Zemlja, "LUMENO", 1), c.Expected) << c.Sifra << " " << c.Zemlja;
}

// Each kind and supplier flag against the controls it opens.
TEST(PartnerKind, KindAndSupplierOpenTheirControls) {
    using S = registers::PartnerControlStates;
    const struct {
        const char* Kind;
        bool Supplier;
        S Expected;
    } cases[] = {
        {"J", false, {false, true, true, true, true, false}},
        {"J", true, {false, true, true, true, true, false}},
        {"T", false, {true, false, false, false, false, false}},
        {"T", true, {true, false, true, false, true, false}},
        {"I", false, {true, false, false, false, false, true}},
        {"I", true, {true, false, true, true, false, true}},
    };
    for (const auto& c : cases) {
        const auto s = ControlStatesFor(c.Kind, c.Supplier);
        ASSERT_TRUE(s) << c.Kind;
        const bool got[] = {s->Dobavljac,      s->DjelatnostDirektorMaticni,
                            s->Banka,          s->Banka2,
                            s->ZiroPozivModel, s->GovorValuta};
        const bool want[] = {c.Expected.Dobavljac,      c.Expected.DjelatnostDirektorMaticni,
                             c.Expected.Banka,          c.Expected.Banka2,
                             c.Expected.ZiroPozivModel, c.Expected.GovorValuta};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(got[i], want[i])
                << c.Kind << (c.Supplier ? " supplier" : " customer") << " control " << i;
    }
    EXPECT_FALSE(ControlStatesFor("", true)) << "no letter leaves the controls as they are";
    EXPECT_FALSE(ControlStatesFor("X", false));
    EXPECT_STREQ(registers::BalanceCaptionsFor("J").Dug, "Duguju:");
    EXPECT_STREQ(registers::BalanceCaptionsFor("T").Potr, "Potražuje:");
}

} // namespace
