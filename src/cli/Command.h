#pragma once

#include "core/base/Family.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <stdexcept>
#include <vector>

class Clock;
class Feedback;
class TConfiguration;
class TParameterDatabase;

// A mistake in how the command line was written: reported in one line, exit code 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

struct CliContext {
    TConfiguration& Configuration;
    TParameterDatabase* Database; // open when the command asked for it
    Feedback& Ui;
    Clock& Time;
    QString Port; // the device given with --port, or empty
    QTextStream& Out;
    QTextStream& Err;
};

// One subcommand of torvex; each lives in its own file.
class Command {
public:
    virtual ~Command() = default;
    virtual QString Name() const = 0;
    virtual QString Arguments() const { return {}; } // e.g. "N"
    virtual QString Summary() const = 0;
    // Checks the command's own arguments before anything else happens; throws UsageError.
    virtual void Parse(const QStringList& arguments) = 0;
    // Commands that work on parameter sets or metadata get the database opened first.
    virtual bool NeedsDatabase() const { return false; }
    // The exit code.
    virtual int Run(CliContext& context) = 0;
    // A device the command was given after its name ("diff ... --port DEV"); empty: none.
    virtual QString PortOption() const { return {}; }
};

std::vector<std::unique_ptr<Command>> AllCommands();

// Parses a whole number for a command argument, or throws UsageError naming what it is.
int ParseIntegerArgument(const QString& text, const QString& what);

// "--family tkx|vf-tkx" as the only arguments: the parameter family 1 or 2.
Family ParseFamilyArguments(const QString& command, const QStringList& arguments);
Family ParseFamily(const QString& text);

// A command's own options ("--name VALUE" or "--name=VALUE", each allowed once) and
// its positional arguments; anything not allowed is a usage error.
struct CommandArguments {
    // flags: options that take no value ("--verify").
    CommandArguments(const QString& command, const QStringList& arguments, const QStringList& allowedOptions,
                     const QStringList& flags = {});
    QMap<QString, QString> Options;
    QStringList Positional;
    QString Value(const QString& option) const { return Options.value(option); }
    bool Has(const QString& option) const { return Options.contains(option); }
};
