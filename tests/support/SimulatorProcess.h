#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

// torvex-sim running on a pty of its own for one test; stopped when the test ends.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& arguments = {}) {
        m_process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"), arguments);
        if (m_process.waitForReadyRead(10000)) {
            m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            // Tests run side by side: while this test lives, its pty's number must not go to
            // another test's simulator, or a program of this test that opens the device after a
            // Kill() would talk to that one. A slave held open keeps the number taken.
            m_hold = ::open(QFile::encodeName(m_device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        }
    }
    ~SimulatorProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
        if (m_hold >= 0) {
            ::close(m_hold);
        }
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The pty the program is to open; empty when the simulator did not start.
    const QString& Device() const { return m_device; }
    // Everything the simulator logged for what reached it so far: it is asked for a mark, which
    // it logs once it has taken and logged every byte received before. For a check that something
    // did not arrive once the program that talked to it has ended; a check that it did waits for it
    // (LogWith). A simulator that is no longer running gives what it logged.
    QString Log() {
        if (m_process.state() == QProcess::Running) {
            const qsizetype marks = m_log.count(QStringLiteral("torvex-sim: mark\n"));
            ::kill(static_cast<pid_t>(m_process.processId()), SIGUSR1);
            QDeadlineTimer deadline(15000);
            m_process.setReadChannel(QProcess::StandardError);
            while (m_log.count(QStringLiteral("torvex-sim: mark\n")) <= marks && !deadline.hasExpired() &&
                   m_process.state() == QProcess::Running) {
                m_process.waitForReadyRead(50);
                m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
            }
            m_process.setReadChannel(QProcess::StandardOutput);
        }
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }

    // What the simulator logged once every one of the lines is in it, or after 15 s without
    // them: however busy the machine, a test waits for the commands it needs, and no longer.
    QString LogWith(const QStringList& lines) {
        const auto complete = [&] {
            for (const QString& line : lines) {
                if (!m_log.contains(line)) {
                    return false;
                }
            }
            return true;
        };
        QDeadlineTimer deadline(15000);
        m_process.setReadChannel(QProcess::StandardError);
        while (!complete() && !deadline.hasExpired() && m_process.state() == QProcess::Running) {
            m_process.waitForReadyRead(50);
            m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        }
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        m_process.setReadChannel(QProcess::StandardOutput);
        return m_log;
    }

    // What the simulator logged so far, without waiting for it to fall quiet.
    QString LogSoFar() {
        m_process.waitForReadyRead(20);
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_log;
    }
    // The controller switched off: the simulator ends at once and its pty goes away.
    void Kill() {
        m_process.kill();
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
    QString m_device;
    int m_hold = -1;
    QString m_log;
};
