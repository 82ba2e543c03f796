#pragma once

#include "TSimulatedController.h"

#include <QString>
#include <QStringList>

// How the simulated controller is started: what it plays, where its line is,
// how fast it talks and which faults it shows.
struct TSimulatorOptions {
    TSimulatedController::Setup Controller;
    QString LinkPath;   // symlink to the pty, or empty
    QString DevicePath; // serve this device instead of a new pty
    int Baud = 19200;   // output is paced at this rate
    bool Live = false;  // stream lift runs
    bool Held = false;  // the first run waits for a cue (SIGUSR2)
    double FrameRate = 45.0;
    double RunSeconds = 8.0;
    double GapSeconds = 3.0;
    bool FaultGarbage = false;   // stray bytes between frames and runs
    bool FaultMidFrame = false;  // the stream starts in the middle of a frame
    bool FaultBadLength = false; // the sixth frame of every run is one byte short
    bool Unpaced = false;        // live data as fast as the line takes it (benchmarks)
    int Runs = -1;               // stream this many runs, then stay silent; -1: no end
    bool FaultSilence = false;   // never answers a command
    int SlowRepliesMs = 0;       // each reply starts this late
    int DropEvery = 0;           // drop every n-th byte sent
    bool ShowHelp = false;
    bool ShowVersion = false;

    // Parses the arguments after the program name; false with a one-line message on a usage error.
    bool Parse(const QStringList& arguments, QString& error);
    static QString Usage();
};
