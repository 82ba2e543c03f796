#include "core/app/TConfiguration.h"

#include "core/app/DataDirectory.h"

#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/link/PortProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

// "Entering" a directory: it exists and may be searched.
bool CanEnter(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && info.isExecutable();
}

QString WithoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

bool HasLanguageChoice(int storedValue) {
    return (storedValue >= 1 && storedValue <= 9) || storedValue == Language::UsImperialValue;
}

} // namespace

TConfigurationEnvironment TConfigurationEnvironment::ForThisProcess() {
    TConfigurationEnvironment environment;
    environment.ExecutablePath = QCoreApplication::applicationFilePath();
    environment.DocumentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // TORVEX_EXTRA_DEVICES offers further devices for this run only (the demo's simulator).
    environment.PortCandidates = [] {
        QStringList names = PortProbe::PlatformDeviceNames();
        for (const QString& device :
             qEnvironmentVariable("TORVEX_EXTRA_DEVICES").split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!names.contains(device.trimmed())) {
                names << device.trimmed();
            }
        }
        return names;
    };
    environment.PortOpens = &PortProbe::CanOpen;
    return environment;
}

TConfiguration::TConfiguration(TConfigurationEnvironment environment, Feedback& feedback)
    : m_environment(std::move(environment)), m_feedback(feedback) {
    const QFileInfo executable(m_environment.ExecutablePath);
    DataDirectory = DataDirectoryOf(m_environment.ExecutablePath);
    m_baseName = m_environment.BaseName.isEmpty() ? executable.fileName().section(QLatin1Char('.'), 0, 0)
                                                  : m_environment.BaseName;
    const QString documents = WithoutTrailingSlash(m_environment.DocumentsFolder);
    m_configurationDirectory = documents + QLatin1Char('/') + MakerFolder + QLatin1Char('/') + m_baseName;
    if (documents.isEmpty()) {
        m_configurationDirectory = MakerFolder + QLatin1Char('/') + m_baseName;
    }
    HelpDirectory = DataDirectory + QStringLiteral("HelpFiles");

    CreateSettings();

    DataFilePath = GetWorkDirectory() + QLatin1Char('/') + m_settings.TempFileName;
}

QString TConfiguration::ConfigurationFilePath() const {
    return m_configurationDirectory + QLatin1Char('/') + m_baseName + QStringLiteral(".config");
}

QString TConfiguration::TemplateConfigurationFilePath() const {
    return DataDirectory + m_baseName + QStringLiteral(".config");
}

QString TConfiguration::DatabaseDirectoryFor(const QString& workDirectory) {
    return WithoutTrailingSlash(workDirectory) + QLatin1Char('/') + ProgramVersion + QStringLiteral("/DataBase");
}

void TConfiguration::UpdateDatabaseDirectory() {
    m_databaseDirectory = DatabaseDirectoryFor(GetWorkDirectory());
}

int TConfiguration::LanguageValueOf(const IniFile& file, int defaultValue) {
    const int value = file.ReadInteger(ConfigKey::Language, ConfigKey::LanguageValue, 0);
    return value == 0 ? defaultValue : value;
}

QString TConfiguration::ReadWorkDir() const {
    if (!m_environment.WorkDirOverride.isEmpty()) {
        return WithoutTrailingSlash(m_environment.WorkDirOverride);
    }
    // An empty WorkDir would put the database at the file system's root; it means "not set".
    const QString workDir = m_settings.ConfigFile.ReadString(ConfigKey::General, ConfigKey::WorkDir, QString());
    return workDir.trimmed().isEmpty() ? m_configurationDirectory : workDir;
}

