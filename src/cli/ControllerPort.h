#pragma once

#include "cli/Command.h"

#include "core/link/PortReservation.h"

// The port a controller command of the command line works on: taken as the
// program takes it (standard port, else the one named with --port), released at the end.
class ControllerPort {
public:
    explicit ControllerPort(CliContext& context);

    // False (with the reason printed) when there is no port to use.
    bool Obtained() const { return static_cast<bool>(m_port); }
    TCommParameter& operator*() const { return *m_port; }
    TCommParameter* operator->() const { return m_port.Get(); }
    // Prints why the device could not be opened; the exit code for it.
    int CannotOpen() const;
    // Prints why no port could be taken.
    static void ExplainMissing(CliContext& context);

private:
    CliContext& m_context;
    PortReservation m_port;
};
