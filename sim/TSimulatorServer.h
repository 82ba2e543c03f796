#pragma once

#include "TSimulatorOptions.h"

#include <atomic>
#include <cstdio>

// Serves the simulated controller on a pseudo terminal (or a real serial device):
// answers commands, streams lift runs when asked, and paces every byte it sends
// at the configured baud rate, since a pty itself would pass them at any speed.
class TSimulatorServer {
public:
    explicit TSimulatorServer(TSimulatorOptions options) : m_options(std::move(options)) {}
    ~TSimulatorServer();
    TSimulatorServer(const TSimulatorServer&) = delete;
    TSimulatorServer& operator=(const TSimulatorServer&) = delete;

    // Opens the line; false with a message when it cannot.
    bool Start(QString& error);
    // The device the program is to open.
    QString DevicePath() const { return m_devicePath; }
    // Serves until stop becomes true; commands are logged to the given stream. Whenever `marks`
    // grows, the line "torvex-sim: mark" is logged once everything received so far has been
    // taken and logged: a test's way to know the log is complete without waiting for quiet.
    void Run(const std::atomic<bool>& stop, std::FILE* log, const std::atomic<int>* marks = nullptr,
             const std::atomic<int>* cues = nullptr);

private:
    TSimulatorOptions m_options;
    QString m_devicePath;
    int m_fd = -1;      // the side the simulator reads and writes
    int m_slaveFd = -1; // kept open so the pty survives the program closing it
};
