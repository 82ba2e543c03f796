#pragma once

#include "cli/Command.h"

// Switches all segments of the controller's display.
class SegmentsCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("segments"); }
    QString Arguments() const override { return QStringLiteral("on|off"); }
    QString Summary() const override { return QStringLiteral("switch all display segments of the controller"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    bool m_on = false;
};
