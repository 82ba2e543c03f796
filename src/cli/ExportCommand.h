#pragma once

#include "cli/Command.h"

// A stored set (or all sets) of a family into a file.
class ExportCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("export"); }
    QString Arguments() const override { return QStringLiteral("--family F [--name NAME] FILE"); }
    QString Summary() const override { return QStringLiteral("write a set (.set, .txt) or all sets (.prm) to a file"); }
    void Parse(const QStringList& arguments) override;
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

private:
    Family m_family = Family::Tkx;
    QString m_name;
    QString m_file;
};
