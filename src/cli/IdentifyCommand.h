#pragma once

#include "cli/Command.h"

// The connected controller's family and software version, asked in two sessions
// as a parameter read asks them.
class IdentifyCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("identify"); }
    QString Summary() const override { return QStringLiteral("print the controller type and software version"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;
};
