#pragma once

#include "cli/Command.h"

// A .set or .prm file into the family's sets, saved.
class ImportCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("import"); }
    QString Arguments() const override { return QStringLiteral("--family F FILE"); }
    QString Summary() const override { return QStringLiteral("read a .set or .prm file into the stored sets"); }
    void Parse(const QStringList& arguments) override;
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

private:
    Family m_family = Family::Tkx;
    QString m_file;
};
