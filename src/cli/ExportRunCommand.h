#pragma once

#include "cli/Command.h"

// One picture of a data file as CSV: the records a drawing shows.
class ExportRunCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("export-run"); }
    QString Arguments() const override { return QStringLiteral("FILE.dat --picture N --csv OUT.csv"); }
    QString Summary() const override { return QStringLiteral("write the drawn records of picture N as CSV"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    QString m_file;
    int m_picture = 0;
    QString m_csv;
};
