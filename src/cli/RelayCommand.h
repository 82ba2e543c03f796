#pragma once

#include "cli/Command.h"

// Switches the controller's relay.
class RelayCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("relay"); }
    QString Arguments() const override { return QStringLiteral("on|off"); }
    QString Summary() const override { return QStringLiteral("switch the controller's relay"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    bool m_on = false;
};
