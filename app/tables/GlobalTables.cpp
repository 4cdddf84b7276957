// The tables of the "Global" database, in table-number order.

#include "app/tables/TableBuilders.h"

namespace app {

using namespace tables;

const std::vector<TableDefinition>& GlobalTables() {
    static const std::vector<TableDefinition> tables = {
        // 1
        OpenRegisterTable(),
        // 2
        Table("GRUPE.DB", 5, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Partner", ftInteger),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
                  Field("Deklaracija", ftMemo, 1),
              },
              {
                  Primary("Code"),
                  Index("PartnerNaziv", "Partner;Naziv", CaseInsensitive),
                  Index("PartnerSifra", "Partner;Sifra"),
                  Index("PartnerCode", "Partner;Code"),
              }),
        // 3
        Table("WROBA.DB", 3, 1, 1,
              {
                  Field("Code", ftInteger),
                  Field("DebljinaProfila", ftSmallint),
                  Field("DuzinaProfila", ftSmallint),
              },
              {
                  Primary("Code"),
              }),
        // 4
        Table("SIF_ROBE.DB", 13, 7, 13,
              {
                  Field("Partner", ftInteger),
                  Field("Sifra", ftString, 40),
                  Field("Code", ftInteger),
                  Field("Otkup", ftString, 1, "N"),
                  Field("Proizvodi", ftInteger),
                  Field("Grupa", ftInteger),
                  Field("PodGrupa", ftInteger),
                  Field("Amortizacija", ftInteger),
                  Field("Revalorizacija", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("Distributer", ftBoolean),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Partner;Sifra"),
                  Index("PartnerProizvodGrupaSifra", "Partner;Proizvodi;Grupa;Sifra"),
                  Index("PartnerProizvodiGrupaCode", "Partner;Proizvodi;Grupa;Code"),
                  Index("PartnerCode", "Partner;Code"),
                  Index("PartnerOtkupSifra", "Partner;Otkup;Sifra"),
                  Index("PartnerOtkupCode", "Partner;Otkup;Code"),
                  Index("PartnerNaziv", "Partner;Naziv", CaseInsensitive),
              }),
        // 5
        Table("WROBA_D.DB", 3, 1, 1,
              {
                  Field("Code", ftInteger),
                  Field("Artikl", ftInteger),
                  Field("Kolicina", ftFloat),
              },
              {
                  Primary("Code;Artikl"),
              }),
        // 6
        Table("SIF_BOJA.DB", 7, 4, 7,
              {
                  Field("Partner", ftInteger),
                  Field("Proizvodi", ftInteger),
                  Field("Sifra", ftString, 40),
                  Field("Code", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Partner;Proizvodi;Sifra"),
                  Index("PartnerProizvodiNaziv", "Partner;Proizvodi;Naziv"),
                  Index("PartnerCode", "Partner;Code"),
                  Index("PartnerProizvodiCode", "Partner;Proizvodi;Code"),
              }),
        // 7
        Table("PARTNER.DB", 26, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 80),
                  Field("Mjesto", ftString, 40),
                  Field("UlicaBroj", ftString, 60),
                  Field("Posta", ftInteger),
                  Field("Zemlja", ftInteger, 0, "1"),
                  Field("Jezik", ftInteger, 0, "1"),
                  Field("Telefon", ftString, 20),
                  Field("Telefax", ftString, 20),
                  Field("Mobitel", ftString, 20),
                  Field("Modem", ftString, 20),
                  Field("KontaktOsoba", ftString, 40),
                  Field("Maticni", ftString, 30),
                  Field("Djelatnost", ftInteger),
                  Field("Banka", ftInteger),
                  Field("InoBanka", ftInteger),
                  Field("Valuta", ftInteger, 0, "1"),
                  Field("ZiroRN", ftInteger),
                  Field("Poziv", ftSmallint),
                  Field("Model", ftString, 30),
                  Field("OstaliTelefoni", ftMemo, 30),
                  Field("Rabat2", ftBoolean, 0, "False"),
                  Field("Rabat2Kolicina", ftBoolean, 0, "True"),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Code"),
                  Index("_Sifra", "Sifra", CaseInsensitive),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 8
        Table("POSTA.DB", 4, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Broj", ftInteger),
                  Field("Zemlja", ftInteger, 0, "1"),
              },
              {
                  Primary("Code"),
                  Index("_Sifra", "Sifra", CaseInsensitive),
                  Index("ZemljaSifra", "Zemlja;Sifra", CaseInsensitive),
                  Index("ZemljaCode", "Zemlja;Code", CaseInsensitive),
              }),
        // 9
        Table("BOJE.DB", 6, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Proizvodi", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Code"),
                  Index("ProizvodiNaziv", "Proizvodi;Naziv"),
                  Index("ProizvodiCode", "Proizvodi;Code"),
              }),
        // 10
        Table("FIRME.DB", 4, 2, 3,
              {
                  Field("Sifra", ftString, 40),
                  Field("Partner", ftInteger),
                  Field("BarKodOsnova", ftString, 10),
                  Field("BarKodVelicina", ftSmallint, 0, "13"),
              },
              {
                  Primary("Sifra"),
                  Index("Partner", "Partner"),
              }),
        // 11
        Table("ROBA.DB", 16, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Proizvodi", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("TarifaPoreza", ftInteger),
                  Field("TarifaCarine", ftInteger),
                  Field("Vrsta", ftInteger),
                  Field("JedMj", ftInteger),
                  Field("Pakiranje", ftInteger),
                  Field("BarKod", ftString, 13),
                  Field("Tezina", ftFloat),
                  Field("Bezbojno", ftBoolean, 0, "False"),
                  Field("Opis", ftMemo, 1),
                  Field("Deklaracija", ftMemo, 1),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Code"),
                  Index("ProizvodiNaziv", "Proizvodi;Naziv", CaseInsensitive),
                  Index("ProizvodiCode", "Proizvodi;Code"),
                  Index("BarKod", "BarKod"),
              }),
        // 12
        Table("T_POREZA.DB", 17, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Tarifa", ftString, 40),
                  Field("Naziv", ftString, 60),
                  Field("KontoRoba", ftInteger),
                  Field("ZiroRnRoba", ftInteger),
                  Field("KontoRUC", ftInteger),
                  Field("ZiroRnRUC", ftInteger),
                  Field("KontoUsluga", ftInteger),
                  Field("ZiroRnUsluga", ftInteger),
                  Field("KontoOtpis", ftInteger),
                  Field("ZiroRnOtpis", ftInteger),
                  Field("KontoPotrosnja", ftInteger),
                  Field("ZiroRnPotrosnja", ftInteger),
                  Field("KontoDodVrijednost", ftInteger),
                  Field("ZiroRnDodVrijednost", ftInteger),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Tarifa", "Tarifa", CaseInsensitive),
              }),
        // 13
        Table("T_CARINE.DB", 15, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Tarifa", ftString, 40),
                  Field("Naziv", ftString, 60),
                  Field("KontoCarine", ftInteger),
                  Field("ZiroRnCarine", ftInteger),
                  Field("KontoEvid", ftInteger),
                  Field("ZiroRnEvid", ftInteger),
                  Field("KontoPoreza", ftInteger),
                  Field("ZiroRnPoreza", ftInteger),
                  Field("KontoPrireza", ftInteger),
                  Field("ZiroRnPrireza", ftInteger),
                  Field("KontoTrosarine", ftInteger),
                  Field("ZiroRnTrosarine", ftInteger),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Tarifa", "Tarifa", CaseInsensitive),
              }),
        // 14
        Table("KONTA.DB", 5, 3, 5,
              {
                  Field("Konto", ftString, 10),
                  Field("Code", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("Items", ftInteger),
                  Field("Temp", ftBoolean),
              },
              {
                  Primary("Konto"),
                  Index("_Code", "Code", CaseInsensitive),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 15
        Table("KNJIZI.DB", 1, 0, 0,
              {
                  Field("Code", ftInteger),
              },
              {}),
        // 16
        Table("USLUGE.DB", 8, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Vrsta", ftSmallint),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
                  Field("KontoT", ftInteger),
                  Field("KontoP", ftInteger),
                  Field("JedMj", ftInteger),
                  Field("TarifaPoreza", ftInteger),
              },
              {
                  Primary("Code"),
                  Index("VrstaSifra", "Vrsta;Sifra", CaseInsensitive),
                  Index("VrstaCode", "Vrsta;Code", CaseInsensitive),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 17
        Table("USLUGA.DB", 7, 4, 7,
              {
                  Field("Partner", ftInteger),
                  Field("Vrsta", ftSmallint),
                  Field("Sifra", ftString, 40),
                  Field("Code", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("Opis", ftString, 80),
                  Field("Cijena", ftFloat),
              },
              {
                  Primary("Partner;Vrsta;Sifra"),
                  Index("PartnerVrstaNaziv", "Partner;Vrsta;Naziv", CaseInsensitive),
                  Index("PartnerVrstaCode", "Partner;Vrsta;Code", CaseInsensitive),
                  Index("_Code", "Code", CaseInsensitive),
              }),
        // 18
        Table("ZIRO_RN.DB", 14, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 80),
                  Field("Svrha1", ftString, 50),
                  Field("Svrha2", ftString, 50),
                  Field("Svrha3", ftString, 50),
                  Field("Svrha4", ftString, 50),
                  Field("Poziv", ftSmallint),
                  Field("Model", ftString, 40),
                  Field("Korist1", ftString, 50),
                  Field("Korist2", ftString, 50),
                  Field("Korist3", ftString, 50),
                  Field("BrojInv", ftSmallint),
                  Field("SifraInv", ftSmallint),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 19
        Table("ZIREKI.DB", 3, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Partner", ftInteger),
                  Field("Sifra", ftString, 50),
              },
              {
                  Primary("Code"),
                  Index("PartnerCode", "Partner;Code", CaseInsensitive),
                  Index("PartnerSifra", "Partner;Sifra", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 20
        Table("VALUTA.DB", 17, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Oznaka", ftString, 10),
                  Field("Govor", ftInteger),
                  Field("Naziv", ftString, 60),
                  Field("Decimale", ftSmallint, 0, "2"),
                  Field("Prikaz", ftSmallint, 0, "2"),
                  Field("Cij", ftString, 20),
                  Field("Cij1", ftString, 20),
                  Field("Cij2", ftString, 20),
                  Field("Cij5", ftString, 20),
                  Field("ZCij", ftBoolean),
                  Field("Dec", ftString, 20),
                  Field("Dec1", ftString, 20),
                  Field("Dec2", ftString, 20),
                  Field("Dec5", ftString, 20),
                  Field("ZDec", ftBoolean),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 21
        Table("PODGRUPE.DB", 5, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Partner", ftInteger),
                  Field("Grupa", ftInteger),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Code"),
                  Index("PartnerGrupaCode", "Partner;Grupa;Code"),
                  Index("PartnerGrupaSifra", "Partner;Grupa;Sifra"),
                  Index("PartnerGrupaNaziv", "Partner;Grupa;Naziv", CaseInsensitive),
              }),
        // 22
        Table("ORG_JED.DB", 4, 4, 7,
              {
                  Field("Code", ftAutoInc),
                  Field("Partner", ftInteger),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Code"),
                  Index("PartnerNaziv", "Partner;Naziv", CaseInsensitive),
                  Index("PartnerSifra", "Partner;Sifra", CaseInsensitive),
                  Index("PartnerCode", "Partner;Code", CaseInsensitive),
              }),
        // 23
        Table("KONTA4.DB", 2, 2, 3,
              {
                  Field("Podgrupa", ftString, 4),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Podgrupa"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 24
        Table("KONTA3.DB", 3, 2, 3,
              {
                  Field("Sintetika", ftString, 3),
                  Field("Naziv", ftString, 60),
                  Field("AOP", ftSmallint),
              },
              {
                  Primary("Sintetika"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 25
        Table("KONTA2.DB", 3, 2, 3,
              {
                  Field("Grupa", ftString, 2),
                  Field("Naziv", ftString, 60),
                  Field("AOP", ftSmallint),
              },
              {
                  Primary("Grupa"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 26
        Table("KONTA1.DB", 3, 2, 3,
              {
                  Field("Klasa", ftString, 1),
                  Field("Naziv", ftString, 60),
                  Field("AOP", ftSmallint),
              },
              {
                  Primary("Klasa"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
        // 27
        Table("GR_REVAL.DB", 3, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 28
        Table("GR_AMORT.DB", 3, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 29
        Table("GOVOR.DB", 3, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 30
        Table("DJELATNO.DB", 3, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Code"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 31
        Table("KONTI.DB", 4, 2, 3,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Konto", ftInteger),
                  Field("Strana", ftString, 1),
              },
              {
                  Primary("Code"),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 32
        Table("BANKE.DB", 11, 2, 3,
              {
                  Field("Sifra", ftString, 40),
                  Field("Partner", ftInteger),
                  Field("ZiroRnProvizija", ftInteger),
                  Field("PozivP", ftSmallint, 0, "5"),
                  Field("ModelP", ftString, 30, "M-I-V"),
                  Field("ZiroRnDeviznaDoznaka", ftInteger),
                  Field("PozivD", ftSmallint, 0, "5"),
                  Field("ModelD", ftString, 30, "M-I-V"),
                  Field("ZiroRnKrediti", ftInteger),
                  Field("PozivK", ftSmallint),
                  Field("ModelK", ftString, 30),
              },
              {
                  Primary("Sifra"),
                  Index("_Partner", "Partner", CaseInsensitive),
              }),
        // 33
        Table("ZEMLJA.DB", 3, 2, 3,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 50),
                  Field("Govor", ftInteger, 0, "1"),
              },
              {
                  Primary("Code"),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 34
        Table("TECAJ.DB", 5, 1, 1,
              {
                  Field("U_Valutu", ftInteger),
                  Field("Iz_Valute", ftInteger),
                  Field("NaDan", ftDate),
                  Field("ZaStotinu", ftBoolean, 0, "False"),
                  Field("Dobijamo", ftFloat),
              },
              {
                  Primary("U_Valutu;Iz_Valute;NaDan"),
              }),
        // 35
        Table("PAKUNG.DB", 6, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Jedinica", ftInteger),
                  Field("Sifra", ftString, 40),
                  Field("MinKolicina", ftFloat, 0, "1"),
                  Field("ImaAtoma", ftBoolean, 0, "False"),
                  Field("Cijene", ftFloat, 0, "1"),
              },
              {
                  Primary("Code"),
                  Index("JedinicaCode", "Jedinica;Code", CaseInsensitive),
                  Index("JedinicaSifra", "Jedinica;Sifra", CaseInsensitive),
              }),
        // 36
        Table("JEDINICE.DB", 2, 2, 3,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
              },
              {
                  Primary("Code"),
                  Index("_Sifra", "Sifra", CaseInsensitive),
              }),
        // 37
        Table("S_REVAL.DB", 3, 1, 1,
              {
                  Field("Grupa", ftInteger),
                  Field("Datum", ftDate),
                  Field("Stopa", ftFloat),
              },
              {
                  Primary("Grupa;Datum"),
              }),
        // 38
        Table("S_AMORT.DB", 4, 1, 1,
              {
                  Field("Grupa", ftInteger),
                  Field("Datum", ftDate),
                  Field("Vijek", ftFloat),
                  Field("Stopa", ftFloat),
              },
              {
                  Primary("Grupa;Datum"),
              }),
        // 39
        Table("MJERE.DB", 3, 1, 1,
              {
                  Field("Jedinica", ftInteger),
                  Field("Govor", ftInteger),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Jedinica;Govor"),
              }),
        // 40
        Table("IME_ROBE.DB", 3, 1, 1,
              {
                  Field("Roba", ftInteger),
                  Field("Govor", ftInteger),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Roba;Govor"),
              }),
        // 41
        Table("IME_PAK.DB", 3, 1, 1,
              {
                  Field("Pakung", ftInteger),
                  Field("Govor", ftInteger),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Pakung;Govor"),
              }),
        // 42
        Table("IME_BOJA.DB", 3, 1, 1,
              {
                  Field("Boja", ftInteger),
                  Field("Govor", ftInteger),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Boja;Govor"),
              }),
        // 43
        Table("IME_ATOM.DB", 4, 1, 1,
              {
                  Field("Pakung", ftInteger),
                  Field("Kolicina", ftFloat),
                  Field("Govor", ftInteger),
                  Field("Naziv", ftString, 60),
              },
              {
                  Primary("Pakung;Kolicina;Govor"),
              }),
        // 44
        Table("BROJKE.DB", 65, 1, 1,
              {
                  Field("Govor", ftInteger),
                  Field("Obratno", ftBoolean, 0, "False"),
                  Field("ObratnoZ", ftBoolean, 0, "False"),
                  Field("Veznik", ftString, 10),
                  Field("M0", ftString, 20),
                  Field("M1", ftString, 20),
                  Field("M2", ftString, 20),
                  Field("M3", ftString, 20),
                  Field("Z0", ftString, 20),
                  Field("Z1", ftString, 20),
                  Field("Z2", ftString, 20),
                  Field("Z3", ftString, 20),
                  Field("N4", ftString, 20),
                  Field("N5", ftString, 20),
                  Field("N6", ftString, 20),
                  Field("N7", ftString, 20),
                  Field("N8", ftString, 20),
                  Field("N9", ftString, 20),
                  Field("N10", ftString, 20),
                  Field("N11", ftString, 20),
                  Field("N12", ftString, 20),
                  Field("N13", ftString, 20),
                  Field("N14", ftString, 20),
                  Field("N15", ftString, 20),
                  Field("N16", ftString, 20),
                  Field("N17", ftString, 20),
                  Field("N18", ftString, 20),
                  Field("N19", ftString, 20),
                  Field("N20", ftString, 20),
                  Field("N30", ftString, 20),
                  Field("N40", ftString, 20),
                  Field("N50", ftString, 20),
                  Field("N60", ftString, 20),
                  Field("N70", ftString, 20),
                  Field("N80", ftString, 20),
                  Field("N90", ftString, 20),
                  Field("N100", ftString, 20),
                  Field("N200", ftString, 20),
                  Field("N300", ftString, 20),
                  Field("N400", ftString, 20),
                  Field("N500", ftString, 20),
                  Field("N600", ftString, 20),
                  Field("N700", ftString, 20),
                  Field("N800", ftString, 20),
                  Field("N900", ftString, 20),
                  Field("Z1000", ftBoolean, 0, "True"),
                  Field("N1000", ftString, 20),
                  Field("N1001", ftString, 20),
                  Field("N1002", ftString, 20),
                  Field("N1005", ftString, 20),
                  Field("Z1000000", ftBoolean, 0, "False"),
                  Field("N1000000", ftString, 20),
                  Field("N1000001", ftString, 20),
                  Field("N1000002", ftString, 20),
                  Field("N1000005", ftString, 20),
                  Field("Z1000000000", ftBoolean, 0, "True"),
                  Field("N1000000000", ftString, 20),
                  Field("N1000000001", ftString, 20),
                  Field("N1000000002", ftString, 20),
                  Field("N1000000005", ftString, 20),
                  Field("Z1000000000000", ftBoolean, 0, "False"),
                  Field("N1000000000000", ftString, 20),
                  Field("N1000000000001", ftString, 20),
                  Field("N1000000000002", ftString, 20),
                  Field("N1000000000005", ftString, 20),
              },
              {
                  Primary("Govor"),
              }),
        // 45
        Table("BOJEROBE.DB", 3, 2, 3,
              {
                  Field("Roba", ftInteger),
                  Field("Boja", ftInteger),
                  Field("BarKod", ftString, 13),
              },
              {
                  Primary("Roba;Boja"),
                  Index("BarKod", "BarKod"),
              }),
        // 46
        Table("S_CARINE.DB", 7, 1, 1,
              {
                  Field("Tarifa", ftInteger),
                  Field("Datum", ftDate),
                  Field("StopaCarine", ftFloat),
                  Field("StopaEvid", ftFloat),
                  Field("StopaPoreza", ftFloat),
                  Field("StopaPrireza", ftFloat),
                  Field("StopaTrosarine", ftFloat),
              },
              {
                  Primary("Tarifa;Datum"),
              }),
        // 47
        Table("S_POREZA.DB", 8, 1, 1,
              {
                  Field("Tarifa", ftInteger),
                  Field("Datum", ftDate),
                  Field("StopaRoba", ftFloat),
                  Field("StopaRUC", ftFloat),
                  Field("StopaUsluga", ftFloat),
                  Field("StopaOtpis", ftFloat),
                  Field("StopaPotrosnja", ftFloat),
                  Field("StopaDodVrijednost", ftFloat),
              },
              {
                  Primary("Tarifa;Datum"),
              }),
        // 48
        Table("ATOMI.DB", 2, 1, 1,
              {
                  Field("Pakung", ftInteger),
                  Field("Kolicina", ftFloat),
              },
              {
                  Primary("Pakung;Kolicina"),
              }),
        // 49
        Table("VRSTE.DB", 4, 3, 5,
              {
                  Field("Code", ftAutoInc),
                  Field("Sifra", ftString, 40),
                  Field("Naziv", ftString, 60),
                  Field("Deklaracija", ftMemo, 1),
              },
              {
                  Primary("Code"),
                  Index("Sifra", "Sifra"),
                  Index("_Naziv", "Naziv", CaseInsensitive),
              }),
    };
    return tables;
}

} // namespace app
