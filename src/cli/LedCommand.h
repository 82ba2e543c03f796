#pragma once

#include "cli/Command.h"

#include "core/service/TSpecialTest.h"

// Switches one of the controller's LEDs.
class LedCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("led"); }
    QString Arguments() const override { return QStringLiteral("up|down|run|error|siu1 on|off"); }
    QString Summary() const override { return QStringLiteral("switch one LED of the controller"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    TSpecialTest::Output m_output = TSpecialTest::Output::Up;
    bool m_on = false;
};
