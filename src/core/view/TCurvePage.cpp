#include "core/view/TCurvePage.h"

#include <algorithm>
#include <cmath>

TCurvePage TCurvePage::For(double width, double height, bool logicVisible, double logicShare) {
    TCurvePage page;
    page.Header = QPointF(100, 150);
    page.Logo = QRectF(QPointF(width - 437, 100), QPointF(width - 200, 200));
    page.Contact = QPointF(100, height - 120);
    page.Footer = QPointF(100, height - 90);
    const QRectF area(QPointF(100, 250), QPointF(width - 100, height - 150));
    if (!logicVisible) {
        page.AnalogArea = area;
        return page;
    }
    const double share = std::clamp(logicShare, 0.0, 1.0);
    const double split = area.top() + std::round(area.height() * share);
    page.LogicArea = QRectF(QPointF(area.left(), area.top()), QPointF(area.right(), split));
    page.AnalogArea = QRectF(QPointF(area.left(), split), area.bottomRight());
    return page;
}
