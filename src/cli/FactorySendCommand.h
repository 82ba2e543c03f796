#pragma once

#include "cli/Command.h"

// Loads a factory-settings file and sends it into the controller, each write read back.
class FactorySendCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("factory-send"); }
    QString Arguments() const override { return QStringLiteral("FILE.fact"); }
    QString Summary() const override { return QStringLiteral("send a factory-settings file into the controller"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    QString m_file;
};
