#pragma once

#include "core/base/Clock.h"

#include <QFile>
#include <QString>

#include <functional>

// The program's log, "TorvexLog.txt" in the working directory. Lines are only
// ever appended, each in one write, and the file is closed and reopened after
// every message so the line is on disk and a changed working directory takes
// effect from the next line on.
class TLogger {
public:
    // workDirectory is asked for the working directory each time it is needed.
    TLogger(std::function<QString()> workDirectory, Clock& clock);
    ~TLogger();
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // False when the line could not be written; ErrorString() tells why.
    bool Log(const QString& message, int level);
    int GetTraceLevel() const { return m_traceLevel; }
    void SetTraceLevel(int level);
    bool IsOpen() const { return m_open; }
    QString ErrorString() const { return m_file.errorString(); }

    static inline const QString FileName = QStringLiteral("TorvexLog.txt");

    static QString FormatLine(const QDateTime& when, int level, const QString& message);

private:
    bool OpenIn(const QString& directory);
    bool WriteLine(int level, const QString& message);

    std::function<QString()> m_workDirectory;
    Clock& m_clock;
    QFile m_file;
    int m_traceLevel = 1;
    bool m_open = false;
};
