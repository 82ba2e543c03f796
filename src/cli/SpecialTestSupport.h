#pragma once

#include "cli/Command.h"

#include "core/service/TSpecialTest.h"

#include <functional>

// One session on the controller's port for a single special-test command.
int RunSpecialTestCommand(CliContext& context, const std::function<void(TSpecialTest&)>& action);

// "on" or "off" as the last word of a switch command.
bool ParseOnOff(const QString& command, const QString& word);
