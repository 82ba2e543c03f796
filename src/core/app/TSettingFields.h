#pragma once

#include "core/base/IniFile.h"
#include "core/link/TCommParameter.h"

#include <memory>
#include <vector>

// Section and key names of the configuration file, with the defaults a missing
// key reads as.
namespace ConfigKey {
inline const QString General = QStringLiteral("General");
inline const QString Delays = QStringLiteral("Delays");
inline const QString Language = QStringLiteral("Language");
// Extra serial devices to offer besides the platform's own, separated by ";"
// (a Bluetooth port, the simulator's pty or a stable /dev/serial/by-id link).
inline const QString Ports = QStringLiteral("Ports");
inline const QString Devices = QStringLiteral("Devices");

inline const QString WorkDir = QStringLiteral("WorkDir");
inline const QString WorkFile = QStringLiteral("WorkFile");
inline const QString PicturesPerFile = QStringLiteral("PicturesPerFile");
inline const QString NbPicturesPerFile = QStringLiteral("NbPicturesPerFile");
inline const QString LengthOfPicture = QStringLiteral("LengthOfPicture");
inline const QString DrawSpeed = QStringLiteral("DrawSpeed");
inline const QString CurveMaxV = QStringLiteral("CurveMaxV");
inline const QString CurveMinV = QStringLiteral("CurveMinV");
inline const QString SaveAutoEnabled = QStringLiteral("SaveAutoEnabled");
inline const QString PauseSending = QStringLiteral("PauseSending");
inline const QString EEpromWrite = QStringLiteral("EEpromWrite");
inline const QString ParameterRead = QStringLiteral("ParameterRead");
inline const QString GapForNewPage = QStringLiteral("GapForNewPage");
inline const QString LanguageValue = QStringLiteral("LanguageValue");
inline const QString Baud = QStringLiteral("Baud");
inline const QString DataBits = QStringLiteral("DataBits");
inline const QString StopBits = QStringLiteral("StopBits");
inline const QString Parity = QStringLiteral("Parity");
inline const QString StandardPortEnabled = QStringLiteral("StandardPortEnabled");
inline const QString StandardPort = QStringLiteral("StandardPort");

inline const QString DefaultWorkFile = QStringLiteral("DataFile.dat");
constexpr int DefaultPicturesPerFile = 200;
constexpr int DefaultLengthOfPicture = 30;
constexpr int DefaultDrawSpeed = 15;
constexpr double DefaultCurveMaxV = 12.0;
constexpr double DefaultCurveMinV = -1.0;
constexpr int DefaultEEpromWrite = 100;
constexpr int DefaultParameterRead = 1000;
constexpr int DefaultGapForNewPage = 300;
} // namespace ConfigKey

// The live settings of the running program. The settings dialog edits these
// fields in place and the store's getters read them, so a typed value takes
// effect at once, saved or not. Numeric settings are kept as the text the user
// typed and become numbers only when a getter asks.
struct TSettingFields {
    IniFile ConfigFile;
    bool ConfigFileUsable = false;
    bool WorkDirUsable = true;
    QString InitialWorkDir;

    // Language choice: set by the program (not the user) since the last creation,
    // and changed since the last OK.
    bool LanguageProgrammatic = true;
    bool LanguageChanged = false;

    std::vector<std::unique_ptr<TCommParameter>> Ports; // in probing order
    int PreviousPortIndex = 0;
    bool PortChoicesEnabled = true;
    bool StandardPortEnabled = false;
    QString StandardPort;

    QString WorkDirectory;
    QString TempFileName;
    QString PicturesPerFile;
    QString LengthOfPicture;
    QString DrawSpeed;
    QString CurveMaxV;
    QString CurveMinV;
    bool SaveAuto = true;

    QString EEpromWrite;
    QString ParameterRead;
    QString GapForNewPage;
    bool PauseSending = true;
};
