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
    if (language.Text(166) != QStringLiteral("Fehler")) {
        state.SkipWithError("record 166 is not the German \"Fehler\"");
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
    int baud = 0;
    for (auto _ : state) {
        baud = ini.ReadInteger("/dev/ttyUSB19", "Baud", 0);
        benchmark::DoNotOptimize(baud);
    }
    if (baud != 19200) {
        state.SkipWithError("the key did not read back as written");
    }
}
BENCHMARK(BM_IniReadKey);
