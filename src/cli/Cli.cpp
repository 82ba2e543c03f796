#include "cli/Cli.h"

#include "cli/CliFeedback.h"
#include "cli/Command.h"

#include "core/base/Clock.h"
#include "core/base/Language.h"
#include "core/params/TParameterDatabase.h"

namespace {

QString HelpText() {
    QString help = QStringLiteral(
        "Usage: torvex [--workdir DIR] [--language VALUE] COMMAND [ARGUMENTS]\n"
        "Service tool for the electronic valve controllers of hydraulic lifts, on the command line.\n"
        "Shares its configuration with WinTorvex32.\n\n"
        "Options:\n"
        "  -h, --help          show this help and exit\n"
        "  --version           show the program version and exit\n"
        "  --workdir DIR       working directory for this run (its database directory is created when missing)\n"
        "  --language VALUE    language for this run: 1 German, 2 English, 3 French, 4 Italian, 5 Spanish,\n"
        "                      6 Polish, 7 Chinese, 8 Japanese, 9 Simplified Chinese, 102 English (US units)\n"
        "  --port DEVICE       the serial device of the controller (otherwise the configured standard port)\n"
        "  --reply-timeout MS  silence that ends a controller reply (default: the configured one, 1000)\n"
        "  --pause-sending 0|1 send commands one character at a time (default 1)\n"
        "  --eeprom-delay MS   pause after each parameter written (default: the configured one, 100)\n"
        "  --gap-for-new-page MS  silence that ends a recorded run (default: the configured one, 300)\n"
        "  --yes, --no         the answer to questions (default --yes)\n\n"
        "Commands:\n");
    for (const auto& command : AllCommands()) {
        const QString head = (command->Name() + QLatin1Char(' ') + command->Arguments()).trimmed();
        // A long synopsis gets a line of its own, the summary goes under it.
        const QString separator = head.size() < 20 ? QString(20 - head.size(), QLatin1Char(' '))
                                                   : QStringLiteral("\n") + QString(22, QLatin1Char(' '));
        help += QStringLiteral("  ") + head + separator + command->Summary() + QLatin1Char('\n');
    }
    return help;
}

int ParseLanguageValue(const QString& text) {
    const int value = ParseIntegerArgument(text, QStringLiteral("--language"));
    if (!((value >= 1 && value <= 9) || value == Language::UsImperialValue)) {
        throw UsageError(QStringLiteral("--language must be 1..9 or 102, not %1").arg(value));
    }
    return value;
}

} // namespace

