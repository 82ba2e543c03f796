#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/params/TParameterDatabase.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// Start-up opens every table of the database: the delivered template, as the program sees it.
static void BM_OpenAllTables(benchmark::State& state) {
    QTemporaryDir home;
    UnattendedFeedback feedback;
    TConfigurationEnvironment environment;
    environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
    environment.DocumentsFolder = home.path();
    TConfiguration configuration(environment, feedback);
    TParameterDatabase database(configuration, feedback);
    if (!database.OpenDatabase()) { // the first start copies the files
        state.SkipWithError("the template database does not open");
        return;
    }
    bool opened = true;
    for (auto _ : state) {
        database.CloseDatabase();
        opened = database.OpenDatabase() && opened;
    }
    if (!opened || !database.TableTKX().IsOpen() || !database.TableParameterDBSettings().IsOpen()) {
        state.SkipWithError("the tables did not open again");
    }
}
BENCHMARK(BM_OpenAllTables)->Unit(benchmark::kMillisecond);
