#pragma once

#include "cli/Command.h"

// Reads the controller's zero point a number of times, as the zero-point window does.
class ZeroPointCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("zero-point"); }
    QString Arguments() const override { return QStringLiteral("[--count N] [--interval MS]"); }
    QString Summary() const override { return QStringLiteral("read the measured zero point N times (default 10)"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    int m_count = 10;
    int m_interval = 100;
};
