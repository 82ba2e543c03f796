#pragma once

#include "cli/Command.h"

// The metadata rows of one family in the order they are written to a controller.
class MetadataCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("metadata"); }
    QString Arguments() const override { return QStringLiteral("--family F"); }
    QString Summary() const override {
        return QStringLiteral("print the parameter metadata of family tkx or vf-tkx, one TAB-separated row per line");
    }
    void Parse(const QStringList& arguments) override { m_family = ParseFamilyArguments(Name(), arguments); }
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

private:
    Family m_family = Family::Tkx;
};
