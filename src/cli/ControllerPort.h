#pragma once

#include "cli/Command.h"

#include "core/link/TCommParameter.h"

// The port a controller command of the command line works on: taken as the
// program takes it (standard port, else the one named with --port), released at the end.
class ControllerPort {
public:
    explicit ControllerPort(CliContext& context);
    ~ControllerPort();
    ControllerPort(const ControllerPort&) = delete;
    ControllerPort& operator=(const ControllerPort&) = delete;

    // False (with the reason printed) when there is no port to use.
    bool Obtained() const { return m_port != nullptr; }
    TCommParameter& operator*() const { return *m_port; }
    TCommParameter* operator->() const { return m_port; }
    // Prints why the device could not be opened; the exit code for it.
    int CannotOpen() const;
    // Prints why no port could be taken.
    static void ExplainMissing(CliContext& context);

private:
    CliContext& m_context;
    TCommParameter* m_port = nullptr;
};