int RunCli(const QStringList& arguments, TConfigurationEnvironment environment, QTextStream& out, QTextStream& err) {
    QString port;
    QString replyTimeout;
    int pauseSending = -1;
    QString eepromDelay;
    QString gapForNewPage;
    bool answerYes = true;
    try {
        qsizetype i = 0;
        for (; i < arguments.size(); ++i) {
            const QString& argument = arguments[i];
            if (!argument.startsWith(QLatin1Char('-'))) {
                break;
            }
            const QString name = argument.section(QLatin1Char('='), 0, 0);
            const bool inlineValue = argument.contains(QLatin1Char('='));
            const auto value = [&]() -> QString {
                if (inlineValue) {
                    return argument.section(QLatin1Char('='), 1);
                }
                if (i + 1 >= arguments.size()) {
                    throw UsageError(QStringLiteral("%1 needs a value").arg(name));
                }
                return arguments[++i];
            };
            if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
                out << HelpText();
                return 0;
            }
            if (name == QLatin1String("--version")) {
                out << "torvex " << TConfiguration::ProgramVersion << '\n';
                return 0;
            }
            if (name == QLatin1String("--yes") || name == QLatin1String("--no")) {
                answerYes = name == QLatin1String("--yes");
                continue;
            }
            if (name == QLatin1String("--workdir")) {
                environment.WorkDirOverride = value();
                if (environment.WorkDirOverride.isEmpty()) {
                    throw UsageError(QStringLiteral("--workdir needs a directory"));
                }
            } else if (name == QLatin1String("--language")) {
                environment.LanguageOverride = ParseLanguageValue(value());
            } else if (name == QLatin1String("--port")) {
                port = value();
                if (port.isEmpty()) {
                    throw UsageError(QStringLiteral("--port needs a device"));
                }
            } else if (name == QLatin1String("--reply-timeout")) {
                const int ms = ParseIntegerArgument(value(), QStringLiteral("--reply-timeout"));
                if (ms < 1 || ms > 32000) {
                    throw UsageError(QStringLiteral("--reply-timeout must be 1..32000 ms"));
                }
                replyTimeout = QString::number(ms);
            } else if (name == QLatin1String("--eeprom-delay")) {
                const int ms = ParseIntegerArgument(value(), QStringLiteral("--eeprom-delay"));
                if (ms < 0 || ms > 32000) {
                    throw UsageError(QStringLiteral("--eeprom-delay must be 0..32000 ms"));
                }
                eepromDelay = QString::number(ms);
            } else if (name == QLatin1String("--gap-for-new-page")) {
                const int ms = ParseIntegerArgument(value(), QStringLiteral("--gap-for-new-page"));
                if (ms < 1 || ms > 32000) {
                    throw UsageError(QStringLiteral("--gap-for-new-page must be 1..32000 ms"));
                }
                gapForNewPage = QString::number(ms);
            } else if (name == QLatin1String("--pause-sending")) {
                const QString flag = value();
                if (flag != QLatin1String("0") && flag != QLatin1String("1")) {
                    throw UsageError(QStringLiteral("--pause-sending must be 0 or 1"));
                }
                pauseSending = flag.toInt();
            } else {
                throw UsageError(QStringLiteral("unknown option %1").arg(argument));
            }
        }
        if (i >= arguments.size()) {
            throw UsageError(QStringLiteral("no command given (try torvex --help)"));
        }
        const QString commandName = arguments[i];
        for (const auto& command : AllCommands()) {
            if (command->Name() == commandName) {
                command->Parse(arguments.mid(i + 1));
                if (port.isEmpty()) {
                    port = command->PortOption();
                }
                if (!port.isEmpty()) {
                    // The named device is probed like the platform's own, so its settings apply.
                    auto candidates = environment.PortCandidates;
                    environment.PortCandidates = [candidates, port] {
                        QStringList names = candidates ? candidates() : QStringList();
                        if (!names.contains(port)) {
                            names << port;
                        }
                        return names;
                    };
                }
                CliFeedback feedback(err, port, answerYes);
                TConfiguration configuration(std::move(environment), feedback);
                if (!replyTimeout.isEmpty()) {
                    configuration.Settings().ParameterRead = replyTimeout;
                }
                if (!eepromDelay.isEmpty()) {
                    configuration.Settings().EEpromWrite = eepromDelay;
                }
                if (!gapForNewPage.isEmpty()) {
                    configuration.Settings().GapForNewPage = gapForNewPage;
                }
                if (pauseSending >= 0) {
                    configuration.Settings().PauseSending = pauseSending == 1;
                }
                std::unique_ptr<TParameterDatabase> database;
                if (command->NeedsDatabase()) {
                    // The reason was shown through the feedback already.
                    if (!configuration.IsWorkDirectoryUsable()) {
                        return 1;
                    }
                    database = std::make_unique<TParameterDatabase>(configuration, feedback);
                    if (!database->OpenDatabase()) {
                        return 1;
                    }
                }
                SystemClock clock;
                CliContext context{configuration, database.get(), feedback, clock, port, out, err};
                try {
                    return command->Run(context);
                } catch (const TableError& error) {
                    err << "torvex: " << error.Message() << Qt::endl;
                    return 1;
                }
            }
        }
        throw UsageError(QStringLiteral("unknown command '%1' (try torvex --help)").arg(commandName));
    } catch (const UsageError& error) {
        err << "torvex: " << error.Message() << Qt::endl;
        return 2;
    }
}
