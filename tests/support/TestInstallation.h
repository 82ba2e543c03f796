#pragma once

#include "core/app/TConfiguration.h"
#include "core/params/TParameterDatabase.h"

#include "RecordingFeedback.h"
#include "TempTree.h"

#include <QDir>

#include <memory>

// The program as installed by the build, with a home of its own: the configuration
// store on a scratch documents folder and the database opened from the real template.
struct TestInstallation {
    explicit TestInstallation(QStringList ports = {}) {
        QDir().mkpath(Tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"));
        TConfigurationEnvironment environment;
        environment.ExecutablePath = QStringLiteral(TORVEX_BIN_DIR "/WinTorvex32");
        environment.DocumentsFolder = Tree.Path("docs");
        environment.PortCandidates = [ports] { return ports; };
        environment.PortOpens = [](const QString&) { return true; };
        Configuration = std::make_unique<TConfiguration>(environment, Ui);
        Database = std::make_unique<TParameterDatabase>(*Configuration, Ui);
        Database->OpenDatabase();
    }

    TempTree Tree;
    RecordingFeedback Ui;
    std::unique_ptr<TConfiguration> Configuration;
    std::unique_ptr<TParameterDatabase> Database;
};
