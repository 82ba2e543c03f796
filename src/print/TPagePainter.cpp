#include "print/TPagePainter.h"

#include "core/base/SaveFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>

#include <algorithm>
#include <memory>

namespace TPagePainter {

Outcome Paint(QPagedPaintDevice& device, const TPageDocument& document, const QString& logoPath) {
    Outcome outcome;
    std::unique_ptr<QSvgRenderer> logo;
    const bool needsLogo = std::any_of(document.Pages.begin(), document.Pages.end(),
                                       [](const TPageSheet& page) { return !page.Logo.isEmpty(); });
    if (needsLogo) {
        logo = std::make_unique<QSvgRenderer>(logoPath);
        if (!logo->isValid()) {
            outcome.LogoError = QFileInfo::exists(logoPath)
                                    ? logoPath + QStringLiteral(": not a picture that can be drawn")
                                    : logoPath + QStringLiteral(": file not found");
            logo.reset();
        }
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        outcome.Error = QStringLiteral("The printer could not be started.");
        return outcome;
    }
    QFont font(document.FontFamily);
    font.setPointSize(document.FontPointSize);
    // No ligatures: "ff" in a label must stay two letters for anyone copying or searching the PDF.
    font.setStyleStrategy(QFont::PreferNoShaping);
    painter.setFont(font);
    // Texts are placed by the top of their line.
    const int ascent = QFontMetrics(font, &device).ascent();
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, document.Height / 4000));
    painter.setPen(pen);
    bool firstPage = true;
    for (const TPageSheet& page : document.Pages) {
        if (!firstPage && !device.newPage()) {
            painter.end();
            outcome.Error = QStringLiteral("The printer refused a new page.");
            return outcome;
        }
        firstPage = false;
        if (logo && !page.Logo.isEmpty()) {
            logo->render(&painter, QRectF(page.Logo));
        }
        for (const TPageLine& line : page.Lines) {
            painter.drawLine(line.X1, line.Y1, line.X2, line.Y2);
        }
        for (const TPageText& text : page.Texts) {
            painter.drawText(text.X, text.Y + ascent, text.Text);
        }
    }
    outcome.Written = painter.end();
    if (!outcome.Written) {
        outcome.Error = QStringLiteral("The pages could not be finished.");
    }
    return outcome;
}

bool SavePdf(const QString& fileName, const QPageLayout& pageLayout, int resolution,
             const std::function<bool(QPagedPaintDevice&)>& paint, QString& reason) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("WinTorvex32"));
        writer.setResolution(resolution);
        writer.setPageLayout(pageLayout);
        if (!paint(writer)) {
            return false;
        }
    }
    return SaveWholeFile(fileName, bytes, reason);
}

Outcome WritePdf(const QString& fileName, const QPageLayout& pageLayout, int resolution, const Layout& layout,
                 const QString& logoPath) {
    Outcome outcome;
    QString reason;
    const bool saved = SavePdf(
        fileName, pageLayout, resolution,
        [&](QPagedPaintDevice& device) {
            outcome = Paint(device, layout(device.width(), device.height()), logoPath);
            return outcome.Written;
        },
        reason);
    if (outcome.Written && !saved) {
        outcome.Written = false;
        outcome.Error = fileName + QStringLiteral(": ") + reason;
    }
    return outcome;
}

Outcome WritePdf(const QString& fileName, const Layout& layout, const QString& logoPath) {
    return WritePdf(fileName, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)), 600,
                    layout, logoPath);
}

} // namespace TPagePainter
