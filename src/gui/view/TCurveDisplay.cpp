#include "gui/view/TCurveDisplay.h"
#include "gui/app/SlotGuard.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

// A chart view that tells where the mouse is, also while no button is pressed.
class TChartView : public QChartView {
    Q_OBJECT
public:
    TChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
    }

Q_SIGNALS:
    void MouseMoved(const QPointF& position);

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        QChartView::mouseMoveEvent(event);
        Q_EMIT MouseMoved(event->position());
    }
};

#include "TCurveDisplay.moc"

namespace {

const QColor kGrid(128, 128, 128);
const std::array<QColor, Curves::AnalogValues> kColours{QColor(Qt::blue), QColor(Qt::black), QColor(0, 255, 255),
                                                        QColor(0, 128, 0), QColor(Qt::red)};
const std::array<const char*, Curves::AnalogValues> kCursorFiles{"CRSETPOINT", "CRACTUALPOINT", "CRCONTROLLER",
                                                                 "CRMAGNET", "CRFREQ"};
const std::array<const char*, Curves::SeriesCount> kAnalogNames{
    "Series1", "Series2", "Series3",  "Series4",  "Series5",  "Series6", "Series7",
    "Series8", "Series9", "Series11", "Series15", "Series16", "Series17"};
const std::array<const char*, Curves::SeriesCount> kLogicNames{
    "LineSeries1", "LineSeries2", "LineSeries3", "LineSeries4", "LineSeries5", "LineSeries6", "LineSeries7",
    "LineSeries8", "LineSeries9", "Series10",    "Series12",    "Series13",    "Series14"};
const std::array<const char*, Curves::SignalCount> kSignalTitles{"Fast-Up",    "Slow-Up", "Fast-Down", "Slow-Down",
                                                                 "Inspection", "K6",      "K7",        "K8"};

// Grid lines at round steps (1, 2 or 5 times a power of ten), about eight across the range.
double NiceStep(double span) {
    const double raw = span / 8;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) {
            return factor * power;
        }
    }
    return 10 * power;
}

void PlaceTicks(QValueAxis* axis) {
    const double span = axis->max() - axis->min();
    if (span > 0) {
        axis->setTickAnchor(0);
        axis->setTickInterval(NiceStep(span));
    }
}

// The voltages as "#,##0.0##" writes them: one decimal at least, three at most, as many as the
// grid's step needs, so no two labels of a zoomed axis read the same.
void FormatVoltLabels(QValueAxis* axis) {
    const double step = axis->tickInterval();
    const int decimals = step > 0 ? std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 1, 3) : 1;
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

// A new range with its grid: the axis lays out its ticks at every change, so the step must never
// be the old range's when the range grows (a step of 0.1 ms over 30 s is 300,000 ticks).
void SetAxisRange(QValueAxis* axis, double min, double max) {
    const double span = max - min;
    const double step = span > 0 ? NiceStep(span) : axis->tickInterval();
    if (step >= axis->tickInterval()) {
        axis->setTickInterval(step);
        axis->setRange(min, max);
    } else {
        axis->setRange(min, max);
        axis->setTickInterval(step);
    }
    axis->setTickAnchor(0);
}

void StyleAxis(QValueAxis* axis, const char* format) {
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setLabelFormat(QString::fromLatin1(format));
    axis->setGridLineColor(kGrid);
    axis->setMinorGridLineVisible(false);
}

QChart* NewChart() {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    return chart;
}

// A stepped line: a level holds until the next point, where it jumps.
void AppendSteps(QList<QPointF>& out, const QList<QPointF>& levels) {
    for (qsizetype i = 0; i < levels.size(); ++i) {
        if (i > 0 && levels[i].y() != levels[i - 1].y()) {
            out.append(QPointF(levels[i].x(), levels[i - 1].y()));
            out.append(levels[i]);
        } else if (i == 0 || i == levels.size() - 1) {
            out.append(levels[i]);
        }
    }
}

} // namespace

