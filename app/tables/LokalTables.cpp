// The tables of the "Lokal" database, in table-number order.

#include "app/tables/TableBuilders.h"

namespace app {

using namespace tables;

namespace {

// The balances of one level of the prescribed chart of accounts: the account code has as many characters as
// its level. Keyed by organisational unit and account, the key fields leading.
TableDefinition AccountBalanceTable(int level) {
    return Table("S_KONTA" + std::to_string(level) + ".DB", 5, 1, 1,
                 {
                     Field("OrgJed", ftInteger),
                     Field("Konto", ftString, std::uint16_t(level)),
                     Field("Duguje", ftFloat),
                     Field("Potrazuje", ftFloat),
                     Field("Saldo", ftFloat),
                 },
                 {Primary("OrgJed;Konto")});
}

} // namespace

const std::vector<TableDefinition>& LokalTables() {
    static const std::vector<TableDefinition> tables = [] {
        std::vector<TableDefinition> list = {
            // 1
            Table("WINGL.DB", 14, 5, 9,
                  {
                      Field("Sifra", ftString, 40),
                      Field("Naziv", ftString, 40),
                      Field("Code", ftInteger),
                      Field("Sistem", ftInteger),
                      Field("Boja", ftInteger),
                      Field("Vrata", ftBoolean),
                      Field("ArtiklOkvira", ftInteger),
                      Field("Roletne", ftBoolean),
                      Field("MaxRight", ftSmallint),
                      Field("MaxBottom", ftSmallint),
                      Field("WinLeft", ftSmallint),
                      Field("WinTop", ftSmallint),
                      Field("WinRight", ftSmallint),
                      Field("WinBottom", ftSmallint),
                  },
                  {
                      Primary("Sifra"),
                      Index("SistemCode", "Sistem;Code", CaseInsensitive),
                      Index("_Naziv", "Naziv", CaseInsensitive),
                      Index("_Code", "Code", CaseInsensitive),
                      Index("SistemSifra", "Sistem;Sifra", CaseInsensitive),
                  }),
            // 2
            Table("WINO.DB", 17, 1, 1,
                  {
                      Field("WTip", ftInteger),
                      Field("Rbr", ftSmallint),
                      Field("RedniBroj", ftSmallint),
                      Field("ArtiklOkvira", ftInteger),
                      Field("DebProfila", ftSmallint),
                      Field("L1", ftSmallint),
                      Field("T1", ftSmallint),
                      Field("R1", ftSmallint),
                      Field("B1", ftSmallint),
                      Field("L2", ftSmallint),
                      Field("T2", ftSmallint),
                      Field("R2", ftSmallint),
                      Field("B2", ftSmallint),
                      Field("K", ftSmallint),
                      Field("Q", ftSmallint),
                      Field("Otvaranje", ftSmallint),
                      Field("Lajsna", ftSmallint),
                  },
                  {
                      Primary("WTip;Rbr"),
                  }),
            // 3
            Table("WINP.DB", 8, 1, 1,
                  {
                      Field("WTip", ftInteger),
                      Field("RedniBroj", ftSmallint),
                      Field("ArtiklPrecke", ftInteger),
                      Field("L", ftSmallint),
                      Field("T", ftSmallint),
                      Field("R", ftSmallint),
                      Field("B", ftSmallint),
                      Field("Tip", ftBoolean),
                  },
                  {
                      Primary("WTip;RedniBroj"),
                  }),
            // 4
            Table("WINPO.DB", 9, 1, 1,
                  {
                      Field("WTip", ftInteger),
                      Field("RedniBrojOkvira", ftSmallint),
                      Field("RedniBroj", ftSmallint),
                      Field("ArtiklPreckeOkvira", ftInteger),
                      Field("L", ftSmallint),
                      Field("T", ftSmallint),
                      Field("R", ftSmallint),
                      Field("B", ftSmallint),
                      Field("Tip", ftBoolean),
                  },
                  {
                      Primary("WTip;RedniBrojOkvira;RedniBroj"),
                  }),
            // 5
            OpenRegisterTable(),
            // 6
            Table("WSYSTEM.DB", 9, 2, 3,
                  {
                      Field("Code", ftAutoInc),
                      Field("Sifra", ftString, 40),
                      Field("Proizvodi", ftInteger),
                      Field("Razmak", ftSmallint),
                      Field("Preklapanje", ftSmallint),
                      Field("SmanjenjeStakla", ftSmallint),
                      Field("ReznaPila", ftSmallint),
                      Field("Varenje", ftSmallint),
                      Field("DodatakNaPrecku", ftSmallint),
                  },
                  {
                      Primary("Code"),
                      Index("_Sifra", "Sifra", CaseInsensitive),
                  }),
            // 7
            Table("RADNINAL.DB", 11, 4, 7,
                  {
                      Field("Code", ftAutoInc),
                      Field("Sifra", ftString, 15),
                      Field("Optimizacija", ftBoolean),
                      Field("Broj", ftInteger),
                      Field("Datum", ftDate),
                      Field("Kupac", ftInteger),
                      Field("Sistem", ftInteger),
                      Field("Boja", ftInteger),
                      Field("Iznos", ftFloat),
                      Field("Narucioc", ftString, 70),
                      Field("Naputak", ftMemo, 30),
                  },
                  {
                      Primary("Code"),
                      Index("_Sifra", "Sifra", CaseInsensitive),
                      Index("_Datum", "Datum", CaseInsensitive),
                      Index("_Broj", "Broj", CaseInsensitive),
                  }),
            // 8
            Table("STAVKERN.DB", 8, 2, 3,
                  {
                      Field("BrojRN", ftInteger),
                      Field("Stavka", ftSmallint),
                      Field("Tip", ftInteger),
                      Field("Staklo", ftInteger),
                      Field("Kolicina", ftSmallint),
                      Field("Sirina", ftSmallint),
                      Field("Visina", ftSmallint),
                      Field("Cijena", ftFloat),
                  },
                  {
                      Primary("BrojRN;Stavka"),
                      Index("_Tip", "Tip", CaseInsensitive),
                  }),
            // 9
            Table("SIF_PART.DB", 56, 8, 15,
                  {
                      Field("Sifra", ftString, 40),
                      Field("Dobavljac", ftString, 1, "K"),
                      Field("Drzava", ftString, 1, "T"),
                      Field("Partner", ftInteger),
                      Field("Govor", ftInteger, 0, "1"),
                      Field("UgovRabat", ftFloat),
                      Field("RokPlacanja", ftSmallint),
                      Field("VeceKolicine", ftBoolean, 0, "True"),
                      Field("UgovRabat2", ftFloat),
                      Field("RokPlacanja2", ftSmallint),
                      Field("VeceKolicine2", ftBoolean, 0, "True"),
                      Field("Biljeske", ftMemo, 30),
                      Field("IstiZiroRn", ftBoolean),
                      Field("PoOrgJed", ftBoolean),
                      Field("Tretman", ftBoolean),
                      Field("URoba", ftBoolean),
                      Field("XRoba", ftBoolean),
                      Field("UpoMPC", ftBoolean),
                      Field("XpoMPC", ftBoolean),
                      Field("UnaIsto", ftBoolean),
                      Field("XnaIsto", ftBoolean),
                      Field("Uusluga", ftBoolean),
                      Field("Xusluga", ftBoolean),
                      Field("UrabatIznos", ftBoolean),
                      Field("XrabatIznos", ftBoolean),
                      Field("UmarzaIznos", ftBoolean),
                      Field("XmarzaIznos", ftBoolean),
                      Field("UnudiRabat", ftBoolean),
                      Field("XnudiRabat", ftBoolean),
                      Field("UrabatVar", ftBoolean),
                      Field("XrabatVar", ftBoolean),
                      Field("UnudiRUC", ftBoolean),
                      Field("XnudiRUC", ftBoolean),
                      Field("URUCvar", ftBoolean),
                      Field("XRUCvar", ftBoolean),
                      Field("UuzmiRabat", ftBoolean),
                      Field("XuzmiRabat", ftBoolean),
                      Field("UunosFV", ftBoolean),
                      Field("XunosFV", ftBoolean),
                      Field("UunosVPC", ftBoolean),
                      Field("XunosVPC", ftBoolean),
                      Field("UunosMPC", ftBoolean),
                      Field("XunosMPC", ftBoolean),
                      Field("Uvirman", ftBoolean),
                      Field("Xvirman", ftBoolean),
                      Field("XdatumDok", ftBoolean),
                      Field("XdatumDVO", ftBoolean),
                      Field("XdatumValute", ftBoolean),
                      Field("XrokPlacanja", ftBoolean),
                      Field("Xotpremnica", ftBoolean),
                      Field("Xnarudzbenica", ftBoolean),
                      Field("Xpredracun", ftBoolean),
                      Field("Xtroskovi", ftBoolean),
                      Field("XkontoKupDob", ftBoolean),
                      Field("Items", ftInteger),
                      Field("Temp", ftBoolean),
                  },
                  {
                      Primary("Sifra"),
                      Index("DrzavaPartner", "Drzava;Partner"),
                      Index("DobavljacPartner", "Dobavljac;Partner"),
                      Index("DobavljacDrzavaPartner", "Dobavljac;Drzava;Partner"),
                      Index("DrzavaSifra", "Drzava;Sifra"),
                      Index("DobavljacSifra", "Dobavljac;Sifra"),
                      Index("Partner", "Partner"),
                      Index("DobavljacDrzavaSifra", "Dobavljac;Drzava;Sifra"),
                  }),
            // 10
            Table("RNOPTIMA.DB", 9, 1, 1,
                  {
                      Field("RadniNalog", ftInteger),
                      Field("Rbr", ftSmallint),
                      Field("Artikl", ftInteger),
                      Field("Prozor", ftSmallint),
                      Field("Duzina", ftSmallint),
                      Field("Duzina1", ftSmallint),
                      Field("KutL", ftSmallint),
                      Field("KutD", ftSmallint),
                      Field("Duzina2", ftSmallint),
                  },
                  {
                      Primary("RadniNalog;Rbr"),
                  }),
            // 11
            Table("WSYSBOJE.DB", 17, 1, 1,
                  {
                      Field("Sistem", ftInteger),
                      Field("Boja", ftInteger),
                      Field("Stok", ftInteger),
                      Field("ZStoka", ftInteger),
                      Field("ZSM", ftSmallint),
                      Field("Vrata", ftInteger),
                      Field("ZVrata", ftInteger),
                      Field("ZVM", ftSmallint),
                      Field("Okvir", ftInteger),
                      Field("ZOkvira", ftInteger),
                      Field("ZOM", ftSmallint),
                      Field("KlizniOkvir", ftInteger),
                      Field("ZKlizniOkvir", ftInteger),
                      Field("ZKOM", ftSmallint),
                      Field("Precka", ftInteger),
                      Field("ZPrecka", ftInteger),
                      Field("ZPM", ftSmallint),
                  },
                  {
                      Primary("Sistem;Boja"),
                  }),
            // 12
            Table("S_PART.DB", 10, 1, 1,
                  {
                      Field("Dok", ftSmallint),
                      Field("OrgJed", ftInteger),
                      Field("Konto", ftInteger),
                      Field("Partner", ftInteger),
                      Field("OrgJedPart", ftInteger),
                      Field("Stavki", ftInteger),
                      Field("Duguje", ftFloat),
                      Field("Potrazuje", ftFloat),
                      Field("Saldo", ftFloat),
                      Field("Temp", ftBoolean),
                  },
                  {
                      Primary("Dok;OrgJed;Konto;Partner;OrgJedPart"),
                  }),
            // 13
            Table("NWINGL.DB", 14, 3, 5,
                  {
                      Field("Code", ftAutoInc),
                      Field("RN", ftInteger),
                      Field("RNS", ftInteger),
                      Field("Sistem", ftInteger),
                      Field("Boja", ftInteger),
                      Field("Vrata", ftBoolean),
                      Field("ArtiklOkvira", ftInteger),
                      Field("Roletne", ftBoolean),
                      Field("MaxRight", ftSmallint),
                      Field("MaxBottom", ftSmallint),
                      Field("WinLeft", ftSmallint),
                      Field("WinTop", ftSmallint),
                      Field("WinRight", ftSmallint),
                      Field("WinBottom", ftSmallint),
                  },
                  {
                      Primary("Code"),
                      Index("_RnRnsCode", "RN;RNS;Code", UniqueCaseInsensitive),
                      Index("SistemCode", "Sistem;Code", CaseInsensitive),
                  }),
            // 14
            Table("NWINO.DB", 19, 1, 1,
                  {
                      Field("RN", ftInteger),          Field("RNS", ftInteger),
                      Field("WTip", ftInteger),        Field("Rbr", ftSmallint),
                      Field("RedniBroj", ftSmallint),  Field("ArtiklOkvira", ftInteger),
                      Field("DebProfila", ftSmallint), Field("Lajsna", ftSmallint),
                      Field("L1", ftSmallint),         Field("T1", ftSmallint),
                      Field("R1", ftSmallint),         Field("B1", ftSmallint),
                      Field("L2", ftSmallint),         Field("T2", ftSmallint),
                      Field("R2", ftSmallint),         Field("B2", ftSmallint),
                      Field("K", ftSmallint),          Field("Q", ftSmallint),
                      Field("Otvaranje", ftSmallint),
                  },
                  {
                      Primary("RN;RNS;WTip;Rbr"),
                  }),
            // 15
            Table("NWINP.DB", 10, 1, 1,
                  {
                      Field("RN", ftInteger),
                      Field("RNS", ftInteger),
                      Field("WTip", ftInteger),
                      Field("RedniBroj", ftSmallint),
                      Field("ArtiklPrecke", ftInteger),
                      Field("L", ftSmallint),
                      Field("T", ftSmallint),
                      Field("R", ftSmallint),
                      Field("B", ftSmallint),
                      Field("Tip", ftBoolean),
                  },
                  {
                      Primary("RN;RNS;WTip;RedniBroj"),
                  }),
            // 16
            Table("NWINPO.DB", 11, 1, 1,
                  {
                      Field("RN", ftInteger),
                      Field("RNS", ftInteger),
                      Field("WTip", ftInteger),
                      Field("RedniBrojOkvira", ftSmallint),
                      Field("RedniBroj", ftSmallint),
                      Field("ArtiklPreckeOkvira", ftInteger),
                      Field("L", ftSmallint),
                      Field("T", ftSmallint),
                      Field("R", ftSmallint),
                      Field("B", ftSmallint),
                      Field("Tip", ftBoolean),
                  },
                  {
                      Primary("RN;RNS;WTip;RedniBrojOkvira;RedniBroj"),
                  }),
            // 17
            Table("RNOPTST.DB", 7, 2, 3,
                  {
                      Field("RadniNalog", ftInteger),
                      Field("Rbr", ftSmallint),
                      Field("Artikl", ftInteger),
                      Field("Kolicina", ftSmallint),
                      Field("Prozor", ftSmallint),
                      Field("Duzina", ftSmallint),
                      Field("Sirina", ftSmallint),
                  },
                  {
                      Primary("RadniNalog;Rbr"),
                      Index("_RadniNalog;Artikl", "RadniNalog;Artikl", CaseInsensitive),
                  }),
        };
        for (int level = 1; level <= 4; ++level)
            list.push_back(AccountBalanceTable(level));
        return list;
    }();
    return tables;
}

} // namespace app
