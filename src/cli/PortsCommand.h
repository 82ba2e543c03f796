#pragma once

#include "cli/Command.h"

class PortsCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("ports"); }
    QString Summary() const override { return QStringLiteral("list the serial ports that can be opened now"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;
};
