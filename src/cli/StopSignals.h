#pragma once

#include <csignal>

// While it lives, SIGINT and SIGTERM do not end the program: they are announced, on an eventfd a
// waiting command can poll, and as a flag a transfer asks between two parameters, so the controller
// is never left inside a command. The old handling comes back after.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int Fd() const { return m_fd; }
    // Whether a stop signal came since this object was made.
    static bool Requested();

    // The exit code of a command a stop signal ended (as a shell reports one that SIGINT ended).
    static constexpr int kExitCode = 130;

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
    int m_fd = -1;
};
