#pragma once
// The own company (partner 20) with two producers, their colours in the own company's colour register, own
// articles of the profile groups, and the producers' article groups.

#include "tests/registers/RegisterFixture.h"

namespace systemstest {

class SystemsTest : public regtest::RegisterTest {
protected:
    SystemsTest() {
        app::WBegin.PodaciPoduzeca.OwnPartner = 20;
        // Producers: partners 1 and 2 (auto-increment), known to the producer register by code.
        Add("Global", "PARTNER.DB", {"Sifra", "Naziv"}, {{"REHAU", "Rehau d.o.o."}, {"VEKA", "Veka AG"}});
        Add("Global", "FIRME.DB", {"Sifra", "Partner"}, {{"REH", "1"}, {"VEK", "2"}});
        Add("Global", "SIF_BOJA.DB", {"Partner", "Proizvodi", "Sifra", "Code", "Naziv"},
            {{"20", "1", "BIJELA", "11", "Bijela"},
             {"20", "1", "SMEĐA", "12", "Smeđa"},
             {"20", "2", "HRAST", "21", "Zlatni hrast"}});
        // Groups by the default settings: 1 frame, 2 sash, 3 mullion, 4 door, 5 steel, 6 glass.
        Add("Global", "SIF_ROBE.DB", {"Partner", "Proizvodi", "Grupa", "Code", "Sifra", "Naziv"},
            {{"20", "1", "1", "101", "S70", "Štok 70"},
             {"20", "1", "2", "102", "K70", "Krilo 70"},
             {"20", "1", "3", "103", "P70", "Prečka 70"},
             {"20", "1", "4", "104", "V70", "Vrata 70"},
             {"20", "1", "5", "105", "Z1", "Željezo 1"},
             {"20", "1", "6", "106", "G4", "Staklo 4 mm"},
             {"20", "2", "1", "201", "S80", "Štok 80"},
             {"20", "1", "9", "109", "OKOV", "Okov"},
             {"7", "1", "1", "701", "TUĐI", "Tuđi štok"}});
        Add("Global", "GRUPE.DB", {"Partner", "Sifra", "Naziv"},
            {{"1", "PROF", "Profili"}, {"1", "ARM", "Armatura"}, {"2", "X", "Drugi"}});
    }
};

} // namespace systemstest
