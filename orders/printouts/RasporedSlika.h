#pragma once
// Where the items' pictures of a work order or an offer go: side by side in rows at a scale of 1:50, a new
// row below the tallest picture of a row when a picture does not fit beside the last one, a new page when
// a row does not fit the page. Millimetres of paper from the sheet's corner; no Qt here.

namespace orders {

class RasporedSlika {
public:
    // The pictures' area on every page: from (lijevo, vrh) to the right and bottom edges.
    RasporedSlika(double lijevo, double vrh, double desno, double dno);

    struct Mjesto {
        bool NovaStrana = false; // the picture starts the next page
        double X = 0;            // the top-left corner of the item's place; its caption lines come first
        double Y = 0;
    };
    // The place of the next item of the given size (mm of the window); at least `sirinaNatpisa` mm wide,
    // so that a small window's caption stays in its own place.
    Mjesto Sljedece(int sirina, int visina, double sirinaNatpisa = 0);
    // Below the last row so far, on the last page.
    double Kraj() const { return y_ + visinaReda_; }

    static constexpr int Omjer = 50;
    static constexpr double MjestoTeksta = 15; // caption lines above the picture
    static constexpr double MjestoKota = 25;   // beside the picture: its dimension figures and a gap
    static constexpr double MjestoIspod = 17;  // below it, the same
    static constexpr double RazmakNatpisa = 3; // between a caption and the next place

private:
    double lijevo_, vrh_, desno_, dno_;
    double x_, y_;
    double visinaReda_ = 0;
};

} // namespace orders
