#pragma once

#include "cli/Command.h"

// The parameter sets of one family, as the set window's name list shows them.
class SetsCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("sets"); }
    QString Arguments() const override { return QStringLiteral("--family F"); }
    QString Summary() const override {
        return QStringLiteral("print Id and name of every set of family tkx or vf-tkx");
    }
    void Parse(const QStringList& arguments) override { m_family = ParseFamilyArguments(Name(), arguments); }
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

private:
    Family m_family = Family::Tkx;
};
