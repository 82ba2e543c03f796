#pragma once

#include "core/app/TServiceLogbook.h"
#include "core/base/Family.h"
#include "core/base/Language.h"
#include "core/params/TTable.h"

#include <QString>

#include <map>
#include <memory>

class TConfiguration;
class Feedback;

// The parameter database: all tables of the database directory, opened together
// at start-up and kept open for the whole run.
class TParameterDatabase {
public:
    TParameterDatabase(TConfiguration& configuration, Feedback& feedback);
    ~TParameterDatabase();
    TParameterDatabase(const TParameterDatabase&) = delete;
    TParameterDatabase& operator=(const TParameterDatabase&) = delete;

    // Copies missing table files from the template directory, then opens every
    // table. On failure the error is shown and the database stays unavailable.
    bool OpenDatabase();
    void CloseDatabase();
    // Copies every template file the database directory lacks; an existing file is never replaced.
    void InstallDatabaseFiles();
    // Restricts the metadata table to one controller family (0 lifts the restriction).
    void SetParameterFamily(Family family);
    Family ParameterFamily() const { return m_family; }
    // The service logbook kept beside the tables.
    TServiceLogbook Logbook() const;
    // The language the database's messages and captions are shown in.
    const TLanguage& Language() const;

    // A table by its object name, e.g. "TableTKX"; throws TableError for an unknown name.
    TTable& Table(const QString& objectName);
    TTable& TableTKX() { return Table(QStringLiteral("TableTKX")); }
    TTable& TableITKX() { return Table(QStringLiteral("TableITKX")); }
    TTable& TableParameterDBSettings() { return Table(QStringLiteral("TableParameterDBSettings")); }
    // The set table of a family: TableTKX for 1, TableITKX for 2.
    TTable& SetTable(Family family);
    // A per-language lookup table for the language index, e.g. ("RelayFunction", 7) -> RelayFunction_EN.
    TTable& LanguageTable(const QString& baseName, int languageIndex);

    // The text OpenDatabase shows for a table error.
    static QString OpenErrorText(const QString& message, const TLanguage& language);

private:
    TConfiguration& m_configuration;
    Feedback& m_feedback;
    std::map<QString, std::unique_ptr<TTable>> m_tables;
    Family m_family = Family::None;
};
