#pragma once

#include "core/app/TConfiguration.h"

#include <QStringList>
#include <QTextStream>

// Runs torvex with its arguments (without the program name); returns the exit code.
int RunCli(const QStringList& arguments, TConfigurationEnvironment environment, QTextStream& out, QTextStream& err);
