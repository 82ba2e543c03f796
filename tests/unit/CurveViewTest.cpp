#include "core/livedata/TDataFile.h"
#include "core/livedata/TDataRecordFifo.h"
#include "core/view/TCurvePage.h"
#include "core/view/TPictureCurves.h"
#include "core/view/TPictureNavigation.h"
#include "core/view/TViewDataWorker.h"
#include "core/view/TZoomValues.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

TDataRecord Rec(int runTime, quint8 signals = 0, int setPoint = 0, int kind = TDataRecord::Sample) {
    TDataRecord r;
    r.Kind = kind;
    r.RunTime = static_cast<std::int16_t>(runTime);
    r.Signals = signals;
    r.SetPoint = static_cast<std::int16_t>(setPoint);
    r.ActualValue = static_cast<std::int16_t>(setPoint / 2);
    r.SolenoidValue = static_cast<std::int16_t>(-setPoint);
    r.InverterValue = 7;
    return r;
}

std::vector<double> Xs(const QList<QPointF>& points) {
    std::vector<double> xs;
    for (const QPointF& p : points) {
        xs.push_back(p.x());
    }
    return xs;
}

TEST(PictureCurvesTest, GapsInTheTimeCountAreFilledEveryTenMilliseconds) {
    // Counts 0 and 36 are 200 ms apart: 19 points between them, values on the straight line.
    const TPictureCurves wide = TPictureCurves::Build({Rec(0, 0x01, 0), Rec(36, 0x04, 2000)});
    std::vector<double> expected;
    for (int x = 0; x <= 200; x += 10) {
        expected.push_back(x);
    }
    for (int s = 0; s < Curves::SeriesCount; ++s) {
        EXPECT_EQ(Xs(wide.Analog[std::size_t(s)]), expected) << "series " << s;
    }
    EXPECT_DOUBLE_EQ(wide.Analog[0][5].y(), 0.5);         // demand 0 .. 2 V, 5 of 20 steps
    EXPECT_DOUBLE_EQ(wide.Analog[2][10].y(), 18 / 180.0); // the time in s follows the count
    EXPECT_DOUBLE_EQ(wide.Analog[5][19].y(), 12.756);     // filled points keep the earlier signals
    EXPECT_DOUBLE_EQ(wide.Analog[5][20].y(), 12.5);
    EXPECT_DOUBLE_EQ(wide.Analog[7][20].y(), 11.756);
    EXPECT_EQ(wide.Logic[5].size(), 2); // the logic chart gets the records only
    EXPECT_TRUE(wide.Logic[0].isEmpty());
    EXPECT_EQ(wide.Records.size(), 2u);

    // Counts 0 and 2 are 11 ms apart: nothing to fill.
    const TPictureCurves narrow = TPictureCurves::Build({Rec(0), Rec(2)});
    EXPECT_EQ(narrow.Analog[0].size(), 2);
    EXPECT_DOUBLE_EQ(narrow.Analog[0][1].x(), 2 * 1000 / 180.0);
}

TEST(PictureCurvesTest, DrawingStopsWhereTheTimeRunsBackwards) {
    // The stop marker (count 0) at the end of a run and anything after it is not drawn.
    const TPictureCurves c = TPictureCurves::Build({Rec(0), Rec(1), Rec(2), Rec(0), Rec(3)});
    EXPECT_EQ(c.Records.size(), 3u);
    EXPECT_EQ(c.Analog[1].size(), 3);
}

TEST(PictureCurvesTest, TheTenthDrawnRecordDecidesTheTitle) {
    struct Case {
        int records;
        quint8 tenth;
        quint8 others;
        const char* title;
    };
    const Case cases[] = {
        {10, 0x02, 0x00, "UP"},  {10, 0x01 | 0x04, 0x00, "UP"}, {10, 0x08, 0x01, "DOWN"},
        {10, 0x10, 0x01, "???"}, {9, 0x01, 0x01, "???"},        {12, 0x04, 0x01, "DOWN"},
    };
    for (const Case& c : cases) {
        std::vector<TDataRecord> records;
        for (int i = 0; i < c.records; ++i) {
            records.push_back(Rec(i, i == 9 ? c.tenth : c.others));
        }
        const TPictureCurves curves = TPictureCurves::Build(records);
        EXPECT_EQ(Curves::DirectionTitle(curves.TitleSignals, QStringLiteral("UP"), QStringLiteral("DOWN")),
                  QString::fromLatin1(c.title))
            << c.records << " records, tenth " << int(c.tenth);
    }
}