TCurveDisplay::TCurveDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CurveDisplay"));

    m_analog = NewChart();
    m_analog->setObjectName(QStringLiteral("ChartAnalogValues"));
    m_analogX = new QValueAxis(m_analog);
    m_analogY = new QValueAxis(m_analog);
    StyleAxis(m_analogX, "%.0f");
    StyleAxis(m_analogY, "%.1f");
    m_analogX->setTickInterval(5000);
    m_analogY->setTickInterval(2);
    SetAxisRange(m_analogX, 0, 30000);
    SetAxisRange(m_analogY, -1, 12);
    m_analog->addAxis(m_analogX, Qt::AlignBottom);
    m_analog->addAxis(m_analogY, Qt::AlignLeft);
    for (int s = 0; s < Curves::SeriesCount; ++s) {
        auto* series = new QLineSeries(m_analog);
        series->setObjectName(QString::fromLatin1(kAnalogNames[std::size_t(s)]));
        series->setName(QStringLiteral("."));
        // Not cosmetic: a printed page draws the curves as thick as the screen shows them.
        QPen pen(s < Curves::AnalogValues ? kColours[std::size_t(s)] : QColor(Qt::black));
        pen.setWidthF(1.5);
        series->setPen(pen);
        m_analog->addSeries(series);
        series->attachAxis(m_analogX);
        series->attachAxis(m_analogY);
        // The time and the signal levels are held for the read-out, never drawn.
        const bool drawn = s < Curves::AnalogValues && s != 2;
        series->setVisible(drawn);
        m_analog->legend()->markers(series).first()->setVisible(drawn);
        m_analogSeries[std::size_t(s)] = series;
    }
    m_analog->legend()->setAlignment(Qt::AlignBottom);
    m_title = new QGraphicsTextItem(m_analog);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(10);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setDefaultTextColor(Qt::blue);
    m_analog->setMargins(QMargins(8, 44, 16, 4));

    m_logic = NewChart();
    m_logic->setObjectName(QStringLiteral("ChartLogic"));
    m_logic->legend()->hide();
    m_logicX = new QValueAxis(m_logic);
    m_logicY = new QValueAxis(m_logic);
    StyleAxis(m_logicX, "%.0f");
    StyleAxis(m_logicY, "%.1f");
    m_logicY->setRange(8.5, 13);
    m_logicY->setTickType(QValueAxis::TicksFixed);
    m_logicY->setTickCount(10);
    m_logicY->setLabelsVisible(false);
    m_logicX->setLabelsVisible(false);
    m_logicX->setTickInterval(5000);
    SetAxisRange(m_logicX, 0, 30000);
    m_logic->addAxis(m_logicX, Qt::AlignBottom);
    m_logic->addAxis(m_logicY, Qt::AlignLeft);
    for (int s = 0; s < Curves::SeriesCount; ++s) {
        auto* series = new QLineSeries(m_logic);
        series->setObjectName(QString::fromLatin1(kLogicNames[std::size_t(s)]));
        if (s >= Curves::FirstSignal) {
            series->setName(QString::fromLatin1(kSignalTitles[std::size_t(s - Curves::FirstSignal)]));
        }
        QPen pen(Qt::black);
        pen.setWidthF(1.2);
        series->setPen(pen);
        m_logic->addSeries(series);
        series->attachAxis(m_logicX);
        series->attachAxis(m_logicY);
        series->setVisible(s >= Curves::FirstSignal);
        m_logicSeries[std::size_t(s)] = series;
    }
    for (int k = 0; k < Curves::SignalCount; ++k) {
        auto* label = new QGraphicsSimpleTextItem(QStringLiteral("K%1").arg(k + 1), m_logic);
        m_signalLabels[std::size_t(k)] = label;
    }
    // The logic chart's plotting area lines up with the analog chart's.
    m_logic->setMargins(QMargins(8, 4, 16, 4));

    m_analogView = new TChartView(m_analog, this);
    m_analogView->setObjectName(QStringLiteral("ChartAnalogValuesView"));
    m_analogView->setRenderHint(QPainter::Antialiasing, false);
    m_analogView->setRubberBand(QChartView::RectangleRubberBand);
    m_logicView = new TChartView(m_logic, this);
    m_logicView->setObjectName(QStringLiteral("ChartLogicView"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_logicView, 1);
    layout->addWidget(m_analogView, 3);

    for (std::size_t s = 0; s < m_cursors.size(); ++s) {
        m_cursors[s] = QCursor(QPixmap(QStringLiteral(":/cursors/%1.xpm").arg(QLatin1String(kCursorFiles[s]))), 11, 11);
    }
    m_analogView->viewport()->setCursor(Qt::CrossCursor);

    QPen crossPen(Qt::darkGray);
    crossPen.setCosmetic(true);
    m_crossX = new QGraphicsLineItem(m_analog);
    m_crossY = new QGraphicsLineItem(m_analog);
    for (QGraphicsLineItem* line : {m_crossX, m_crossY}) {
        line->setPen(crossPen);
        line->setZValue(100);
        line->hide();
    }

    GuardedConnect(m_analogX, &QValueAxis::rangeChanged, this, &TCurveDisplay::BottomRangeChanged);
    GuardedConnect(m_analogY, &QValueAxis::rangeChanged, this, [this] {
        PlaceTicks(m_analogY);
        FormatVoltLabels(m_analogY);
        HideCrossHair();
        Q_EMIT RangeChanged();
    });
    GuardedConnect(m_analogView, &TChartView::MouseMoved, this, &TCurveDisplay::MouseMovedOnAnalog);
    GuardedConnect(m_analog, &QChart::plotAreaChanged, this, &TCurveDisplay::PlaceDecorations);
    GuardedConnect(m_logic, &QChart::plotAreaChanged, this, &TCurveDisplay::PlaceDecorations);
}

