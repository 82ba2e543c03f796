#pragma once

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
    enum Family { NoFamily = 0, FamilyTkx = 1, FamilyItkx = 2 };

    TParameterDatabase(TConfiguration& configuration, Feedback& feedback);
    ~TParameterDatabase();
    TParameterDatabase(const TParameterDatabase&) = delete;
    TParameterDatabase& operator=(const TParameterDatabase&) = delete;

    // Copies missing table files from the template directory, then opens every
    // table. On failure the error is shown and the database stays unavailable.
    bool OpenDatabase();
    void CloseDatabase();
    // Copies the template files whose names end in the extension (any case) that the
    // database directory lacks; an existing file is never replaced.
    void InstallDatabaseFiles(const QString& extension);
    // Restricts the metadata table to one controller family (0 lifts the restriction).
    void SetParameterFamily(int family);
    int ParameterFamily() const { return m_family; }

    // A table by its object name, e.g. "TableTKX"; throws TableError for an unknown name.
    TTable& Table(const QString& objectName);
    TTable& TableTKX() { return Table(QStringLiteral("TableTKX")); }
    TTable& TableITKX() { return Table(QStringLiteral("TableITKX")); }
    TTable& TableParameterDBSettings() { return Table(QStringLiteral("TableParameterDBSettings")); }
    // The set table of a family: TableTKX for 1, TableITKX for 2.
    TTable& SetTable(int family);
    // A per-language lookup table for the language index, e.g. ("RelayFunction", 7) -> RelayFunction_EN.
    TTable& LanguageTable(const QString& baseName, int languageIndex);

    // The text OpenDatabase shows for a table error.
    static QString OpenErrorText(const QString& message, const QString& databaseDirectory);

private:
    TConfiguration& m_configuration;
    Feedback& m_feedback;
    std::map<QString, std::unique_ptr<TTable>> m_tables;
    int m_family = NoFamily;
};