TEST(PictureCurvesTest, SignalLevelsStepDownHalfAVoltPerSignal) {
    const double expected[8][2] = {{12.5, 12.756}, {12.0, 12.256}, {11.5, 11.756}, {11.0, 11.256},
                                   {10.5, 10.756}, {10.0, 10.256}, {9.5, 9.756},   {9.0, 9.256}};
    for (int k = 0; k < 8; ++k) {
        EXPECT_DOUBLE_EQ(Curves::SignalLevel(k, false), expected[k][0]) << "K" << k + 1;
        EXPECT_DOUBLE_EQ(Curves::SignalLevel(k, true), expected[k][1]) << "K" << k + 1;
    }
}

TEST(PictureCurvesTest, TheReadOutFindsTheStoredRecordNearestTheMouse) {
    // At 180 frames/s there are almost two records per 10 ms, and a gap adds filled points:
    // the point index is no measure of time, the nearest record is.
    std::vector<TDataRecord> records;
    for (int t = 0; t < 20; ++t) {
        records.push_back(Rec(t, 0, 100 * t));
    }
    records.push_back(Rec(200, 0x01, 4321));
    const TPictureCurves c = TPictureCurves::Build(records);
    struct Case {
        double x;
        int record;
    };
    const Case cases[] = {{-50, 0}, {0, 0}, {2.7, 0}, {2.8, 1}, {55.6, 10}, {600, 19}, {800, 20}, {5000, 20}};
    for (const Case& k : cases) {
        const int i = c.NearestRecord(k.x);
        EXPECT_EQ(i, k.record) << "x " << k.x;
    }
    EXPECT_EQ(c.Records[std::size_t(c.NearestRecord(1100))].SetPoint, 4321);
    EXPECT_EQ(TPictureCurves().NearestRecord(10), -1);
}

TEST(PictureCsvTest, OneRowPerDrawnRecordWithVoltsAndSignalBits) {
    const QByteArray csv = DataFile::PictureCsv({Rec(0, 0x81, 1500), Rec(90, 0x02, -250)});
    EXPECT_EQ(csv, "time_s,setpoint_V,actual_V,solenoid_V,inverter_V,K1,K2,K3,K4,K5,K6,K7,K8\n"
                   "0,1.5,0.75,-1.5,0.007,1,0,0,0,0,0,0,1\n"
                   "0.5,-0.25,-0.125,0.25,0.007,0,1,0,0,0,0,0,0\n");
}

TEST(ZoomValuesTest, FieldsShowSixCharactersWithTwoDecimalsAndAPoint) {
    TZoomValues zoom;
    zoom.Set(30000, 0, 12, -1);
    EXPECT_EQ(zoom.Text(TZoomValues::XMax), " 30.00");
    EXPECT_EQ(zoom.Text(TZoomValues::XMin), "  0.00");
    EXPECT_EQ(zoom.Text(TZoomValues::YMax), " 12.00");
    EXPECT_EQ(zoom.Text(TZoomValues::YMin), " -1.00");
    EXPECT_EQ(TZoomValues::Format(1234.567), "1234.57");
    EXPECT_DOUBLE_EQ(zoom.MaxTimeMs(), 30000);
}

TEST(ZoomValuesTest, TypedNumbersAreTakenAndAnythingElseKeepsTheValue) {
    struct Case {
        const char* text;
        double value; // 5 is the value before
    };
    const Case cases[] = {{" 12.5", 12.5}, {"-1", -1},  {"+.5", 0.5}, {"1e1", 10}, {"2.5E-1 ", 0.25},
                          {"7.", 7},       {"12,5", 5}, {"abc", 5},   {"", 5},     {"1.2.3", 5},
                          {"12abc", 5},    {"inf", 5},  {"1e999", 5}, {"0x10", 5}, {".", 5}};
    for (const Case& c : cases) {
        TZoomValues zoom;
        zoom.Set(0, 0, 5, 0);
        zoom.Accept(TZoomValues::YMax, QString::fromLatin1(c.text));
        EXPECT_DOUBLE_EQ(zoom.MaxVoltage(), c.value) << '"' << c.text << '"';
    }
}