void TCurveDisplay::SetSeriesTitles(const std::array<QString, Curves::AnalogValues>& titles) {
    for (std::size_t s = 0; s < titles.size(); ++s) {
        m_analogSeries[s]->setName(titles[s]);
    }
}

void TCurveDisplay::SetTitleLines(const QString& first, const QString& second) {
    if (!first.isNull()) {
        m_titleFirst = first;
    }
    m_titleSecond = second;
    m_title->setPlainText(m_titleFirst + QLatin1Char('\n') + m_titleSecond);
}

QString TCurveDisplay::TitleText() const {
    return m_title->toPlainText();
}

void TCurveDisplay::Clear() {
    for (QLineSeries* series : m_analogSeries) {
        series->clear();
    }
    for (QLineSeries* series : m_logicSeries) {
        series->clear();
    }
    m_haveLastLevels = false;
    HideCrossHair();
}

void TCurveDisplay::ShowPicture(const TPictureCurves& curves) {
    for (int s = 0; s < Curves::AnalogValues; ++s) {
        if (s != 2) { // the read-out takes the time from the records
            m_analogSeries[std::size_t(s)]->replace(curves.Analog[std::size_t(s)]);
        } else {
            m_analogSeries[2]->clear();
        }
    }
    for (int s = Curves::FirstSignal; s < Curves::SeriesCount; ++s) {
        QList<QPointF> steps;
        AppendSteps(steps, curves.Logic[std::size_t(s)]);
        m_logicSeries[std::size_t(s)]->replace(steps);
    }
    m_haveLastLevels = false;
}

void TCurveDisplay::AppendLive(const std::vector<TLivePoint>& points) {
    if (points.empty()) {
        return;
    }
    std::array<QList<QPointF>, Curves::AnalogValues> analog;
    for (auto& list : analog) {
        list.reserve(qsizetype(points.size()));
    }
    std::array<QList<QPointF>, Curves::SignalCount> logic;
    for (const TLivePoint& p : points) {
        for (int s = 0; s < Curves::AnalogValues; ++s) {
            if (s != 2) {
                analog[std::size_t(s)].append(QPointF(p.X, p.Values[std::size_t(s)]));
            }
        }
        for (int k = 0; k < Curves::SignalCount; ++k) {
            const std::uint8_t level = (p.Signals >> k) & 1U;
            QList<QPointF>& list = logic[std::size_t(k)];
            if (!m_haveLastLevels) {
                list.append(QPointF(p.X, Curves::SignalLevel(k, level)));
            } else if (level != m_lastLevels[std::size_t(k)]) {
                list.append(QPointF(p.X, Curves::SignalLevel(k, m_lastLevels[std::size_t(k)])));
                list.append(QPointF(p.X, Curves::SignalLevel(k, level)));
            }
            m_lastLevels[std::size_t(k)] = level;
        }
        m_haveLastLevels = true;
    }
    for (int s = 0; s < Curves::AnalogValues; ++s) {
        if (!analog[std::size_t(s)].isEmpty()) {
            m_analogSeries[std::size_t(s)]->append(analog[std::size_t(s)]);
        }
    }
    // A level that holds is carried to the newest time by one moving end point.
    const double end = points.back().X;
    for (int k = 0; k < Curves::SignalCount; ++k) {
        QLineSeries* series = m_logicSeries[std::size_t(Curves::FirstSignal + k)];
        QList<QPointF>& list = logic[std::size_t(k)];
        const QPointF tail(end, Curves::SignalLevel(k, m_lastLevels[std::size_t(k)]));
        if (list.isEmpty() && series->count() >= 2 && series->at(series->count() - 2).y() == tail.y()) {
            series->replace(series->count() - 1, tail);
            continue;
        }
        if (list.isEmpty() || list.back() != tail) {
            list.append(tail);
        }
        series->append(list);
    }
}

