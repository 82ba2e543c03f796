#include "core/app/TSettingsEditor.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool Positive(const QString& text) {
    int value = 0;
    return IniFile::ParseInteger(text, value) && value > 0;
}

void DefaultWhenEmpty(QString& field, const char* value) {
    if (field.trimmed().isEmpty()) {
        field = QLatin1String(value);
    }
}

} // namespace

TSettingsEditor::TSettingsEditor(TConfiguration& configuration, Feedback& feedback, TParameterDatabase* database)
    : m_configuration(configuration), m_feedback(feedback), m_database(database) {}

void TSettingsEditor::EnterGeneralPage() {
    TSettingFields& s = m_configuration.Settings();
    const IniFile& file = s.ConfigFile;
    s.PicturesPerFile = file.ReadString(ConfigKey::General, ConfigKey::NbPicturesPerFile, QStringLiteral("200"));
    s.LengthOfPicture = file.ReadString(ConfigKey::General, ConfigKey::LengthOfPicture, QStringLiteral("30"));
    s.DrawSpeed = file.ReadString(ConfigKey::General, ConfigKey::DrawSpeed, QStringLiteral("15"));
    s.CurveMaxV = file.ReadString(ConfigKey::General, ConfigKey::CurveMaxV, QStringLiteral("12"));
    s.CurveMinV = file.ReadString(ConfigKey::General, ConfigKey::CurveMinV, QStringLiteral("-1"));
    s.SaveAuto = file.ReadBool(ConfigKey::General, ConfigKey::SaveAutoEnabled, true);
}

void TSettingsEditor::LeaveGeneralPage() {
    TSettingFields& s = m_configuration.Settings();
    if (!Positive(s.PicturesPerFile)) {
        s.PicturesPerFile = QStringLiteral("200");
    }
    if (!Positive(s.LengthOfPicture)) {
        s.LengthOfPicture = QStringLiteral("30");
    }
    if (!Positive(s.DrawSpeed)) {
        s.DrawSpeed = QStringLiteral("15");
    }
    DefaultWhenEmpty(s.CurveMaxV, "12");
    DefaultWhenEmpty(s.CurveMinV, "-1");
    if (s.ConfigFileUsable) {
        IniFile& file = s.ConfigFile;
        file.WriteString(ConfigKey::General, ConfigKey::NbPicturesPerFile, s.PicturesPerFile);
        file.WriteString(ConfigKey::General, ConfigKey::LengthOfPicture, s.LengthOfPicture);
        file.WriteString(ConfigKey::General, ConfigKey::DrawSpeed, s.DrawSpeed);
        file.WriteString(ConfigKey::General, ConfigKey::CurveMaxV, s.CurveMaxV);
        file.WriteString(ConfigKey::General, ConfigKey::CurveMinV, s.CurveMinV);
        file.WriteBool(ConfigKey::General, ConfigKey::SaveAutoEnabled, s.SaveAuto);
    }
}

void TSettingsEditor::EnterDelaysPage() {
    TSettingFields& s = m_configuration.Settings();
    const IniFile& file = s.ConfigFile;
    s.EEpromWrite = file.ReadString(ConfigKey::Delays, ConfigKey::EEpromWrite, QStringLiteral("100"));
    s.ParameterRead = file.ReadString(ConfigKey::Delays, ConfigKey::ParameterRead, QStringLiteral("1000"));
    s.GapForNewPage = file.ReadString(ConfigKey::Delays, ConfigKey::GapForNewPage, QStringLiteral("300"));
    s.PauseSending = file.ReadBool(ConfigKey::General, ConfigKey::PauseSending, true);
}

void TSettingsEditor::LeaveDelaysPage() {
    TSettingFields& s = m_configuration.Settings();
    if (s.ConfigFileUsable) {
        IniFile& file = s.ConfigFile;
        file.WriteString(ConfigKey::Delays, ConfigKey::EEpromWrite, s.EEpromWrite);
        file.WriteString(ConfigKey::Delays, ConfigKey::ParameterRead, s.ParameterRead);
        file.WriteString(ConfigKey::Delays, ConfigKey::GapForNewPage, s.GapForNewPage);
        file.WriteBool(ConfigKey::General, ConfigKey::PauseSending, s.PauseSending);
    }
}

void TSettingsEditor::StorePortChoices(int portIndex, const PortChoiceTexts& choices) {
    auto& ports = m_configuration.Settings().Ports;
    if (portIndex < 0 || portIndex >= static_cast<int>(ports.size())) {
        return;
    }
    TCommParameter& port = *ports[static_cast<std::size_t>(portIndex)];
    if (!choices.Baud.isEmpty()) {
        port.SetBaudFromText(choices.Baud);
    }
    if (!choices.DataBits.isEmpty()) {
        port.SetDataBitsFromText(choices.DataBits);
    }
    if (!choices.StopBits.isEmpty()) {
        port.SetStopBitsFromText(choices.StopBits);
    }
    if (!choices.Parity.isEmpty()) {
        port.SetParityFromText(choices.Parity);
    }
}

TSettingsEditor::PortChoiceTexts TSettingsEditor::PortChoicesOf(int portIndex) const {
    const auto& ports = m_configuration.Settings().Ports;
    if (portIndex < 0 || portIndex >= static_cast<int>(ports.size())) {
        return {};
    }
    const TCommParameter& port = *ports[static_cast<std::size_t>(portIndex)];
    return {port.BaudAsText(), port.DataBitsAsText(), port.StopBitsAsText(), port.ParityAsText()};
}

void TSettingsEditor::ChoosePort(int newIndex, const PortChoiceTexts& shown) {
    TSettingFields& s = m_configuration.Settings();
    StorePortChoices(s.PreviousPortIndex, shown);
    s.PreviousPortIndex = newIndex;
}

