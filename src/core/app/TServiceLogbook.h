#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

class Clock;
class TLanguage;
struct TControllerAccess;

// The logbook's file could not be read or written; the message names the file and the reason.
class LogbookError : public std::runtime_error {
public:
    explicit LogbookError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

// One parameter of a logbook entry: what it was, what it became, and whether it got there.
struct TLogbookLine {
    QString Field;
    QString Before; // empty: not known
    QString After;
    QString Outcome; // "sent", "verified", "failed", "not sent"
};

// One thing done to a controller.
struct TLogbookEntry {
    QDateTime Time;
    QString ControllerType;  // "TKX", "VF-TKX"
    QString SerialNumber;    // from the dump's information entries; empty when not read
    QString SoftwareVersion; // likewise
    QString Action;          // "write", "write ticked", "write changed", "valve type", ...
    std::vector<TLogbookLine> Lines;
};

// The service logbook: a table of its own in the parameter database's directory, made when
// missing. Entries are appended whole and never rewritten; every other table stays untouched.
class TServiceLogbook {
public:
    explicit TServiceLogbook(QString databaseDirectory);

    static QString FileName() { return QStringLiteral("Logbook.db"); }
    QString FilePath() const;

    // Appends the entry and its lines in one transaction; throws LogbookError on failure.
    void Append(const TLogbookEntry& entry) const;
    // The entries, newest first; only those of one serial number when it is given. A logbook
    // not made yet is empty. Throws LogbookError when the file cannot be read.
    std::vector<TLogbookEntry> Entries(const QString& serialNumber = {}) const;

    // One row per line (an entry without lines gives one row with the parameter columns empty):
    // time (YYYY-MM-DD HH:MM:SS), type, serial, action, field, before, after, outcome.
    static std::vector<QStringList> Rows(const std::vector<TLogbookEntry>& entries);
    // The rows as CSV with a header line, for a spreadsheet.
    static QByteArray Csv(const std::vector<TLogbookEntry>& entries);
    // Csv(entries) saved to path; refused when path is the logbook itself, which the save would replace.
    bool SaveCsv(const QString& path, const std::vector<TLogbookEntry>& entries, QString& reason) const;
    static QString TimeText(const QDateTime& time);
    // The actions and outcomes as stored, in the order of their language records.
    static const QStringList& Actions();
    static const QStringList& Outcomes();
    // A stored action or outcome in the configured language; anything else as it is.
    static QString Shown(const QString& keyword, const TLanguage& language);

private:
    QString m_directory;
};

// Appends an entry stamped with the clock's now to the configuration's logbook. A logbook that
// cannot be written does not undo what was done to the controller: the user is warned.
void AppendToLogbook(TControllerAccess& access, TLogbookEntry entry);