int TCurveDisplay::PointCount(int analogSeries) const {
    return m_analogSeries[std::size_t(analogSeries)]->count();
}

void TCurveDisplay::SetSeriesActive(int analogSeries, bool active) {
    QLineSeries* series = m_analogSeries[std::size_t(analogSeries)];
    series->setVisible(active);
    m_analog->legend()->markers(series).first()->setVisible(true);
}

bool TCurveDisplay::IsSeriesActive(int analogSeries) const {
    return m_analogSeries[std::size_t(analogSeries)]->isVisible();
}

void TCurveDisplay::SetLogicVisible(bool visible) {
    m_logicView->setVisible(visible);
}

bool TCurveDisplay::IsLogicVisible() const {
    return !m_logicView->isHidden();
}

void TCurveDisplay::SetLeftRange(double min, double max) {
    SetAxisRange(m_analogY, std::min(min, max), std::max(min, max));
    FormatVoltLabels(m_analogY);
}

void TCurveDisplay::SetBottomRange(double min, double max) {
    SetAxisRange(m_analogX, std::min(min, max), std::max(min, max));
}

QString TCurveDisplay::LeftLabelFormat() const {
    return m_analogY->labelFormat();
}

std::pair<double, double> TCurveDisplay::LeftRange() const {
    return {m_analogY->min(), m_analogY->max()};
}

std::pair<double, double> TCurveDisplay::BottomRange() const {
    return {m_analogX->min(), m_analogX->max()};
}

void TCurveDisplay::FitBottomToPoints() {
    double first = 0;
    double last = 0;
    bool any = false;
    for (int s = 0; s < Curves::AnalogValues; ++s) {
        const QLineSeries* series = m_analogSeries[std::size_t(s)];
        if (series->count() > 0) {
            first = any ? std::min(first, series->at(0).x()) : series->at(0).x();
            last = any ? std::max(last, series->at(series->count() - 1).x()) : series->at(series->count() - 1).x();
            any = true;
        }
    }
    SetBottomRange(first, last > first ? last : first + 1000);
}

void TCurveDisplay::ZoomBy(double factor) {
    m_analog->zoom(factor);
}

void TCurveDisplay::SetReadOutEnabled(bool enabled) {
    m_readOut = enabled;
    if (!enabled) {
        HideCrossHair();
        m_analogView->viewport()->setCursor(Qt::CrossCursor);
    }
}

void TCurveDisplay::HideCrossHair() {
    m_crossX->hide();
    m_crossY->hide();
}

QPoint TCurveDisplay::PositionOf(double x, double y) const {
    const QPointF inChart = m_analog->mapToPosition(QPointF(x, y), m_analogSeries[0]);
    const QPointF inView = m_analogView->mapFromScene(m_analog->mapToScene(inChart));
    return m_analogView->viewport()->mapTo(this, inView.toPoint());
}

