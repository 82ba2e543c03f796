#include "cli/PasswordCommand.h"

#include "cli/ControllerPort.h"
#include "cli/WatchedFeedback.h"

#include "core/access/TControllerPassword.h"
#include "core/app/ControllerCommands.h"

#include <map>

void PasswordCommand::Parse(const QStringList& arguments) {
    static const std::map<QString, std::pair<Action, QStringList>> kActions{
        {"login", {Action::Login, {"--code"}}},
        {"logout", {Action::Logout, {}}},
        {"change", {Action::Change, {"--current", "--new", "--confirm"}}},
        {"level", {Action::Level, {}}},
        {"code", {Action::Code, {}}}};
    const auto it = arguments.isEmpty() ? kActions.end() : kActions.find(arguments[0]);
    if (it == kActions.end()) {
        throw UsageError(QStringLiteral("password needs one of login, logout, change, level, code"));
    }
    m_action = it->second.first;
    const CommandArguments parsed(QStringLiteral("password ") + arguments[0], arguments.mid(1), it->second.second);
    if (!parsed.Positional.isEmpty()) {
        throw UsageError(QStringLiteral("password %1: unexpected '%2'").arg(arguments[0], parsed.Positional[0]));
    }
    const auto required = [&](const char* option) {
        if (!parsed.Has(QLatin1String(option))) {
            throw UsageError(QStringLiteral("password %1 needs %2").arg(arguments[0], QLatin1String(option)));
        }
        return parsed.Value(QLatin1String(option));
    };
    // The passwords go to the controller's checks as typed: their format is judged there.
    if (m_action == Action::Login) {
        m_code = required("--code");
    } else if (m_action == Action::Change) {
        m_current = required("--current");
        m_new = required("--new");
        m_confirm = parsed.Has(QStringLiteral("--confirm")) ? parsed.Value(QStringLiteral("--confirm")) : m_new;
    }
}

int PasswordCommand::Run(CliContext& context) {
    WatchedFeedback feedback(context.Ui);
    TControllerAccess access(context.Configuration, feedback, context.Time);
    TControllerPassword password(access);
    const auto noPort = [&] {
        ControllerPort::ExplainMissing(context);
        return 1;
    };

    const int version = password.CheckPasswordFunction();
    if (version == 0) {
        // No port says nothing; a version failure is an error box; an old controller an information box.
        if (feedback.Messages() == 0) {
            return noPort();
        }
        return feedback.SawFailure() ? 1 : 0;
    }
    TControllerPassword::Result result;
    switch (m_action) {
    case Action::Login:
        result = password.Login(m_code);
        break;
    case Action::Logout:
        result = password.Logout();
        break;
    case Action::Change: {
        bool closes = false;
        result = password.Change(m_current, m_new, m_confirm, closes);
        break;
    }
    case Action::Level:
        result = password.ReadLevel();
        break;
    case Action::Code:
        result = password.ReadCode(version);
        break;
    }
    if (result.Failed) {
        return 1;
    }
    if (!result.Sent) {
        return noPort();
    }
    if (!result.Shown.isEmpty()) {
        context.Out << result.Shown << '\n';
    }
    return 0;
}
