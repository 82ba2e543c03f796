#include "core/app/TSettingsEditor.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

// A count field left empty, unreadable or at 0 gets its default back.
void DefaultUnlessPositive(TSettingFields& fields, const TSettingKey& key) {
    int value = 0;
    if (!IniFile::ParseInteger(fields.*key.Text, value) || value <= 0) {
        fields.*key.Text = key.Default;
    }
}

void DefaultWhenEmpty(TSettingFields& fields, const TSettingKey& key) {
    if ((fields.*key.Text).trimmed().isEmpty()) {
        fields.*key.Text = key.Default;
    }
}

} // namespace

TSettingsEditor::TSettingsEditor(TConfiguration& configuration, Feedback& feedback)
    : m_configuration(configuration), m_feedback(feedback) {}

bool TSettingsEditor::Written(bool written) {
    if (!written && m_writeFailure.isEmpty()) {
        const IniFile& file = m_configuration.Settings().ConfigFile;
        m_writeFailure = file.Path() + QStringLiteral("\r(") + file.ErrorString() + QLatin1Char(')');
    }
    return written;
}

void TSettingsEditor::WriteKeys(const std::vector<const TSettingKey*>& keys) {
    TSettingFields& s = m_configuration.Settings();
    if (!s.ConfigFileUsable) {
        return;
    }
    for (const TSettingKey* key : keys) {
        Written(key->Write(s.ConfigFile, s));
    }
}

void TSettingsEditor::EnterGeneralPage() {
    m_configuration.ReadSettings(SettingKeys::GeneralPage());
}

void TSettingsEditor::LeaveGeneralPage() {
    TSettingFields& s = m_configuration.Settings();
    DefaultUnlessPositive(s, SettingKeys::NbPicturesPerFile);
    DefaultUnlessPositive(s, SettingKeys::LengthOfPicture);
    DefaultUnlessPositive(s, SettingKeys::DrawSpeed);
    DefaultWhenEmpty(s, SettingKeys::CurveMaxV);
    DefaultWhenEmpty(s, SettingKeys::CurveMinV);
    WriteKeys(SettingKeys::GeneralPage());
}

void TSettingsEditor::EnterDelaysPage() {
    m_configuration.ReadSettings(SettingKeys::DelaysPage());
}

void TSettingsEditor::LeaveDelaysPage() {
    WriteKeys(SettingKeys::DelaysPage());
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
            Written(file.WriteInteger(port->Name, ConfigKey::Baud, port->Baud)) &&
                Written(file.WriteInteger(port->Name, ConfigKey::DataBits, port->DataBits)) &&
                Written(file.WriteString(port->Name, ConfigKey::StopBits, port->StopBitsAsText())) &&
                Written(file.WriteString(port->Name, ConfigKey::Parity, port->ParityAsText())) &&
                Written(file.WriteBool(port->Name, ConfigKey::StandardPortEnabled, s.StandardPortEnabled)) &&
                Written(file.WriteString(port->Name, ConfigKey::StandardPort, s.StandardPort));
        }
    }

    for (const TSettingKey* key : SettingKeys::GeneralPage()) {
        if (key->Text != nullptr) {
            DefaultWhenEmpty(s, *key);
        }
    }

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
                    Written(file.WriteString(ConfigKey::General, ConfigKey::WorkDir, s.WorkDirectory));
                }
            } else {
                stayOpen = true;
                s.WorkDirectory = StoredWorkDir();
            }
        } else if (s.ConfigFileUsable) {
            Written(file.WriteString(ConfigKey::General, ConfigKey::WorkDir, s.WorkDirectory));
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
    if (s.WorkDirUsable) {
        m_configuration.UpdateDatabaseDirectory();
    }
    if (m_workDirApplied) {
        m_workDirApplied(s.WorkDirUsable);
    }

    if (s.ConfigFileUsable) {
        WriteKeys(SettingKeys::Startup());
        Written(
            file.WriteInteger(ConfigKey::Language, ConfigKey::LanguageValue, m_configuration.Language().StoredValue()));
    }
    // A setting that did not reach the file is not reported as saved: the dialog stays open
    // with the file's name and the system's reason, and OK may be tried again.
    if (!m_writeFailure.isEmpty()) {
        m_feedback.ShowMessage(MessageKind::Error, dialogTitle,
                               m_configuration.Language().Text(Record::WriteFileError) +
                                   std::exchange(m_writeFailure, QString()),
                               MessageButtons::Ok);
        stayOpen = true;
    }

    if (s.LanguageChanged && !s.LanguageProgrammatic) {
        m_feedback.ShowMessage(MessageKind::Information, dialogTitle, m_configuration.Language().Text(134),
                               MessageButtons::Ok);
        s.LanguageChanged = false;
    }
    return !stayOpen;
}
