#pragma once

#include <QString>

// Where the programs' data (template database, help, logo, configuration template) lies:
// beside the executable in the build tree, ../share/wintorvex32/ when installed. The first of the
// two that holds a DataBase folder wins; with neither, the folder beside the executable.
// Returned with a trailing "/".
QString DataDirectoryOf(const QString& executablePath);
