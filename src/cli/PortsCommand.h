#pragma once

#include "cli/Command.h"

class PortsCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("ports"); }
    QString Summary() const override {
        return QStringLiteral("list every serial device with its state, and why one cannot be opened");
    }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;
};
