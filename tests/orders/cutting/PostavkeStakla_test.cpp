#include "orders/cutting/PostavkeStakla.h"

#include "base/IniFile.h"

#include <gtest/gtest.h>

using namespace orders;

TEST(GetIniStakla, MissingSectionGivesTheDefaults) {
    PostavkeStakla p = GetIniStakla(base::IniFile::FromText("[podaci]\r\nValuta=EUR\r\n"));
    EXPECT_FALSE(p.PDolje);
    EXPECT_FALSE(p.PLijevo);
    EXPECT_TRUE(p.Popuni);
    EXPECT_TRUE(p.Umetni);
    EXPECT_FALSE(p.SvePoSirini);
    EXPECT_TRUE(p.ZadnjaPoSirini);
}

TEST(GetIniStakla, ReadsEachSwitchCaseInsensitively) {
    PostavkeStakla p =
        GetIniStakla(base::IniFile::FromText("[STAKLO]\r\npdolje=1\r\nPLijevo=1\r\nPopuni=0\r\nUmetni="
                                             "0\r\nSvePoSirini=1\r\nZadnjaPoSirini=0\r\n"));
    EXPECT_TRUE(p.PDolje);
    EXPECT_TRUE(p.PLijevo);
    EXPECT_FALSE(p.Popuni);
    EXPECT_FALSE(p.Umetni);
    EXPECT_TRUE(p.SvePoSirini);
    EXPECT_FALSE(p.ZadnjaPoSirini);
}
