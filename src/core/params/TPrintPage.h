#pragma once

#include <QRect>
#include <QString>

#include <vector>

// A printed page as plain data: texts placed by the top-left corner of their line,
// straight lines and the logo's rectangle, all in the device's pixels. The core lays
// pages out; the drawing layer only paints what is here.
struct TPageText {
    int X = 0;
    int Y = 0;
    QString Text;
    bool operator==(const TPageText&) const = default;
};

struct TPageLine {
    int X1 = 0;
    int Y1 = 0;
    int X2 = 0;
    int Y2 = 0;
};

struct TPageSheet {
    std::vector<TPageText> Texts;
    std::vector<TPageLine> Lines;
    QRect Logo; // empty: no logo on this page
};

struct TPageDocument {
    int Width = 0;
    int Height = 0;
    QString FontFamily = QStringLiteral("Arial");
    int FontPointSize = 8;
    std::vector<TPageSheet> Pages;
};

// The page quantities, derived as if the page were A4 whatever its size in pixels.
struct TPageGeometry {
    int W = 0;
    int H = 0;
    int Mx = 40;         // micrometres per pixel across
    int My = 45;         // micrometres per pixel down
    int R = 0;           // line height, 4 mm
    int X0 = 0;          // left margin, 20 mm
    int RightMargin = 0; // 10 mm
    int Y0 = 0;          // top margin, 15 mm
    int C = 0;           // column width, a fifteenth of the page

    static TPageGeometry ForPage(int width, int height) {
        TPageGeometry g;
        g.W = width;
        g.H = height;
        g.Mx = width != 0 ? 210000 / width : 40;
        g.My = height != 0 ? 297000 / height : 45;
        // A page wider than 210 mm in micrometres would give a scale of 0.
        g.Mx = g.Mx > 0 ? g.Mx : 1;
        g.My = g.My > 0 ? g.My : 1;
        g.R = 4000 / g.My;
        g.X0 = 20000 / g.Mx;
        g.RightMargin = 10000 / g.Mx;
        g.Y0 = 15000 / g.My;
        g.C = width / 15;
        return g;
    }
    int LineY(int line) const { return Y0 + line * R; }
    int Right() const { return W - RightMargin; }
};
