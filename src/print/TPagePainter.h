#pragma once

#include "core/params/TPrintPage.h"

#include <functional>

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

// An A4 portrait PDF, written to a temporary file and put in place only when complete.
Outcome WritePdf(const QString& fileName, const Layout& layout, const QString& logoPath);

} // namespace TPagePainter
