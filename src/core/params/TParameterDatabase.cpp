#include "core/params/TParameterDatabase.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TParameterDatabase::TParameterDatabase(TConfiguration& configuration, Feedback& feedback)
    : m_configuration(configuration), m_feedback(feedback) {
    for (const TableDef& definition : Schema::Catalogue()) {
        m_tables.emplace(definition.ObjectName, std::make_unique<TTable>(definition));
    }
}

TParameterDatabase::~TParameterDatabase() {
    CloseDatabase();
}

TTable& TParameterDatabase::Table(const QString& objectName) {
    const auto it = m_tables.find(objectName);
    if (it == m_tables.end()) {
        throw TableError(QStringLiteral("no table %1").arg(objectName));
    }
    return *it->second;
}

TServiceLogbook TParameterDatabase::Logbook() const {
    return TServiceLogbook(m_configuration.GetDatabaseDirectory());
}

const TLanguage& TParameterDatabase::Language() const {
    return m_configuration.Language();
}

TTable& TParameterDatabase::SetTable(Family family) {
    return family == Family::VfTkx ? TableITKX() : TableTKX();
}

TTable& TParameterDatabase::LanguageTable(const QString& baseName, int languageIndex) {
    return Table(QStringLiteral("Table") + baseName + QLatin1Char('_') + Schema::LanguageSuffix(languageIndex));
}

void TParameterDatabase::InstallDatabaseFiles() {
    const QDir templates(m_configuration.GetTemplateDatabaseDirectory());
    const QString target = m_configuration.GetDatabaseDirectory();
    for (const QString& name : templates.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        const QString destination = target + QLatin1Char('/') + name;
        if (!QFileInfo::exists(destination)) {
            // A file that cannot be copied is skipped; opening its table reports it.
            QFile::copy(templates.filePath(name), destination);
        }
    }
}

QString TParameterDatabase::OpenErrorText(const QString& message, const TLanguage& language) {
    const qsizetype slash = message.indexOf(QLatin1Char('/'));
    return language.Text(Record::ErrorOpenFile) + QStringLiteral("..") + (slash >= 0 ? message.mid(slash) : QString()) +
           QStringLiteral("\r\r") + message;
}

bool TParameterDatabase::OpenDatabase() {
    m_configuration.SetDatabaseAvailable(true);
    try {
        InstallDatabaseFiles();
        const QString directory = m_configuration.GetDatabaseDirectory();
        for (const TableDef& definition : Schema::Catalogue()) {
            Table(definition.ObjectName).Open(directory);
        }
        m_family = Family::None;
    } catch (const TableError& error) {
        for (auto& [name, table] : m_tables) {
            table->Close();
        }
        m_configuration.SetDatabaseAvailable(false);
        m_feedback.ShowMessage(MessageKind::Error, Language().Text(Record::Error),
                               OpenErrorText(error.Message(), Language()), MessageButtons::Ok);
        return false;
    }
    return true;
}

void TParameterDatabase::CloseDatabase() {
    if (!m_configuration.DatabaseAvailable) {
        return;
    }
    for (auto& [name, table] : m_tables) {
        try {
            table->Post(); // a technician's last edit is kept, not dropped with the window
        } catch (const TableError&) {
            table->Cancel();
        }
        table->Close();
    }
    m_family = Family::None;
    m_configuration.SetDatabaseAvailable(false);
}

void TParameterDatabase::SetParameterFamily(Family family) {
    TTable& metadata = TableParameterDBSettings();
    if (family == Family::None) {
        metadata.CancelRange();
        m_family = Family::None;
        return;
    }
    if (family == m_family) {
        return;
    }
    m_family = family;
    const QString type = family == Family::VfTkx ? QStringLiteral("ITKX") : QStringLiteral("TKX");
    metadata.SetRange(type, type);
}
