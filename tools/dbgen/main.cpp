// Builds the template database files from the readable product data in data/db:
// one SQLite file per table, laid out as the program's table catalogue says.
// Any doubt about a data file stops the build with the file and line to fix.
#include "core/params/TableSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

namespace {

struct BuildError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Stop(const QString& message) {
    throw BuildError(message.toStdString());
}

void Exec(sqlite3* db, const QString& sql, const QString& where) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : "unknown");
        sqlite3_free(error);
        Stop(where + QStringLiteral(": ") + message);
    }
}

void BuildTable(const TableDef& table, const QString& sourceDir, const QString& outputDir) {
    const QString target = outputDir + QLatin1Char('/') + table.DiskName();
    const QString temporary = target + QStringLiteral(".new");
    QFile::remove(temporary);

    sqlite3* db = nullptr;
    if (sqlite3_open(temporary.toUtf8().constData(), &db) != SQLITE_OK) {
        Stop(temporary + QStringLiteral(": cannot create"));
    }
    try {
        QStringList stored; // the fields a data file provides: all but the automatic ones
        for (const FieldDef& field : table.Fields) {
            if (field.Type != FieldType::Auto) {
                stored << field.Name;
            }
        }
        Exec(db, table.CreateStatement(), target);

        const QString source = sourceDir + QLatin1Char('/') + table.SqlName() + QStringLiteral(".tsv");
        QFile file(source);
        if (file.open(QIODevice::ReadOnly)) {
            Exec(db, QStringLiteral("BEGIN"), source);
            sqlite3_stmt* insert = nullptr;
            QStringList marks;
            for (qsizetype i = 0; i < stored.size(); ++i) {
                marks << QStringLiteral("?");
            }
            const QString sql =
                QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                    .arg(table.SqlName(), stored.join(QStringLiteral("\",\"")), marks.join(QLatin1Char(',')));
            sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &insert, nullptr);
            bool headerSeen = false;
            int lineNumber = 0;
            while (!file.atEnd()) {
                ++lineNumber;
                QString line = QString::fromUtf8(file.readLine());
                while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) {
                    line.chop(1);
                }
                const QString where = QStringLiteral("%1:%2").arg(source).arg(lineNumber);
                if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) {
                    continue;
                }
                const QStringList cells = line.split(QLatin1Char('\t'));
                if (!headerSeen) {
                    if (cells != stored) {
                        Stop(where + QStringLiteral(": header must be: ") + stored.join(QLatin1Char(' ')));
                    }
                    headerSeen = true;
                    continue;
                }
                if (cells.size() != stored.size()) {
                    Stop(where + QStringLiteral(": %1 cells, expected %2").arg(cells.size()).arg(stored.size()));
                }
                sqlite3_reset(insert);
                for (int i = 0; i < cells.size(); ++i) {
                    const FieldDef* field = table.Field(stored[i]);
                    const QString cell = cells[i];
                    if (cell.isEmpty()) {
                        sqlite3_bind_null(insert, i + 1);
                    } else if (field->Type == FieldType::Float || field->Type == FieldType::Integer) {
                        bool ok = false;
                        const double value = cell.toDouble(&ok);
                        if (!ok) {
                            Stop(where + QStringLiteral(": %1 is not a number: '%2'").arg(field->Name, cell));
                        }
                        if (field->Type == FieldType::Integer) {
                            sqlite3_bind_int64(insert, i + 1, static_cast<sqlite3_int64>(value));
                        } else {
                            sqlite3_bind_double(insert, i + 1, value);
                        }
                    } else {
                        if (field->Type == FieldType::Text && cell.size() > field->Size) {
                            Stop(where +
                                 QStringLiteral(": %1 longer than %2 characters").arg(field->Name).arg(field->Size));
                        }
                        const QByteArray text = cell.toUtf8();
                        sqlite3_bind_text(insert, i + 1, text.constData(), static_cast<int>(text.size()),
                                          SQLITE_TRANSIENT);
                    }
                }
                if (sqlite3_step(insert) != SQLITE_DONE) {
                    Stop(where + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db)));
                }
            }
            sqlite3_finalize(insert);
            Exec(db, QStringLiteral("COMMIT"), source);
        }
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(temporary);
        throw;
    }
    sqlite3_close(db);
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        Stop(target + QStringLiteral(": cannot replace"));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: torvex-dbgen DATA_DIR OUTPUT_DIR\n", stderr);
        return 2;
    }
    try {
        QDir().mkpath(arguments[2]);
        for (const TableDef& table : Schema::Catalogue()) {
            BuildTable(table, arguments[1], arguments[2]);
        }
    } catch (const BuildError& error) {
        std::fprintf(stderr, "torvex-dbgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
