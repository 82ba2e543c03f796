#include "gui/view/TCurvePrinting.h"

#include "gui/view/TCurveDisplay.h"

#include "core/view/TCurvePage.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSvgRenderer>

TCurvePrinting::Outcome TCurvePrinting::Print(QPagedPaintDevice& device, TCurveDisplay& curves, const Texts& texts,
                                              const QString& logoPath) {
    device.setPageOrientation(QPageLayout::Landscape);
    const QSizeF pageMm = device.pageLayout().fullRectPoints().size() * (25.4 / 72.0);
    const double width = std::round(pageMm.width()) * 10;
    const double height = std::round(pageMm.height()) * 10;
    const TCurvePage page = TCurvePage::For(width, height, curves.IsLogicVisible(), curves.LogicHeightShare());

    QPainter painter(&device);
    if (!painter.isActive()) {
        return {};
    }
    // 0.1 mm with y downwards, from the paper's corner (the device draws from its printable area).
    const QRect paper = device.pageLayout().fullRectPixels(device.logicalDpiX());
    const QRect printable = device.pageLayout().paintRectPixels(device.logicalDpiX());
    painter.translate(paper.left() - printable.left(), paper.top() - printable.top());
    painter.scale(paper.width() / width, paper.height() / height);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(int(TCurvePage::FontHeight));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double descent = QFontMetricsF(font, &device).descent();
    const auto text = [&](const QPointF& bottomLeft, const QString& line) {
        painter.drawText(QPointF(bottomLeft.x(), bottomLeft.y() - descent), line);
    };
    text(page.Header, texts.Header);
    text(page.Contact, texts.Contact);
    text(page.Footer, texts.Footer);

    Outcome outcome;
    QSvgRenderer logo(logoPath);
    if (logo.isValid()) {
        logo.render(&painter, page.Logo);
    } else {
        outcome.LogoError = QFileInfo::exists(logoPath) ? QStringLiteral("%1 cannot be read").arg(logoPath)
                                                        : QStringLiteral("%1 not found").arg(logoPath);
    }

    // The logic chart carries its "K1" ... "K8" beside its levels, so they are printed where the levels are.
    curves.Render(painter, page.LogicArea, page.AnalogArea);
    outcome.Printed = painter.end();
    return outcome;
}
