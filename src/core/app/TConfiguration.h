#pragma once

#include "core/app/TSettingFields.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/TLogger.h"
#include "core/link/PortReservation.h"
#include "core/link/SerialPort.h"
#include "core/link/TTorvexController.h"

#include <QString>

#include <cstdint>
#include <functional>

// What the configuration store needs to know about the machine it runs on.
// The defaults describe this process; tests and the command line change parts.
struct TConfigurationEnvironment {
    QString ExecutablePath;  // full path of the program file
    QString DocumentsFolder; // may be empty: the configuration directory is then relative
    // Base name of the configuration files; empty: the executable's name up to its first ".".
    // The command line passes the GUI's name so both share one configuration.
    QString BaseName;
    // A working directory for this run only (command line); its database
    // directory is created without a question.
    QString WorkDirOverride;
    // A language value for this run only (command line), never written.
    int LanguageOverride = 0;
    std::function<QStringList()> PortCandidates;   // platform devices in probing order
    std::function<bool(const QString&)> PortOpens; // can the device be opened exclusively now?

    static TConfigurationEnvironment ForThisProcess();
};

// The process-wide configuration store: directories, the per-user settings file,
// the detected ports and the settings every other part reads.
class TConfiguration {
public:
    static inline const QString ProgramVersion = QStringLiteral("1.45");
    static inline const QString MakerFolder = QStringLiteral("Faldmark");
    static inline const QString& LogFileName = TLogger::FileName;

    TConfiguration(TConfigurationEnvironment environment, Feedback& feedback);
    TConfiguration(const TConfiguration&) = delete;
    TConfiguration& operator=(const TConfiguration&) = delete;

    QString HelpDirectory;
    QString DataDirectory; // the programs' data (DataDirectoryOf), with a trailing "/"
    QString DataFilePath;
    std::int32_t FifoCapacity = 100;
    double AnalogScale = 0.001;
    std::int32_t FrameLength = 16;
    std::uint8_t FrameStartByte = 0x0F;
    std::uint8_t FrameEndByte = 0x55;
    bool DatabaseAvailable = false;

    TSettingFields& Settings() { return m_settings; }
    // The language and unit choice of this run.
    const TLanguage& Language() const { return m_language; }
    // The one port state of the program.
    TPortState& Ports() { return m_ports; }
    // What a controller session needs of the settings.
    TLinkSettings LinkSettings() const { return {GetParameterReadTimeout(), IsPauseSending()}; }
    const TSettingFields& Settings() const { return m_settings; }

    const QString& BaseName() const { return m_baseName; }
    const QString& ConfigurationDirectory() const { return m_configurationDirectory; }
    QString ConfigurationFilePath() const;
    QString TemplateConfigurationFilePath() const;

    // The port for one window or command: the standard port, else the one the user chooses
    // among the free ones, offered with the one chosen last at the top (preselected). Empty when
    // none is free or the choice was cancelled.
    PortReservation SelectPort();
    // The free detected port of that name; empty when there is none or it is taken already.
    PortReservation ReservePort(const QString& name);
    int PortCount() const { return static_cast<int>(m_settings.Ports.size()); }
    QStringList PortNames() const;
    // Every serial device looked at when the ports were probed, also those that did not open.
    const QStringList& DeviceCandidates() const { return m_deviceCandidates; }

    int GetEepromWriteDelay() const;
    int GetGapForNewPage() const;
    int GetParameterReadTimeout() const;
    QString GetWorkDirectory() const;
    QString GetDatabaseDirectory() const { return m_databaseDirectory; }
    QString GetTemplateDatabaseDirectory() const { return DataDirectory + QStringLiteral("DataBase"); }
    int GetPicturesPerFile() const;
    bool IsSaveAutoEnabled() const { return m_settings.SaveAuto; }
    int GetLengthOfPicture() const;
    int GetDrawSpeed() const;
    double GetCurveMaxV() const;
    double GetCurveMinV() const;
    bool IsPauseSending() const { return m_settings.PauseSending; }
    int GetLanguageIndex() const;
    void SetLanguageIndex(int index) { m_language.SetIndex(index); }
    void SetDatabaseAvailable(bool available) { DatabaseAvailable = available; }
    bool IsWorkDirectoryUsable() const { return m_settings.WorkDirUsable; }
    // Whether a parameter write reads the controller back to compare (off unless chosen);
    // the choice is kept in the configuration file.
    bool IsVerifyAfterWrite() const;
    bool SetVerifyAfterWrite(bool verify);
    // The folder pictures were exported to last (the working directory at first); kept in the file.
    QString GetExportDirectory() const;
    bool SetExportDirectory(const QString& directory);

    // The database directory that belongs to a working directory.
    static QString DatabaseDirectoryFor(const QString& workDirectory);
    // Recomputes the database directory from the working-directory field.
    void UpdateDatabaseDirectory();

    // Reads these settings from the file into the fields; a number beyond its range is
    // clamped to it, with a line in the log.
    void ReadSettings(const std::vector<const TSettingKey*>& keys);
    // Where the configuration's own log lines go; lines from before it is set are passed on then.
    void SetLog(std::function<void(const QString&)> log);
    // A line into the program's log (kept until the log is set).
    void Log(const QString& line);

    // The language value stored in a configuration file: 0 or missing gives the default.
    static int LanguageValueOf(const IniFile& file, int defaultValue);

    // A language choice on the settings page: takes effect for texts fetched from
    // now on; written at once unless the program itself made the choice.
    void ChooseLanguage(int storedValue);
    // The settings page marks its initial check as the program's own.
    void MarkLanguageProgrammatic() { m_settings.LanguageProgrammatic = true; }

private:
    void CreateSettings();
    void ProbePorts();
    QString ReadWorkDir() const;
    int Number(const TSettingKey& key) const;
    // Enters (creates when asked) the database directory of the working directory.
    void CheckDatabaseDirectory(const QString& workDirectory);

    TConfigurationEnvironment m_environment;
    QStringList m_deviceCandidates;
    QString m_lastChosenPort;
    Feedback& m_feedback;
    TSettingFields m_settings;
    TLanguage m_language;
    TPortState m_ports;
    QString m_baseName;
    QString m_configurationDirectory;
    QString m_databaseDirectory;
    std::function<void(const QString&)> m_log;
    QStringList m_pendingLog;
};
