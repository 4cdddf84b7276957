#pragma once
// A sample workshop in a staged program folder, written through the program's own tables and the
// window-type storage: the own company with its language, country, currency and units; a profile supplier
// and a glass supplier as partners and manufacturers; the article groups "PLOM.INI" names; profile articles
// of two colours with their steel reinforcements and two glasses, with their bars and sheets; one window
// system with its constants and its colours' profiles; six window types, each sold as an article; one
// customer and one work order of five items, not yet optimised. Its sizes are the ones a PVC workshop works
// with.

#include <cstdint>

namespace app {

// The codes the sample gives its rows (the tables number them in this order on empty registers).
namespace sample {
inline constexpr std::int32_t Sistem = 1;
inline constexpr std::int32_t Bijela = 1, ZlatniHrast = 2; // colours
inline constexpr std::int32_t RadniNalog = 1;
// Articles: frame, sash, mullion and door leaf in white, the same in golden oak, the four reinforcements,
// then the two glasses.
inline constexpr std::int32_t StokBijeli = 1, KriloBijelo = 2, PreckaBijela = 3, VrataBijela = 4;
inline constexpr std::int32_t OjacanjeStoka = 9, OjacanjeKrila = 10, OjacanjePrecke = 11, OjacanjeVrata = 12;
inline constexpr std::int32_t Staklo4164 = 13, Staklo4164LowE = 14;
// The window types, each under its sale article of the same code (the articles after the glasses).
inline constexpr std::int32_t TipFix = 15, TipK1 = 16, TipK2P = 17, TipK2 = 18, TipBVN = 19, TipK1R = 20;
// System constants.
inline constexpr int Razmak = 10, Preklapanje = 8, SmanjenjeStakla = 5, ReznaPila = 4, Varenje = 3,
                     DodatakNaPrecku = 10;
// Profile faces (mm), bar and sheet sizes.
inline constexpr int SirinaStoka = 66, SirinaKrila = 80, SirinaPrecke = 84, SirinaVrata = 118;
inline constexpr int DuzinaSipke = 6500, DuzinaOjacanja = 6000;
inline constexpr int SirinaPloce = 3210, VisinaPloce = 2250;
} // namespace sample

// True when the folder's registers hold no window system yet (the sample is written only then).
bool RegistersEmpty();
// Writes the sample into the "Global" and "Lokal" databases, which must be connected; `ownPartner` is the
// own company's "PARTNER.DB" Code.
void WriteSampleWorkshop(std::int32_t ownPartner);

} // namespace app
