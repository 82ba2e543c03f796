#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

// torvex-sim running on a pty of its own for one test; stopped when the test ends.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& arguments = {}) {
        m_process.start(QStringLiteral(TORVEX_BIN_DIR "/torvex-sim"), arguments);
        if (m_process.waitForReadyRead(10000)) {
            m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        }
    }
    ~SimulatorProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The pty the program is to open; empty when the simulator did not start.
    const QString& Device() const { return m_device; }
    // What the simulator logged so far, once it has fallen quiet: every command it received.
    // For a check that something did not arrive; a check that it did waits for it (LogWith).
    QString Log() {
        m_process.setReadChannel(QProcess::StandardError);
        while (m_process.waitForReadyRead(300)) {
            m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        }
        m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
        m_process.setReadChannel(QProcess::StandardOutput);
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
    QString m_log;
};
