#pragma once

#include "cli/Command.h"

#include "core/app/ControllerCommands.h"

// The main menu's one-command controller functions.
class SendCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("send"); }
    QString Arguments() const override { return QStringLiteral("WHAT"); }
    QString Summary() const override {
        return QStringLiteral("load-factory, load-user, save-user or reset-errors on the controller");
    }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    MainCommand m_command = MainCommand::ResetErrorList;
};
