#include "core/params/TServiceReport.h"
#include "core/params/TSetPrintout.h"
#include "print/TPagePainter.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A full VF-TKX set with a long description, as a logbook printout carries it.
TPrintSet FullSet() {
    TPrintSet set;
    set.Family = Family::VfTkx;
    set.Name = QStringLiteral("Shaft B");
    set.Description = QStringLiteral("Valve block replaced after oil leak, soft stop tuned. ").repeated(20);
    set.InfoMemo = QStringLiteral("Software version:\t2.220\t\rSerial number:\t000004711\t\r");
    set.ErrorMemo = QStringLiteral("Error 1:\t12 h \tOvercurrent\r").repeated(8);
    for (int address = 0; address < 72; ++address) {
        set.Parameters.push_back({QStringLiteral("FastUp"), address, address * 0.25});
    }
    return set;
}

} // namespace

// The page model alone: slots, page breaks, wrapping.
static void BM_SetPrintoutLayout(benchmark::State& state) {
    const TPrintSet set = FullSet();
    const TPageGeometry page = TPageGeometry::ForPage(4960, 7015);
    const TPrintSettings settings;
    std::size_t pages = 0;
    for (auto _ : state) {
        const TPageDocument document = TSetPrintout::Layout(set, page, settings);
        pages = document.Pages.size();
        benchmark::DoNotOptimize(pages);
    }
    if (pages < 2) {
        state.SkipWithError("a full set with its long description did not make two pages");
    }
}
BENCHMARK(BM_SetPrintoutLayout)->Unit(benchmark::kMicrosecond);

// What torvex print does after reading the set: lay out, draw with the logo, save the PDF.
static void BM_SetPrintoutPdf(benchmark::State& state) {
    const TPrintSet set = FullSet();
    const TPrintSettings settings;
    QTemporaryDir directory;
    const QString pdf = directory.filePath(QStringLiteral("set.pdf"));
    for (auto _ : state) {
        const auto outcome = TPagePainter::WritePdf(
            pdf,
            [&](int width, int height) {
                return TSetPrintout::Layout(set, TPageGeometry::ForPage(width, height), settings);
            },
            QStringLiteral(TORVEX_BIN_DIR "/Logo.svg"));
        if (!outcome.Written || QFileInfo(pdf).size() < 1000) {
            state.SkipWithError("PDF not written");
            break;
        }
    }
}
BENCHMARK(BM_SetPrintoutPdf)->Unit(benchmark::kMillisecond)->Iterations(20);
