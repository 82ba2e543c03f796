#include "core/app/TServiceLogbook.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/base/SaveFile.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

#include <map>
#include <memory>

namespace {

constexpr const char* kCreate = "CREATE TABLE IF NOT EXISTS Logbook (Id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "Entry INTEGER NOT NULL, Time TEXT NOT NULL, ControllerType TEXT, SerialNumber TEXT, "
                                "SoftwareVersion TEXT, Action TEXT, Field TEXT, Before TEXT, After TEXT, Outcome TEXT)";

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

[[noreturn]] void Fail(sqlite3* db, const QString& path) {
    throw LogbookError(path + QStringLiteral(": ") +
                       QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : "cannot be opened"));
}

Database Open(const QString& path, bool create) {
    sqlite3* raw = nullptr;
    const int flags = create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK) {
        Fail(db.get(), path);
    }
    sqlite3_busy_timeout(db.get(), 2000); // the window and the command line may append at once
    return db;
}

void Exec(sqlite3* db, const char* sql, const QString& path) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(db, path);
    }
}

Statement Prepare(sqlite3* db, const char* sql, const QString& path) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        Fail(db, path);
    }
    return Statement(raw);
}

void Bind(sqlite3_stmt* statement, int index, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

QString Column(sqlite3_stmt* statement, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return text != nullptr ? QString::fromUtf8(text) : QString();
}

QByteArray CsvCell(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

} // namespace

TServiceLogbook::TServiceLogbook(QString databaseDirectory) : m_directory(std::move(databaseDirectory)) {}

QString TServiceLogbook::FilePath() const {
    return m_directory + QLatin1Char('/') + FileName();
}

QString TServiceLogbook::TimeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void TServiceLogbook::Append(const TLogbookEntry& entry) const {
    const QString path = FilePath();
    const Database db = Open(path, true);
    Exec(db.get(), kCreate, path);
    Exec(db.get(), "BEGIN IMMEDIATE", path);
    try {
        const Statement next = Prepare(db.get(), "SELECT COALESCE(MAX(Entry), 0) + 1 FROM Logbook", path);
        if (sqlite3_step(next.get()) != SQLITE_ROW) {
            Fail(db.get(), path);
        }
        const qint64 number = sqlite3_column_int64(next.get(), 0);
        const Statement insert = Prepare(db.get(),
                                         "INSERT INTO Logbook (Entry, Time, ControllerType, SerialNumber, "
                                         "SoftwareVersion, Action, Field, Before, After, Outcome) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                         path);
        std::vector<TLogbookLine> lines = entry.Lines;
        if (lines.empty()) {
            lines.emplace_back(); // the action alone
        }
        for (const TLogbookLine& line : lines) {
            sqlite3_reset(insert.get());
            sqlite3_bind_int64(insert.get(), 1, number);
            Bind(insert.get(), 2, TimeText(entry.Time));
            Bind(insert.get(), 3, entry.ControllerType);
            Bind(insert.get(), 4, entry.SerialNumber);
            Bind(insert.get(), 5, entry.SoftwareVersion);
            Bind(insert.get(), 6, entry.Action);
            Bind(insert.get(), 7, line.Field);
            Bind(insert.get(), 8, line.Before);
            Bind(insert.get(), 9, line.After);
            Bind(insert.get(), 10, line.Outcome);
            if (sqlite3_step(insert.get()) != SQLITE_DONE) {
                Fail(db.get(), path);
            }
        }
        Exec(db.get(), "COMMIT", path);
    } catch (const LogbookError&) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<TLogbookEntry> TServiceLogbook::Entries(const QString& serialNumber) const {
    const QString path = FilePath();
    if (!QFileInfo::exists(path)) {
        return {};
    }
    const Database db = Open(path, false);
    {
        // A file made by another program, or before its table: nothing logged yet.
        const Statement table =
            Prepare(db.get(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Logbook'", path);
        if (sqlite3_step(table.get()) != SQLITE_ROW) {
            return {};
        }
    }
    const Statement select = Prepare(db.get(),
                                     "SELECT Entry, Time, ControllerType, SerialNumber, SoftwareVersion, Action, "
                                     "Field, Before, After, Outcome FROM Logbook "
                                     "WHERE ?1 = '' OR SerialNumber = ?1 ORDER BY Entry DESC, Id ASC",
                                     path);
    Bind(select.get(), 1, serialNumber);
    std::vector<TLogbookEntry> entries;
    qint64 current = -1;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        const qint64 number = sqlite3_column_int64(select.get(), 0);
        if (number != current) {
            current = number;
            TLogbookEntry entry;
            entry.Time = QDateTime::fromString(Column(select.get(), 1), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            entry.ControllerType = Column(select.get(), 2);
            entry.SerialNumber = Column(select.get(), 3);
            entry.SoftwareVersion = Column(select.get(), 4);
            entry.Action = Column(select.get(), 5);
            entries.push_back(entry);
        }
        TLogbookLine line{Column(select.get(), 6), Column(select.get(), 7), Column(select.get(), 8),
                          Column(select.get(), 9)};
        if (!line.Field.isEmpty() || !line.Outcome.isEmpty()) {
            entries.back().Lines.push_back(line);
        }
    }
    if (rc != SQLITE_DONE) {
        Fail(db.get(), path);
    }
    return entries;
}

std::vector<QStringList> TServiceLogbook::Rows(const std::vector<TLogbookEntry>& entries) {
    std::vector<QStringList> rows;
    for (const TLogbookEntry& entry : entries) {
        const QStringList head{TimeText(entry.Time), entry.ControllerType, entry.SerialNumber, entry.Action};
        if (entry.Lines.empty()) {
            rows.push_back(head + QStringList{QString(), QString(), QString(), QString()});
        }
        for (const TLogbookLine& line : entry.Lines) {
            rows.push_back(head + QStringList{line.Field, line.Before, line.After, line.Outcome});
        }
    }
    return rows;
}

QByteArray TServiceLogbook::Csv(const std::vector<TLogbookEntry>& entries) {
    QByteArray csv = "TIME,TYPE,SERIAL,ACTION,FIELD,BEFORE,AFTER,OUTCOME\r\n";
    for (const QStringList& row : Rows(entries)) {
        QList<QByteArray> cells;
        for (const QString& cell : row) {
            cells << CsvCell(cell);
        }
        csv += cells.join(',') + "\r\n";
    }
    return csv;
}

bool TServiceLogbook::SaveCsv(const QString& path, const std::vector<TLogbookEntry>& entries, QString& reason) const {
    // One file under two names (a link, a relative path) is still the logbook.
    struct stat target {};
    struct stat logbook {};
    if (::stat(QFile::encodeName(path).constData(), &target) == 0 &&
        ::stat(QFile::encodeName(FilePath()).constData(), &logbook) == 0 && target.st_dev == logbook.st_dev &&
        target.st_ino == logbook.st_ino) {
        reason = QStringLiteral("is the logbook itself");
        return false;
    }
    return SaveWholeFile(path, Csv(entries), reason);
}

const QStringList& TServiceLogbook::Actions() {
    static const QStringList actions{QStringLiteral("write"),         QStringLiteral("write ticked"),
                                     QStringLiteral("write changed"), QStringLiteral("valve type"),
                                     QStringLiteral("factory send"),  QStringLiteral("password change"),
                                     QStringLiteral("zero point")};
    return actions;
}

const QStringList& TServiceLogbook::Outcomes() {
    static const QStringList outcomes{QStringLiteral("sent"), QStringLiteral("verified"), QStringLiteral("failed"),
                                      QStringLiteral("not sent")};
    return outcomes;
}

QString TServiceLogbook::Shown(const QString& keyword, const TLanguage& language) {
    if (const qsizetype action = Actions().indexOf(keyword); action >= 0) {
        return language.Text(Record::FirstLogbookAction + static_cast<int>(action));
    }
    if (const qsizetype outcome = Outcomes().indexOf(keyword); outcome >= 0) {
        return language.Text(Record::FirstLogbookOutcome + static_cast<int>(outcome));
    }
    return keyword;
}

void AppendToLogbook(TControllerAccess& access, TLogbookEntry entry) {
    entry.Time = access.Time.Now();
    try {
        TServiceLogbook(access.Configuration.GetDatabaseDirectory()).Append(entry);
    } catch (const LogbookError& error) {
        access.Ui.ShowMessage(MessageKind::Warning, access.Configuration.Language().Text(Record::Warning),
                              access.Configuration.Language().Text(Record::LogbookNotWritten) + error.Message(),
                              MessageButtons::Ok);
    }
}