TEST(ZoomValuesTest, AMinimumAboveItsMaximumIsTakenAsTyped) {
    TZoomValues zoom;
    zoom.Set(30000, 0, 12, -1);
    zoom.Accept(TZoomValues::XMin, QStringLiteral("20"));
    zoom.Accept(TZoomValues::XMax, QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(zoom.MinTimeMs(), 20000);
    EXPECT_DOUBLE_EQ(zoom.MaxTimeMs(), 10000);
}

// Feeds records through the queue to a running worker and waits until it has taken them all.
class ViewWorkerTest : public ::testing::Test {
protected:
    std::vector<TViewEvent> Feed(TViewDataWorker& worker, const std::vector<TDataRecord>& records) {
        const long long until = worker.RecordCounter() + static_cast<long long>(records.size());
        for (const TDataRecord& r : records) {
            m_queue.Put(r);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (worker.RecordCounter() < until && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(worker.RecordCounter(), until);
        return worker.Take();
    }

    static std::vector<double> DrawnX(const std::vector<TViewEvent>& events) {
        std::vector<double> xs;
        for (const TViewEvent& e : events) {
            for (const TLivePoint& p : e.Points) {
                xs.push_back(p.X);
            }
        }
        return xs;
    }

    static std::vector<TDataRecord> Run(int count, int step = 1) {
        std::vector<TDataRecord> run{Rec(0, 0x01, 0, TDataRecord::RunStart)};
        for (int i = 1; i < count; ++i) {
            run.push_back(Rec(i * step, 0x01, 10 * i));
        }
        return run;
    }

    TDataRecordFifo m_queue{64};
};

TEST_F(ViewWorkerTest, DrawsEveryNthRecordAndADrawSpeedOfZeroDrawsThemAll) {
    struct Case {
        int drawSpeed;
        std::vector<double> xs;
    };
    // The first record the worker would draw after it starts is left out.
    const double ms = 1000 / 180.0 * 18; // 100 ms per 18 counts
    const Case cases[] = {
        {3, {3 * ms, 6 * ms, 9 * ms}},
        {1, {1 * ms, 2 * ms, 3 * ms, 4 * ms, 5 * ms, 6 * ms, 7 * ms, 8 * ms, 9 * ms}},
        {0, {1 * ms, 2 * ms, 3 * ms, 4 * ms, 5 * ms, 6 * ms, 7 * ms, 8 * ms, 9 * ms}},
    };
    for (const Case& c : cases) {
        TViewWorkerSettings settings;
        settings.DrawSpeed = c.drawSpeed;
        TViewDataWorker worker(m_queue, settings, 0);
        const auto events = Feed(worker, Run(10, 18));
        const std::vector<double> xs = DrawnX(events);
        ASSERT_EQ(xs.size(), c.xs.size()) << "draw speed " << c.drawSpeed;
        for (std::size_t i = 0; i < xs.size(); ++i) {
            EXPECT_NEAR(xs[i], c.xs[i], 1e-9) << "draw speed " << c.drawSpeed;
        }
    }
}

TEST_F(ViewWorkerTest, ARunIsFramedByStartAndEndAndTimeRunningBackwardsStopsItsDrawing) {
    TViewWorkerSettings settings;
    settings.DrawSpeed = 1;
    settings.LengthOfPicture = 20;
    TViewDataWorker worker(m_queue, settings, 4);
    std::vector<TDataRecord> records = Run(5);
    records.push_back(Rec(0));       // stop marker: time back to 0
    records.push_back(Rec(6, 0x01)); // no longer drawn
    TDataRecord gap = Rec(6, 0x01);
    gap.Kind = TDataRecord::Gap;
    records.push_back(gap);
    const auto events = Feed(worker, records);

    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().Kind, TViewEvent::PictureStarted);
    EXPECT_EQ(events.front().Picture, 5);
    EXPECT_EQ(events.back().Kind, TViewEvent::PictureEnded);
    EXPECT_EQ(DrawnX(events).size(), 4u); // records 1..4; record 0 is the worker's first
    const auto axis =
        std::find_if(events.begin(), events.end(), [](const TViewEvent& e) { return e.Kind == TViewEvent::LiveAxis; });
    ASSERT_NE(axis, events.end());
    EXPECT_EQ(axis->LengthMs, 20000);
    EXPECT_EQ(axis->Signals, 0x01);

    // The next run draws again from its start.
    const auto next = Feed(worker, Run(3));
    EXPECT_EQ(next.front().Picture, 6);
    EXPECT_EQ(DrawnX(next).size(), 3u);
}

// The recorder copied its full file away: the next run is picture 1 of the emptied file.
TEST_F(ViewWorkerTest, TheRecordersFreshFileStartsThePictureCountAgain) {
    TViewDataWorker worker(m_queue, TViewWorkerSettings(), 5);
    std::vector<TDataRecord> records = Run(3);
    TDataRecord gap = records.back();
    gap.Kind = TDataRecord::Gap;
    records.push_back(gap);
    auto events = Feed(worker, records);
    // The marker is no record: it is not counted, it only goes before the next run.
    TDataRecord renewed;
    renewed.Kind = TDataRecord::FileRenewed;
    m_queue.Put(renewed);
    const auto next = Feed(worker, Run(2));
    events.insert(events.end(), next.begin(), next.end());
    std::vector<std::pair<int, int>> pictures; // kind, picture
    for (const TViewEvent& e : events) {
        if (e.Kind != TViewEvent::AddPoints && e.Kind != TViewEvent::LiveAxis) {
            pictures.emplace_back(e.Kind, e.Picture);
        }
    }
    EXPECT_EQ(pictures, (std::vector<std::pair<int, int>>{{TViewEvent::PictureStarted, 6},
                                                          {TViewEvent::PictureEnded, 6},
                                                          {TViewEvent::FileRenewed, 0},
                                                          {TViewEvent::PictureStarted, 1}}));
}

TEST_F(ViewWorkerTest, StopEndsAWaitOnAnEmptyQueueAndSaysSo) {
    std::atomic<int> wakes{0};
    TViewDataWorker worker(m_queue, TViewWorkerSettings(), 0, [&] { ++wakes; });
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    const auto events = worker.Take();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.front().Kind, TViewEvent::Finished);
    EXPECT_EQ(wakes.load(), 1);
}

} // namespace

