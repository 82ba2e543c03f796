#include "Command.h"

#include "IdentifyCommand.h"
#include "MetadataCommand.h"
#include "PortsCommand.h"
#include "SendCommand.h"
#include "SetsCommand.h"
#include "TextCommand.h"

#include "app/IniFile.h"

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<IdentifyCommand>());
    commands.push_back(std::make_unique<MetadataCommand>());
    commands.push_back(std::make_unique<PortsCommand>());
    commands.push_back(std::make_unique<SendCommand>());
    commands.push_back(std::make_unique<SetsCommand>());
    commands.push_back(std::make_unique<TextCommand>());
    return commands;
}

int ParseIntegerArgument(const QString& text, const QString& what) {
    int value = 0;
    if (!IniFile::ParseInteger(text, value)) {
        throw UsageError(QStringLiteral("%1 must be a whole number, not '%2'").arg(what, text));
    }
    return value;
}

int ParseFamilyArguments(const QString& command, const QStringList& arguments) {
    QString family;
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--family")) {
        family = arguments[1];
    } else if (arguments.size() == 1 && arguments[0].startsWith(QLatin1String("--family="))) {
        family = arguments[0].section(QLatin1Char('='), 1);
    } else {
        throw UsageError(QStringLiteral("%1 needs --family tkx or --family vf-tkx").arg(command));
    }
    if (family.compare(QLatin1String("tkx"), Qt::CaseInsensitive) == 0) {
        return 1;
    }
    if (family.compare(QLatin1String("vf-tkx"), Qt::CaseInsensitive) == 0) {
        return 2;
    }
    throw UsageError(QStringLiteral("unknown family '%1' (tkx or vf-tkx)").arg(family));
}
