#pragma once

#include "core/link/PortReservation.h"
#include "core/link/TTorvexController.h"

#include <functional>
#include <memory>

class Clock;
class Feedback;
class TCommParameter;
class TConfiguration;

// What an operation needs to reach the controller: the configuration (ports,
// timeouts), the user (messages, busy cursor), the clock, and the way a session
// is opened on a port: a real serial session, or the simulated controller under test.
struct TControllerAccess {
    using SessionOpener = std::function<std::unique_ptr<TTorvexController>(const TCommParameter&)>;

    TControllerAccess(TConfiguration& configuration, Feedback& feedback, Clock& clock);

    TConfiguration& Configuration;
    Feedback& Ui;
    Clock& Time;
    SessionOpener OpenSession;
    // Asked between two parameters of a long transfer: true ends it there, never inside a command
    // (the command line's Ctrl+C). Unset: a transfer runs to its end.
    std::function<bool()> StopRequested;
    bool Stopping() const { return StopRequested && StopRequested(); }

    // The port the first session of an operation of several (a version check, then the login)
    // was opened on: the later ones take it without asking again.
    QString ChosenPort;
    // ChosenPort while it is free, otherwise the port the configuration selects.
    PortReservation TakePort();
};

// Tells the user that the line to the controller failed: the error box every controller
// operation shows when a command or a reply did not get through.
void ShowTransferError(TControllerAccess& access);

// The commands of the main menu that only send one controller command.
enum class MainCommand { LoadFactorySettings, LoadUserSettings, SaveUserSettings, ResetErrorList };

// Selects a port, sends the command in a session of its own and waits as long as
// the controller needs to carry it out. Reports only a command that did not reach the line
// (a transfer error); false when no port was obtained.
bool RunMainCommand(TControllerAccess& access, MainCommand command);

// The controller's seven-digit software version, or 99998 (then the user has been
// told why, or no port was available). The first session of its operation: the port it
// chose becomes the access's ChosenPort.
int CheckControllerVersion(TControllerAccess& access);
