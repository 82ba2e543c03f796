#include "Command.h"

#include "PortsCommand.h"
#include "TextCommand.h"

#include "app/IniFile.h"

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<PortsCommand>());
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
