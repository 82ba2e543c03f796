#pragma once

#include "core/params/TableSchema.h"

#include <QDir>
#include <QString>

#include <sqlite3.h>

#include <stdexcept>

// Makes real, empty table files as the template database holds them, and runs
// statements on them behind the table layer's back to prepare a case.
inline void ExecOnTableFile(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        throw std::runtime_error(message);
    }
}

inline QString CreateTableFile(const TableDef& table, const QString& directory) {
    QDir().mkpath(directory);
    const QString path = directory + QLatin1Char('/') + table.DiskName();
    ExecOnTableFile(path, table.CreateStatement());
    return path;
}
