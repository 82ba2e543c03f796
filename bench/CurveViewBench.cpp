#include "core/livedata/TDataFile.h"
#include "core/view/TPictureCurves.h"
#include "gui/view/TCurveDisplay.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// A run of 60 s at 180 frames/s as a data file in memory: 10,800 records and its gap record.
QByteArray SixtySecondRun() {
    constexpr int kRecords = 10800;
    TDataFileHeader header;
    header.PictureCount = 1;
    header.RecordCount = kRecords + 1;
    header.PictureTable[0] = {TDataFileHeader::Size, kRecords + 1};
    QByteArray bytes(TDataFileHeader::Size + (kRecords + 1) * TDataRecord::Size, '\0');
    header.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()));
    for (int i = 0; i <= kRecords; ++i) {
        TDataRecord r;
        r.Kind = i == 0 ? TDataRecord::RunStart : i == kRecords ? TDataRecord::Gap : TDataRecord::Sample;
        r.RunTime = static_cast<std::int16_t>(std::min(i, kRecords - 1));
        const double s = i / 180.0;
        r.SetPoint = static_cast<std::int16_t>(5000 + 4000 * std::sin(s / 10));
        r.ActualValue = static_cast<std::int16_t>(r.SetPoint - 150);
        r.SolenoidValue = static_cast<std::int16_t>(3000 + 1000 * std::cos(s));
        r.InverterValue = static_cast<std::int16_t>(2000 * (i % 900) / 900);
        r.Signals = static_cast<std::uint8_t>(i < 300 || i > 10000 ? 0x00 : (i < 9000 ? 0x01 : 0x02));
        r.Encode(reinterpret_cast<std::uint8_t*>(bytes.data()) + TDataFileHeader::OffsetOfRecord(i));
    }
    return bytes;
}

} // namespace

// A stored picture from its file to the charts on the screen: read, gaps filled, series replaced,
// both charts painted.
static void BM_StoredPictureLoadedAndDrawn(benchmark::State& state) {
    QByteArray file = SixtySecondRun();
    TCurveDisplay display;
    display.resize(1280, 800);
    display.show();
    QApplication::processEvents();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        QString error;
        const TDataFileHeader header = DataFile::Inspect(buffer, error)->Header;
        const TPictureCurves curves = TPictureCurves::Build(DataFile::DrawnRecords(buffer, header, 0, error));
        display.Clear();
        display.ShowPicture(curves);
        display.FitBottomToPoints();
        display.repaint();
        QApplication::processEvents();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        benchmark::DoNotOptimize(curves.Records.size());
    }
}
BENCHMARK(BM_StoredPictureLoadedAndDrawn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
