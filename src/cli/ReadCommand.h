#pragma once

#include "cli/Command.h"

// Reads the connected controller into a new, saved set; exports it when asked.
class ReadCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("read"); }
    QString Arguments() const override { return QStringLiteral("--family F [--out FILE]"); }
    QString Summary() const override {
        return QStringLiteral("read the controller into a new set (and a .set/.prm/.txt file)");
    }
    void Parse(const QStringList& arguments) override;
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

private:
    Family m_family = Family::Tkx;
    QString m_out;
};
