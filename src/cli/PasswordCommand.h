#pragma once

#include "cli/Command.h"

// The controller's password: log in, log out, change it, read its level or code.
class PasswordCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("password"); }
    QString Arguments() const override {
        return QStringLiteral(
            "login --code NNNN | logout | change --current NNNN --new NNNN [--confirm NNNN] | level | code");
    }
    QString Summary() const override { return QStringLiteral("the controller's own password"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    enum class Action { Login, Logout, Change, Level, Code };
    Action m_action = Action::Level;
    QString m_code;
    QString m_current;
    QString m_new;
    QString m_confirm;
};
