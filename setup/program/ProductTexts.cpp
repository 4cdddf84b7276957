#include "setup/program/PlomSetup.h"

namespace setup::plom {

const std::vector<std::string>& LicenseText() {
    static const std::vector<std::string> text{
        "UGOVOR O KORIŠTENJU APLIKACIJE LUMENO",
        "",
        "1. Lumeno d.o.o. (u daljnjem tekstu: proizvođač) daje korisniku pravo korištenja aplikacije na "
        "računalima njegove radionice.",
        "2. Aplikacija se ne smije umnožavati ni davati trećim osobama bez pisane dozvole proizvođača.",
        "3. Podaci koje korisnik unese u aplikaciju njegovo su vlasništvo.",
        "4. Proizvođač ne odgovara za štetu nastalu nepravilnim korištenjem aplikacije.",
        "",
        "Pritiskom na \"Dalje >\" prihvaćate ove uvjete."};
    return text;
}

const std::vector<std::string>& ReadmeText() {
    static const std::vector<std::string> text{
        "Lumeno 1.112",
        "",
        "Aplikacija za izradu PVC i aluminijskih prozora i vrata: šifarnici, tipovi prozora, radni nalozi, "
        "optimizacija rezanja profila i stakla.",
        "",
        "Aplikacija se instalira u vaš korisnički katalog; baze podataka (\"Global\" i \"Lokal\") nalaze se "
        "uz program. Ponovna instalacija ne mijenja postojeće baze ni postavke.",
        "",
        "Za rad su potrebne biblioteke Qt 6 i libzip te fontovi Liberation."};
    return text;
}

} // namespace setup::plom
