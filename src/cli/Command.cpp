#include "cli/Command.h"

#include "cli/DiffCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ExportRunCommand.h"
#include "cli/FactoryCheckCommand.h"
#include "cli/FactorySendCommand.h"
#include "cli/IdentifyCommand.h"
#include "cli/ImportCommand.h"
#include "cli/LedCommand.h"
#include "cli/LogbookCommand.h"
#include "cli/MetadataCommand.h"
#include "cli/PasswordCommand.h"
#include "cli/PicturesCommand.h"
#include "cli/PortsCommand.h"
#include "cli/PrintCommand.h"
#include "cli/QueryCommand.h"
#include "cli/ReadCommand.h"
#include "cli/RecordCommand.h"
#include "cli/RelayCommand.h"
#include "cli/SegmentsCommand.h"
#include "cli/SendCommand.h"
#include "cli/SetsCommand.h"
#include "cli/TextCommand.h"
#include "cli/WriteCommand.h"
#include "cli/ZeroPointCommand.h"

#include "core/base/IniFile.h"

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ExportCommand>());
    commands.push_back(std::make_unique<FactoryCheckCommand>());
    commands.push_back(std::make_unique<FactorySendCommand>());
    commands.push_back(std::make_unique<IdentifyCommand>());
    commands.push_back(std::make_unique<ImportCommand>());
    commands.push_back(std::make_unique<MetadataCommand>());
    commands.push_back(std::make_unique<PortsCommand>());
    commands.push_back(std::make_unique<PrintCommand>());
    commands.push_back(std::make_unique<ReportCommand>());
    commands.push_back(std::make_unique<ReadCommand>());
    commands.push_back(std::make_unique<SendCommand>());
    commands.push_back(std::make_unique<SetsCommand>());
    commands.push_back(std::make_unique<WriteCommand>());
    commands.push_back(std::make_unique<DiffCommand>());
    commands.push_back(std::make_unique<LogbookCommand>());
    commands.push_back(std::make_unique<TextCommand>());
    commands.push_back(std::make_unique<PasswordCommand>());
    commands.push_back(std::make_unique<ZeroPointCommand>());
    commands.push_back(std::make_unique<LedCommand>());
    commands.push_back(std::make_unique<RelayCommand>());
    commands.push_back(std::make_unique<SegmentsCommand>());
    commands.push_back(std::make_unique<QueryCommand>());
    commands.push_back(std::make_unique<RecordCommand>());
    commands.push_back(std::make_unique<PicturesCommand>());
    commands.push_back(std::make_unique<ExportRunCommand>());
    return commands;
}

int ParseIntegerArgument(const QString& text, const QString& what) {
    int value = 0;
    if (!IniFile::ParseInteger(text, value)) {
        throw UsageError(QStringLiteral("%1 must be a whole number, not '%2'").arg(what, text));
    }
    return value;
}

CommandArguments::CommandArguments(const QString& command, const QStringList& arguments,
                                   const QStringList& allowedOptions, const QStringList& flags) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--"))) {
            Positional << argument;
            continue;
        }
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (flags.contains(argument)) {
            if (Options.contains(argument)) {
                throw UsageError(QStringLiteral("%1 given twice").arg(argument));
            }
            Options.insert(argument, QString());
            continue;
        }
        if (!allowedOptions.contains(name)) {
            throw UsageError(QStringLiteral("%1 does not know the option %2").arg(command, name));
        }
        if (Options.contains(name)) {
            throw UsageError(QStringLiteral("%1 given twice").arg(name));
        }
        if (argument.contains(QLatin1Char('='))) {
            Options.insert(name, argument.section(QLatin1Char('='), 1));
        } else if (i + 1 < arguments.size()) {
            Options.insert(name, arguments[++i]);
        } else {
            throw UsageError(QStringLiteral("%1 needs a value").arg(name));
        }
    }
}

Family ParseFamilyArguments(const QString& command, const QStringList& arguments) {
    const CommandArguments parsed(command, arguments, {QStringLiteral("--family")});
    if (!parsed.Has(QStringLiteral("--family")) || !parsed.Positional.isEmpty()) {
        throw UsageError(QStringLiteral("%1 needs --family tkx or --family vf-tkx").arg(command));
    }
    return ParseFamily(parsed.Value(QStringLiteral("--family")));
}

Family ParseFamily(const QString& family) {
    if (family.compare(QLatin1String("tkx"), Qt::CaseInsensitive) == 0) {
        return Family::Tkx;
    }
    if (family.compare(QLatin1String("vf-tkx"), Qt::CaseInsensitive) == 0) {
        return Family::VfTkx;
    }
    throw UsageError(QStringLiteral("unknown family '%1' (tkx or vf-tkx)").arg(family));
}