void TConfiguration::CreateSettings() {
    TSettingFields& s = m_settings;
    const QString configFilePath = ConfigurationFilePath();
    const QString templatePath = TemplateConfigurationFilePath();

    m_language.Reset();
    s.WorkDirUsable = true;
    s.LanguageProgrammatic = true;
    s.LanguageChanged = false;

    // The installation's language stands in wherever the per-user file names none,
    // also when that file exists but lacks the key.
    const int templateValue = IniFile(templatePath).ReadInteger(ConfigKey::Language, ConfigKey::LanguageValue, 0);
    if (templateValue != 0) {
        m_language.SetDefaultIndex(Language::IndexForValue(templateValue));
    }

    if (QFileInfo::exists(configFilePath)) {
        s.ConfigFileUsable = true;
        s.ConfigFile.SetPath(configFilePath);
        m_language.Choose(LanguageValueOf(s.ConfigFile, m_language.DefaultIndex()));
    } else {
        if (!QFileInfo::exists(m_configurationDirectory)) {
            QDir().mkpath(m_configurationDirectory);
            if (CanEnter(m_configurationDirectory)) {
                s.ConfigFileUsable = QFile::copy(templatePath, configFilePath);
                if (s.ConfigFileUsable) {
                    s.ConfigFile.SetPath(configFilePath);
                }
            } else {
                s.ConfigFileUsable = false;
                m_feedback.ShowMessage(MessageKind::Warning, Text(Record::Warning, m_language.DefaultIndex()),
                                       m_configurationDirectory + QLatin1Char('\r') +
                                           Text(Record::DirectoryCannotBeCreated, m_language.DefaultIndex()),
                                       MessageButtons::Ok);
            }
        }
    }
    if (m_language.Index() == 0) {
        m_language.SetIndex(m_language.DefaultIndex());
    }

    m_feedback.LanguageChosen(m_language.Index());
    CheckDatabaseDirectory(ReadWorkDir());

    if (s.WorkDirUsable && !s.ConfigFileUsable) {
        QFile::copy(templatePath, configFilePath); // a failed copy is fine: the first save creates the file
        s.ConfigFile.SetPath(configFilePath);
        s.ConfigFileUsable = true;
    }
    s.ConfigFile.SetPath(configFilePath);

    ProbePorts();

    s.PreviousPortIndex = 0;
    s.PortChoicesEnabled = !s.Ports.empty();

    s.WorkDirectory = ReadWorkDir();
    s.InitialWorkDir = s.WorkDirectory;
    UpdateDatabaseDirectory();

    ReadSettings(SettingKeys::Startup());
    const IniFile& file = s.ConfigFile;
    s.PauseSending = true; // the stored value counts only once the Delays page has been visited

    m_language.Choose(LanguageValueOf(file, m_language.DefaultIndex()));
    if (HasLanguageChoice(m_language.StoredValue())) {
        ChooseLanguage(m_language.StoredValue());
        MarkLanguageProgrammatic();
    }

    if (m_environment.LanguageOverride != 0) {
        m_language.Choose(m_environment.LanguageOverride);
    }
}

void TConfiguration::CheckDatabaseDirectory(const QString& workDirectory) {
    TSettingFields& s = m_settings;
    const QString databaseDirectory = DatabaseDirectoryFor(workDirectory);
    if (CanEnter(databaseDirectory)) {
        return;
    }
    bool create = !m_environment.WorkDirOverride.isEmpty();
    if (!create) {
        create = m_feedback.ShowMessage(MessageKind::Warning, m_language.Text(Record::Warning),
                                        m_language.Text(Record::Directory) + databaseDirectory +
                                            m_language.Text(Record::NotFoundCreate),
                                        MessageButtons::YesNo) == MessageAnswer::Yes;
        if (!create) {
            s.WorkDirUsable = false;
            m_feedback.ShowMessage(MessageKind::Warning, m_language.Text(Record::Warning),
                                   m_language.Text(Record::WorkDirAccessError), MessageButtons::Ok);
            return;
        }
    }
    QDir().mkpath(databaseDirectory);
    if (!CanEnter(databaseDirectory)) {
        s.WorkDirUsable = false;
        m_feedback.ShowMessage(MessageKind::Warning, m_language.Text(Record::Warning),
                               databaseDirectory + QStringLiteral("\r") +
                                   m_language.Text(Record::DirectoryCannotBeCreated),
                               MessageButtons::Ok);
    }
}

void TConfiguration::ProbePorts() {
    TSettingFields& s = m_settings;
    QStringList candidates = m_environment.PortCandidates ? m_environment.PortCandidates() : QStringList();
    const QString extra = s.ConfigFile.ReadString(ConfigKey::Ports, ConfigKey::Devices, QString());
    for (const QString& device : extra.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString path = device.trimmed();
        if (!path.isEmpty() && !candidates.contains(path)) {
            candidates << path;
        }
    }
    m_deviceCandidates = candidates;
    for (const QString& name : candidates) {
        if (!m_environment.PortOpens || !m_environment.PortOpens(name)) {
            continue;
        }
        auto port = std::make_unique<TCommParameter>(name);
        port->SetBaud(s.ConfigFile.ReadInteger(name, ConfigKey::Baud, port->Baud));
        port->SetDataBits(s.ConfigFile.ReadInteger(name, ConfigKey::DataBits, port->DataBits));
        port->SetStopBitsFromText(s.ConfigFile.ReadString(name, ConfigKey::StopBits, port->StopBitsAsText()));
        port->SetParityFromText(s.ConfigFile.ReadString(name, ConfigKey::Parity, port->ParityAsText()));
        s.StandardPortEnabled = s.ConfigFile.ReadBool(name, ConfigKey::StandardPortEnabled, false);
        s.StandardPort = s.ConfigFile.ReadString(name, ConfigKey::StandardPort, QString());
        if (s.StandardPort.isEmpty()) {
            s.StandardPortEnabled = false;
        }
        s.Ports.push_back(std::move(port));
    }
}

QStringList TConfiguration::PortNames() const {
    QStringList names;
    for (const auto& port : m_settings.Ports) {
        names << port->Name;
    }
    return names;
}

PortReservation TConfiguration::ReservePort(const QString& name) {
    for (const auto& port : m_settings.Ports) {
        if (port->Name == name) {
            // Two holders of one port would give it back twice: the second asks in vain.
            return port->InUse ? PortReservation() : PortReservation(*port);
        }
    }
    return {};
}