namespace {

TEST(PictureNavigationTest, EachModeChoosesItsPictureAndItsControls) {
    using N = TPictureNavigation;
    struct Case {
        N::Mode mode;
        int current, selected, count;
        bool show;
        int picture;
        bool first, previous, next, last;
    };
    const Case cases[] = {
        {N::First, 3, 0, 5, true, 0, false, false, true, true},
        {N::First, 0, 0, 1, true, 0, false, false, false, false},
        {N::Previous, 2, 0, 5, true, 1, true, true, true, true},
        {N::Previous, 1, 0, 5, true, 0, false, false, true, true},
        {N::Previous, 0, 0, 5, false, -1, false, false, false, false}, // on the first: nothing
        {N::Next, 2, 0, 5, true, 3, true, true, true, true},
        {N::Next, 3, 0, 5, true, 4, true, true, false, false},
        {N::Next, 4, 0, 5, false, -1, false, false, false, false}, // on the last: nothing
        {N::Last, 0, 0, 5, true, 4, true, true, false, false},
        {N::Last, 0, 0, 1, true, 0, false, false, false, false},
        {N::Last, -1, 0, 0, false, -1, false, false, false, false}, // empty file
        {N::Selected, 0, 2, 5, true, 2, true, true, true, true},
        {N::Selected, 4, 0, 5, true, 0, false, false, true, true},
        {N::Selected, 0, 4, 5, true, 4, true, true, false, false},
    };
    for (const Case& c : cases) {
        const N n = N::For(c.mode, c.current, c.selected, c.count);
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " current " << c.current << " count " << c.count);
        EXPECT_EQ(n.Show, c.show);
        if (!c.show) {
            continue;
        }
        EXPECT_EQ(n.Picture, c.picture);
        EXPECT_EQ(n.FirstEnabled, c.first);
        EXPECT_EQ(n.PreviousEnabled, c.previous);
        EXPECT_EQ(n.NextEnabled, c.next);
        EXPECT_EQ(n.LastEnabled, c.last);
        EXPECT_EQ(n.SetsViewAndNumber, c.mode != N::Selected);
        if (n.SetsViewAndNumber) {
            EXPECT_EQ(n.ViewEnabled, c.count > 1);
            EXPECT_EQ(n.NumberEnabled, c.count > 1);
        }
    }
}

} // namespace

namespace {

TEST(CurvePageTest, TheLogicChartTakesItsScreenShareOfTheAreaOrTheAnalogChartTakesAll) {
    // A4 landscape: 2970 x 2100 tenths of a millimetre.
    const TCurvePage both = TCurvePage::For(2970, 2100, true, 0.25);
    EXPECT_EQ(both.LogicArea, QRectF(QPointF(100, 250), QPointF(2870, 675)));
    EXPECT_EQ(both.AnalogArea, QRectF(QPointF(100, 675), QPointF(2870, 1950)));
    EXPECT_EQ(both.Logo, QRectF(QPointF(2533, 100), QPointF(2770, 200)));
    EXPECT_EQ(both.Footer, QPointF(100, 2010));

    const TCurvePage alone = TCurvePage::For(2970, 2100, false, 0.25);
    EXPECT_TRUE(alone.LogicArea.isEmpty());
    EXPECT_EQ(alone.AnalogArea, QRectF(QPointF(100, 250), QPointF(2870, 1950)));
}

} // namespace
