#pragma once

#include <QString>
#include <QStringList>

// How the simulated controller is started: which family and software version it
// plays and where its serial line is.
struct TSimulatorOptions {
    enum class Family { Tkx, VfTkx };

    Family ControllerFamily = Family::Tkx;
    int SoftwareVersion = 2107; // three implied decimals: 2.107; 0 = no version reply
    QString LinkPath;           // symlink to the pty, or empty
    QString DevicePath;         // serve this device instead of a new pty
    bool ShowHelp = false;

    // Parses the arguments after the program name; false with a one-line message on a usage error.
    bool Parse(const QStringList& arguments, QString& error);
    static QString Usage();
};
