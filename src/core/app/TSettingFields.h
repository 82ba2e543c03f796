#pragma once

#include "core/base/IniFile.h"
#include "core/link/TCommParameter.h"

#include <functional>
#include <memory>
#include <vector>

// Section and key names of the configuration file (defaults and ranges: SettingKeys below).
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

// One setting of the configuration file: where it is kept, the field that holds it while the
// program runs, what a missing key reads as, and for a number the range the settings dialog
// accepts. Every read and write of these settings goes through this table.
struct TSettingKey {
    const QString& Section;
    const QString& Key;
    QString TSettingFields::*Text = nullptr; // kept as the text the user typed
    bool TSettingFields::*Flag = nullptr;    // a check box
    QString Default;                         // as the file holds it
    int Minimum = 0;
    int Maximum = 0;
    bool Decimal = false; // a sign and a fraction may be typed

    bool IsNumber() const { return Minimum < Maximum; }
    void Read(const IniFile& file, TSettingFields& fields) const;
    // False when the file could not be written; the file's ErrorString() says why.
    bool Write(IniFile& file, const TSettingFields& fields) const;
    // The number a text stands for: the default when it is not one, the nearest end of the
    // range when it lies outside. `clamped` tells the caller that the range was applied.
    double Value(const QString& text, bool* clamped = nullptr) const;
};

namespace SettingKeys {
extern const TSettingKey WorkFile;
extern const TSettingKey PicturesPerFile;
extern const TSettingKey NbPicturesPerFile; // the same field under the key the General page uses
extern const TSettingKey LengthOfPicture;
extern const TSettingKey DrawSpeed;
extern const TSettingKey CurveMaxV;
extern const TSettingKey CurveMinV;
extern const TSettingKey SaveAutoEnabled;
extern const TSettingKey EEpromWrite;
extern const TSettingKey ParameterRead;
extern const TSettingKey GapForNewPage;
extern const TSettingKey PauseSending;

// What the General page reloads on entering and writes on leaving, in that order.
const std::vector<const TSettingKey*>& GeneralPage();
// The same for the Delays page.
const std::vector<const TSettingKey*>& DelaysPage();
// What start-up reads and OK writes (besides the working directory and the language).
const std::vector<const TSettingKey*>& Startup();
} // namespace SettingKeys
