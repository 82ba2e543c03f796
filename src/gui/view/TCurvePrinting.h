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

// Prints one page; returns why the logo could not be drawn (the page is printed without it), or nothing.
QString Print(QPagedPaintDevice& device, TCurveDisplay& curves, const Texts& texts, const QString& logoPath);

} // namespace TCurvePrinting
