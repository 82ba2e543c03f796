#pragma once

#include "cli/Command.h"

#include "core/service/TSpecialTest.h"

#include <functional>

// One session on the controller's port for a single special-test command. The action returns
// whether it got through; a failure has been told (a failed line by the special test itself).
// The exit code.
int RunSpecialTestCommand(CliContext& context, const std::function<bool(TSpecialTest&)>& action);

// "on" or "off" as the last word of a switch command.
bool ParseOnOff(const QString& command, const QString& word);