PortReservation TConfiguration::SelectPort() {
    if (m_settings.StandardPortEnabled) {
        for (const auto& port : m_settings.Ports) {
            if (port->Name == m_settings.StandardPort) {
                return ReservePort(port->Name);
            }
        }
    }
    QStringList free;
    for (const auto& port : m_settings.Ports) {
        if (!port->InUse) {
            free << port->Name;
        }
    }
    if (free.removeOne(m_lastChosenPort)) {
        free.prepend(m_lastChosenPort);
    }
    const std::optional<QString> chosen = m_feedback.ChoosePort(free);
    if (!chosen) {
        return {};
    }
    m_lastChosenPort = *chosen;
    return ReservePort(*chosen);
}

int TConfiguration::GetEepromWriteDelay() const {
    return Number(SettingKeys::EEpromWrite);
}

int TConfiguration::GetGapForNewPage() const {
    return Number(SettingKeys::GapForNewPage);
}

int TConfiguration::GetParameterReadTimeout() const {
    return Number(SettingKeys::ParameterRead);
}

QString TConfiguration::GetWorkDirectory() const {
    return WithoutTrailingSlash(m_settings.WorkDirectory);
}

int TConfiguration::GetPicturesPerFile() const {
    return Number(SettingKeys::PicturesPerFile);
}

int TConfiguration::GetLengthOfPicture() const {
    return Number(SettingKeys::LengthOfPicture);
}

int TConfiguration::GetDrawSpeed() const {
    return Number(SettingKeys::DrawSpeed);
}

double TConfiguration::GetCurveMaxV() const {
    return SettingKeys::CurveMaxV.Value(m_settings.CurveMaxV);
}

double TConfiguration::GetCurveMinV() const {
    return SettingKeys::CurveMinV.Value(m_settings.CurveMinV);
}

int TConfiguration::Number(const TSettingKey& key) const {
    // Typed values are kept as typed; the range applies here too, so no getter ever hands out
    // a value the dialog would not accept.
    return static_cast<int>(key.Value(m_settings.*key.Text));
}

void TConfiguration::ReadSettings(const std::vector<const TSettingKey*>& keys) {
    for (const TSettingKey* key : keys) {
        key->Read(m_settings.ConfigFile, m_settings);
        if (!key->IsNumber()) {
            continue;
        }
        QString& text = m_settings.*key->Text;
        bool clamped = false;
        const double value = key->Value(text, &clamped);
        if (clamped) {
            // A value edited into the file beyond what the dialog accepts (a reply timeout of
            // days) is used at the nearest end of the range, and the log says so.
            const QString limited = QString::number(value, 'g', 12);
            Log(QStringLiteral("Configuration: %1=%2 is outside %3..%4, %5 is used")
                    .arg(key->Key, text.trimmed(), QString::number(key->Minimum), QString::number(key->Maximum),
                         limited));
            text = limited;
        }
    }
}

void TConfiguration::SetLog(std::function<void(const QString&)> log) {
    m_log = std::move(log);
    if (m_log) {
        for (const QString& line : std::exchange(m_pendingLog, {})) {
            m_log(line);
        }
    }
}

void TConfiguration::Log(const QString& line) {
    if (m_log) {
        m_log(line);
    } else {
        m_pendingLog << line; // the log starts after the configuration: its lines wait for it
    }
}

int TConfiguration::GetLanguageIndex() const {
    if (m_environment.LanguageOverride != 0) {
        return Language::IndexForValue(m_environment.LanguageOverride);
    }
    return Language::IndexForValue(LanguageValueOf(m_settings.ConfigFile, m_language.DefaultIndex()));
}

void TConfiguration::ChooseLanguage(int storedValue) {
    m_language.Choose(storedValue);
    if (!m_settings.LanguageProgrammatic) {
        m_settings.ConfigFile.WriteInteger(ConfigKey::Language, ConfigKey::LanguageValue, storedValue);
    }
    m_settings.LanguageProgrammatic = false;
    m_settings.LanguageChanged = true;
}

bool TConfiguration::IsVerifyAfterWrite() const {
    return m_settings.ConfigFile.ReadBool(QStringLiteral("General"), QStringLiteral("VerifyWrite"), false);
}

bool TConfiguration::SetVerifyAfterWrite(bool verify) {
    return m_settings.ConfigFile.WriteBool(QStringLiteral("General"), QStringLiteral("VerifyWrite"), verify);
}

QString TConfiguration::GetExportDirectory() const {
    const QString stored =
        m_settings.ConfigFile.ReadString(QStringLiteral("General"), QStringLiteral("ExportFolder"), QString());
    return stored.isEmpty() || !QFileInfo(stored).isDir() ? GetWorkDirectory() : stored;
}

bool TConfiguration::SetExportDirectory(const QString& directory) {
    return m_settings.ConfigFile.WriteString(QStringLiteral("General"), QStringLiteral("ExportFolder"), directory);
}
