#pragma once

#include "cli/Command.h"

// Prints the service logbook, newest entry first, and writes it as CSV.
class LogbookCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("logbook"); }
    QString Arguments() const override { return QStringLiteral("[--serial N] [--csv OUT.csv]"); }
    QString Summary() const override { return QStringLiteral("print what was done to the controllers"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    QString m_serial;
    QString m_csv;
    bool m_csvGiven = false;
};
