#include "core/base/TLogger.h"

TLogger::TLogger(std::function<QString()> workDirectory, Clock& clock)
    : m_workDirectory(std::move(workDirectory)), m_clock(clock) {
    m_traceLevel = 1;
    m_open = OpenIn(m_workDirectory());
    if (m_open) {
        WriteLine(m_traceLevel, QStringLiteral("Start Logging"));
    }
}

TLogger::~TLogger() {
    if (m_open) {
        if (!m_file.isOpen()) {
            OpenIn(m_workDirectory());
        }
        WriteLine(m_traceLevel, QStringLiteral("End Logging"));
        m_clock.Sleep(2000);
        m_file.close();
    }
}

bool TLogger::OpenIn(const QString& directory) {
    m_file.close();
    m_file.setFileName(directory + QLatin1Char('/') + FileName);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append);
}

QString TLogger::FormatLine(const QDateTime& when, int level, const QString& message) {
    // One fixed form whatever the desktop's locale: day, month, four-digit year, 24-hour time,
    // so logs of different machines read and sort alike. At midnight exactly the time is left out.
    QString stamp = when.date().toString(QStringLiteral("dd.MM.yyyy"));
    if (when.time().msecsSinceStartOfDay() != 0) {
        stamp += QLatin1Char(' ') + when.time().toString(QStringLiteral("HH:mm:ss"));
    }
    return stamp + QStringLiteral(" [") + QString::number(level) + QStringLiteral("] >> ") + message +
           QStringLiteral("\r\n");
}

bool TLogger::WriteLine(int level, const QString& message) {
    // One write per line on a file opened for appending: lines of two programs
    // logging into the same file never interleave.
    const QByteArray line = FormatLine(m_clock.Now(), level, message).toUtf8();
    return m_file.write(line) == line.size() && m_file.flush();
}

bool TLogger::Log(const QString& message, int level) {
    const QString directory = m_workDirectory();
    if (!m_open || m_traceLevel < level) {
        return true;
    }
    // A reopen that failed last time (working directory gone) is retried here.
    if (!m_file.isOpen() && !OpenIn(directory)) {
        return false;
    }
    const bool written = WriteLine(level, message);
    m_file.close();
    OpenIn(directory);
    return written;
}

void TLogger::SetTraceLevel(int level) {
    m_traceLevel = level < 0 ? 0 : level > 5 ? 5 : level;
}
