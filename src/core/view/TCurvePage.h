#pragma once

#include <QPointF>
#include <QRectF>

// Where the curve page puts things, in 0.1 mm with y growing downwards. Texts are placed by
// the bottom of their line.
struct TCurvePage {
    static constexpr double FontHeight = 27; // 2.7 mm

    QPointF Header; // maker, town, phone and fax
    QRectF Logo;
    QPointF Contact;  // e-mail and web
    QPointF Footer;   // picture, start of recording, printed at
    QRectF LogicArea; // empty when the logic chart is hidden
    QRectF AnalogArea;

    // A landscape page of `width` x `height` (0.1 mm). The logic chart, when shown, takes the top of
    // the chart area in the share of the height it has on the screen.
    static TCurvePage For(double width, double height, bool logicVisible, double logicShare);
};
