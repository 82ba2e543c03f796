#pragma once

#include "cli/Command.h"

// Loads a factory-settings file as the sender does and prints what it shows.
class FactoryCheckCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("factory-check"); }
    QString Arguments() const override { return QStringLiteral("FILE.fact"); }
    QString Summary() const override { return QStringLiteral("check a factory-settings file as the sender loads it"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    QString m_file;
};