void TCurveDisplay::MouseMovedOnAnalog(const QPointF& position) {
    HideCrossHair();
    if (!m_readOut) {
        return;
    }
    const QPointF inChart = m_analog->mapFromScene(m_analogView->mapToScene(position.toPoint()));
    const QRectF area = m_analog->plotArea();
    if (!area.contains(inChart)) {
        m_analogView->viewport()->setCursor(Qt::CrossCursor);
        return;
    }
    m_crossX->setLine(QLineF(inChart.x(), area.top(), inChart.x(), area.bottom()));
    m_crossY->setLine(QLineF(area.left(), inChart.y(), area.right(), inChart.y()));
    m_crossX->show();
    m_crossY->show();
    UpdateCursor(inChart);
    const QPointF value = m_analog->mapToValue(inChart, m_analogSeries[0]);
    Q_EMIT ReadOutAt(value.x(), value.y());
}

void TCurveDisplay::UpdateCursor(const QPointF& inChart) {
    // Over a curve the mouse shows that curve's cursor.
    const double x = m_analog->mapToValue(inChart, m_analogSeries[0]).x();
    for (int s = 0; s < Curves::AnalogValues; ++s) {
        const QLineSeries* series = m_analogSeries[std::size_t(s)];
        if (!series->isVisible() || series->count() == 0) {
            continue;
        }
        const QList<QPointF> points = series->points(); // shared, not copied
        auto at = std::lower_bound(points.begin(), points.end(), x,
                                   [](const QPointF& p, double value) { return p.x() < value; });
        if (at == points.end()) {
            --at;
        }
        const QPointF pixel = m_analog->mapToPosition(*at, m_analogSeries[std::size_t(s)]);
        if (std::abs(pixel.y() - inChart.y()) <= 5) {
            m_analogView->viewport()->setCursor(m_cursors[std::size_t(s)]);
            return;
        }
    }
    m_analogView->viewport()->setCursor(Qt::CrossCursor);
}

void TCurveDisplay::BottomRangeChanged(double min, double max) {
    PlaceTicks(m_analogX);
    SetAxisRange(m_logicX, min, max);
    HideCrossHair();
    Q_EMIT RangeChanged();
}

void TCurveDisplay::PlaceDecorations() {
    const QRectF analogArea = m_analog->plotArea();
    m_title->setPos(analogArea.left(), 2);
    const QRectF logicArea = m_logic->plotArea();
    for (int k = 0; k < Curves::SignalCount; ++k) {
        QGraphicsSimpleTextItem* label = m_signalLabels[std::size_t(k)];
        const QPointF at = m_logic->mapToPosition(QPointF(m_logicX->min(), Curves::SignalBase(k) + 0.128),
                                                  m_logicSeries[std::size_t(Curves::FirstSignal + k)]);
        const QRectF box = label->boundingRect();
        label->setPos(logicArea.left() - box.width() - 6, at.y() - box.height() / 2);
    }
    // The logic chart's plotting area spans the analog chart's, so times line up.
    const qreal left = analogArea.left() - logicArea.left();
    const qreal right = logicArea.right() - analogArea.right();
    if (std::abs(left) > 0.5 || std::abs(right) > 0.5) {
        QMargins margins = m_logic->margins();
        margins.setLeft(std::max(0, margins.left() + int(std::lround(left))));
        margins.setRight(std::max(0, margins.right() + int(std::lround(right))));
        m_logic->setMargins(margins);
    }
}

double TCurveDisplay::LogicHeightShare() const {
    const double logic = m_logicView->height();
    const double analog = m_analogView->height();
    return logic + analog > 0 ? logic / (logic + analog) : 0.25;
}

void TCurveDisplay::Render(QPainter& painter, const QRectF& logicArea, const QRectF& analogArea) {
    HideCrossHair();
    const auto draw = [&painter](QChart* chart, const QRectF& target) {
        if (target.isEmpty()) {
            return;
        }
        // Laid out for the target's proportions, so the text keeps its shape on the page.
        const QSizeF screen = chart->size();
        const double scale = std::max(1.0, target.width() / std::max(1.0, screen.width()));
        chart->resize(target.size() / scale);
        chart->layout()->activate();
        chart->scene()->render(&painter, target, chart->sceneBoundingRect(), Qt::IgnoreAspectRatio);
        chart->resize(screen);
        chart->layout()->activate();
    };
    if (IsLogicVisible()) {
        draw(m_logic, logicArea);
    }
    draw(m_analog, analogArea);
}

QImage TCurveDisplay::Grab(double scale) const {
    QImage image((QSizeF(size()) * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    const_cast<TCurveDisplay*>(this)->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
