#include "core/base/IniFile.h"
#include "core/base/Language.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// Every window fetches its texts by number when it is created.
static void BM_TextLookup(benchmark::State& state) {
    TLanguage language;
    language.Choose(1);
    int record = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(language.Text(record));
        record = (record + 37) % Language::RecordCount;
    }
}
BENCHMARK(BM_TextLookup);

// Settings are read from the file as it is now, once per key at start-up.
static void BM_IniReadKey(benchmark::State& state) {
    QTemporaryDir dir;
    IniFile ini(dir.path() + "/bench.config");
    for (int port = 0; port < 20; ++port) {
        const QString section = QStringLiteral("/dev/ttyUSB%1").arg(port);
        ini.WriteInteger(section, "Baud", 19200);
        ini.WriteString(section, "Parity", "None");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.ReadInteger("/dev/ttyUSB19", "Baud", 0));
    }
}
BENCHMARK(BM_IniReadKey);