QString TSettingsEditor::StoredWorkDir() const {
    const TSettingFields& s = m_configuration.Settings();
    const QString stored = s.ConfigFile.ReadString(ConfigKey::General, ConfigKey::WorkDir, QString());
    return stored.trimmed().isEmpty() ? s.InitialWorkDir : stored;
}

bool TSettingsEditor::Ok(int selectedPortIndex, const PortChoiceTexts& shown, const QString& dialogTitle) {
    TSettingFields& s = m_configuration.Settings();
    IniFile& file = s.ConfigFile;

    if (selectedPortIndex >= 0) {
        StorePortChoices(selectedPortIndex, shown);
        for (const auto& port : s.Ports) {
            if (!s.ConfigFileUsable) {
                break;
            }
            file.WriteInteger(port->Name, ConfigKey::Baud, port->Baud);
            file.WriteInteger(port->Name, ConfigKey::DataBits, port->DataBits);
            file.WriteString(port->Name, ConfigKey::StopBits, port->StopBitsAsText());
            file.WriteString(port->Name, ConfigKey::Parity, port->ParityAsText());
            file.WriteBool(port->Name, ConfigKey::StandardPortEnabled, s.StandardPortEnabled);
            file.WriteString(port->Name, ConfigKey::StandardPort, s.StandardPort);
        }
    }

    DefaultWhenEmpty(s.PicturesPerFile, "200");
    DefaultWhenEmpty(s.LengthOfPicture, "30");
    DefaultWhenEmpty(s.DrawSpeed, "15");
    DefaultWhenEmpty(s.CurveMaxV, "12");
    DefaultWhenEmpty(s.CurveMinV, "-1");

    bool stayOpen = false;
    if (!s.WorkDirectory.trimmed().isEmpty()) {
        const QString databaseDirectory = TConfiguration::DatabaseDirectoryFor(s.WorkDirectory);
        if (!QFileInfo(databaseDirectory).isDir()) {
            const MessageAnswer answer =
                m_feedback.ShowMessage(MessageKind::Warning, dialogTitle,
                                       m_configuration.Language().Text(Record::Directory) + databaseDirectory +
                                           m_configuration.Language().Text(Record::NotFoundCreate),
                                       MessageButtons::YesNo);
            if (answer == MessageAnswer::Yes) {
                s.WorkDirUsable = QDir().mkpath(databaseDirectory);
                const QFileInfo created(databaseDirectory);
                if (!created.isDir() || !created.isExecutable()) {
                    m_feedback.ShowMessage(MessageKind::Error, dialogTitle,
                                           m_configuration.Language().Text(Record::DirectoryCannotBeCreated),
                                           MessageButtons::Ok);
                    stayOpen = true;
                    s.WorkDirUsable = false;
                    s.WorkDirectory = StoredWorkDir();
                }
                if (s.ConfigFileUsable) {
                    file.WriteString(ConfigKey::General, ConfigKey::WorkDir, s.WorkDirectory);
                }
            } else {
                stayOpen = true;
                s.WorkDirectory = StoredWorkDir();
            }
        } else if (s.ConfigFileUsable) {
            file.WriteString(ConfigKey::General, ConfigKey::WorkDir, s.WorkDirectory);
        }
    } else {
        s.WorkDirectory = StoredWorkDir();
    }
    // Whatever folder is the working directory now is usable exactly when its database
    // folder exists and can be written: also one refused at start-up and fixed since.
    const QFileInfo databaseFolder(TConfiguration::DatabaseDirectoryFor(s.WorkDirectory));
    s.WorkDirUsable = databaseFolder.isDir() && databaseFolder.isWritable() && databaseFolder.isExecutable();

    // The database follows the working directory: never left open on a folder the log
    // and the data files have moved away from.
    if (m_database != nullptr) {
        m_database->CloseDatabase();
    }
    if (s.WorkDirUsable) {
        m_configuration.UpdateDatabaseDirectory();
        if (m_database != nullptr) {
            m_database->OpenDatabase();
        }
    }

    if (s.ConfigFileUsable) {
        file.WriteString(ConfigKey::General, ConfigKey::WorkFile, s.TempFileName);
        file.WriteString(ConfigKey::General, ConfigKey::PicturesPerFile, s.PicturesPerFile);
        file.WriteString(ConfigKey::General, ConfigKey::LengthOfPicture, s.LengthOfPicture);
        file.WriteString(ConfigKey::General, ConfigKey::DrawSpeed, s.DrawSpeed);
        file.WriteString(ConfigKey::General, ConfigKey::CurveMaxV, s.CurveMaxV);
        file.WriteString(ConfigKey::General, ConfigKey::CurveMinV, s.CurveMinV);
        file.WriteBool(ConfigKey::General, ConfigKey::SaveAutoEnabled, s.SaveAuto);
        file.WriteString(ConfigKey::Delays, ConfigKey::EEpromWrite, s.EEpromWrite);
        file.WriteString(ConfigKey::Delays, ConfigKey::ParameterRead, s.ParameterRead);
        file.WriteString(ConfigKey::Delays, ConfigKey::GapForNewPage, s.GapForNewPage);
        file.WriteInteger(ConfigKey::Language, ConfigKey::LanguageValue, m_configuration.Language().StoredValue());
    }

    if (s.LanguageChanged && !s.LanguageProgrammatic) {
        m_feedback.ShowMessage(MessageKind::Information, dialogTitle, m_configuration.Language().Text(134),
                               MessageButtons::Ok);
        s.LanguageChanged = false;
    }
    return !stayOpen;
}
