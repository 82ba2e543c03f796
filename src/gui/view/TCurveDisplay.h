#pragma once

#include "core/view/TPictureCurves.h"
#include "core/view/TViewDataWorker.h"

#include <QCursor>
#include <QImage>
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

class QChart;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QGraphicsTextItem;
class QLineSeries;
class QPainter;
class QValueAxis;
class TChartView;

// The two charts of the data view: the command signals K1..K8 as steps above, the analog values
// below. Everything else in the program talks to this class only, so the chart component behind
// it can be replaced without touching the window.
class TCurveDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TCurveDisplay(QWidget* parent = nullptr);

    // Series 0..4 of the analog chart get these titles (the legend's and the printout's).
    void SetSeriesTitles(const std::array<QString, Curves::AnalogValues>& titles);
    // The analog chart's title: the first line is the caller's, the second says which way the car ran.
    void SetTitleLines(const QString& first, const QString& second);
    QString TitleText() const;

    void Clear();
    // A stored picture: every series replaced at once.
    void ShowPicture(const TPictureCurves& curves);
    // Points of a live picture, appended in one go per series.
    void AppendLive(const std::vector<TLivePoint>& points);
    int PointCount(int analogSeries) const;

    void SetSeriesActive(int analogSeries, bool active);
    bool IsSeriesActive(int analogSeries) const;
    void SetLogicVisible(bool visible);
    bool IsLogicVisible() const;

    // Ranges of the analog chart; a range given the wrong way round is swapped.
    void SetLeftRange(double min, double max);
    void SetBottomRange(double min, double max);
    std::pair<double, double> LeftRange() const;
    // The printf format of the left axis's labels (its decimals follow the grid's step).
    QString LeftLabelFormat() const;
    std::pair<double, double> BottomRange() const;
    // Fits the bottom axis to the points shown.
    void FitBottomToPoints();
    // Percentage zoom around the middle: 1.05 zooms in, 0.95 out.
    void ZoomBy(double factor);

    // The read-out: a cross-hair follows the mouse over the plotting area while switched on.
    void SetReadOutEnabled(bool enabled);
    bool IsReadOutEnabled() const { return m_readOut; }
    void HideCrossHair();
    // The pixel of the analog chart at time x (ms) and value y, in this widget's coordinates.
    QPoint PositionOf(double x, double y) const;

    // Both charts drawn into rectangles of a painter (a printer's page): vector output.
    void Render(QPainter& painter, const QRectF& logicArea, const QRectF& analogArea);
    // The share of the two charts' heights the logic chart has on the screen.
    double LogicHeightShare() const;
    // Both charts as one picture at `scale` times the screen's resolution.
    QImage Grab(double scale) const;

Q_SIGNALS:
    // The mouse moved over the analog chart's plotting area (time in ms, value in V).
    void ReadOutAt(double x, double y);
    // Any change of the analog chart's ranges (zoom, rubber band, undo zoom).
    void RangeChanged();

private:
    void MouseMovedOnAnalog(const QPointF& position);
    void BottomRangeChanged(double min, double max);
    void PlaceDecorations();
    void UpdateCursor(const QPointF& position);

    QChart* m_analog = nullptr;
    QChart* m_logic = nullptr;
    TChartView* m_analogView = nullptr;
    TChartView* m_logicView = nullptr;
    QValueAxis* m_analogX = nullptr;
    QValueAxis* m_analogY = nullptr;
    QValueAxis* m_logicX = nullptr;
    QValueAxis* m_logicY = nullptr;
    std::array<QLineSeries*, Curves::SeriesCount> m_analogSeries{};
    std::array<QLineSeries*, Curves::SeriesCount> m_logicSeries{};
    std::array<QCursor, Curves::AnalogValues> m_cursors;
    std::array<QGraphicsSimpleTextItem*, Curves::SignalCount> m_signalLabels{};
    QGraphicsTextItem* m_title = nullptr;
    QString m_titleFirst;
    QString m_titleSecond;
    QGraphicsLineItem* m_crossX = nullptr;
    QGraphicsLineItem* m_crossY = nullptr;
    bool m_readOut = false;
    std::array<std::uint8_t, Curves::SignalCount> m_lastLevels{};
    bool m_haveLastLevels = false;
};
