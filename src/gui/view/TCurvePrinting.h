#pragma once

#include <QString>

class QPagedPaintDevice;
class TCurveDisplay;

// The curve page: both charts of the data view on one landscape page, with the maker's lines
// and the picture's footer. The charts are drawn as vectors at the device's resolution.
namespace TCurvePrinting {

struct Texts {
    QString Header;  // maker, town, phone, fax
    QString Contact; // e-mail and web
    QString Footer;  // picture, start of recording, printed at
};

// Prints one page (without the logo when it cannot be drawn).
// What became of a curve page: whether it was printed (a printer that cannot start or finish
// the page, a PDF that cannot be written, is not), and what is missing from it (the logo).
struct Outcome {
    bool Printed = false;
    QString LogoError;
};
Outcome Print(QPagedPaintDevice& device, TCurveDisplay& curves, const Texts& texts, const QString& logoPath);

} // namespace TCurvePrinting
