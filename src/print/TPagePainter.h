#pragma once

#include "core/params/TPrintPage.h"

#include <functional>

class QPageLayout;
class QPagedPaintDevice;

// Paints laid-out pages. The layout needs the page's size in device pixels, so it is
// asked for once the device knows it.
namespace TPagePainter {

using Layout = std::function<TPageDocument(int width, int height)>;

struct Outcome {
    bool Written = false;
    QString Error;     // why nothing (or no file) was written
    QString LogoError; // the logo could not be drawn; the pages were written without it
};

// Every page of the document on the device, new pages between them.
Outcome Paint(QPagedPaintDevice& device, const TPageDocument& document, const QString& logoPath);

// An A4 portrait PDF at 600 dpi, put in place only when complete (see SavePdf).
Outcome WritePdf(const QString& fileName, const Layout& layout, const QString& logoPath);
// The same on the page layout and resolution of a printer set to print to a file.
Outcome WritePdf(const QString& fileName, const QPageLayout& pageLayout, int resolution, const Layout& layout,
                 const QString& logoPath);

// A PDF of the page layout and resolution, painted in memory by `paint` (false: it could not paint,
// and says why itself) and then saved all or nothing: a disk that fills up or a folder that cannot
// be written keeps the old file, and `reason` gets the system's words. A printer's "print to file"
// writes its PDF straight into the target without checking a single write, so the windows print
// their PDFs through this too.
bool SavePdf(const QString& fileName, const QPageLayout& pageLayout, int resolution,
             const std::function<bool(QPagedPaintDevice&)>& paint, QString& reason);

} // namespace TPagePainter
