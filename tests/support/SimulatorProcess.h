#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

// torvex-sim running on a pty of its own for one test; stopped when the test ends.
// Started with fork and exec rather than QProcess: QProcess starts its child in a way that leaves
// ThreadSanitizer blind to the test thread's later locks, so a data-view test run under it would
// report every access those locks guard as a race.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& arguments = {}) {
        int out[2] = {-1, -1};
        int err[2] = {-1, -1};
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<QByteArray> args{QByteArrayLiteral(TORVEX_BIN_DIR "/torvex-sim")};
        for (const QString& argument : arguments) {
            args.push_back(argument.toLocal8Bit());
        }
        std::vector<char*> argv;
        for (QByteArray& argument : args) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
        QByteArray line;
        const QDeadlineTimer deadline(10000);
        while (!line.contains('\n') && Wait(m_out, deadline) && Take(m_out, line)) {
        }
        if (line.contains('\n')) {
            m_device = QString::fromLocal8Bit(line.left(line.indexOf('\n'))).trimmed();
            // Tests run side by side: while this test lives, its pty's number must not go to
            // another test's simulator, or a program of this test that opens the device after a
            // Kill() would talk to that one. A slave held open keeps the number taken.
            m_hold = ::open(QFile::encodeName(m_device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        }
    }
    ~SimulatorProcess() {
        if (Running()) {
            ::kill(m_pid, SIGTERM);
            if (!WaitForExit(3000)) {
                ::kill(m_pid, SIGKILL);
                WaitForExit(1000);
            }
        }
        for (int fd : {m_out, m_err, m_hold}) {
            if (fd >= 0) {
                ::close(fd);
            }
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
        if (Running()) {
            const qsizetype marks = m_log.count(QStringLiteral("torvex-sim: mark\n"));
            ::kill(m_pid, SIGUSR1);
            ReadLogUntil([&] { return m_log.count(QStringLiteral("torvex-sim: mark\n")) > marks; }, 15000);
        }
        ReadLogUntil([] { return true; }, 0);
        return m_log;
    }

    // What the simulator logged once every one of the lines is in it, or after 15 s without
    // them: however busy the machine, a test waits for the commands it needs, and no longer.
    QString LogWith(const QStringList& lines) {
        ReadLogUntil(
            [&] {
                for (const QString& line : lines) {
                    if (!m_log.contains(line)) {
                        return false;
                    }
                }
                return true;
            },
            15000);
        return m_log;
    }

    // What the simulator logged so far, without waiting for it to fall quiet.
    QString LogSoFar() {
        ReadLogUntil([] { return false; }, 20);
        return m_log;
    }
    // Started with --held: the first live run starts now.
    void Cue() {
        if (Running()) {
            ::kill(m_pid, SIGUSR2);
        }
    }
    // The controller switched off: the simulator ends at once and its pty goes away.
    void Kill() {
        if (Running()) {
            ::kill(m_pid, SIGKILL);
            WaitForExit(3000);
        }
        ReadLogUntil([] { return true; }, 0);
    }

private:
    static bool Wait(int fd, const QDeadlineTimer& deadline) {
        pollfd input{fd, POLLIN, 0};
        return ::poll(&input, 1, static_cast<int>(std::max<qint64>(0, deadline.remainingTime()))) > 0;
    }
    // Appends what is there to read; false at the end of the stream.
    static bool Take(int fd, QByteArray& into) {
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, got);
        }
        return got > 0;
    }
    // Reads standard error until `done` holds, the stream ends, or `ms` have passed.
    template <typename Done> void ReadLogUntil(Done done, int ms) {
        const QDeadlineTimer deadline(ms);
        QByteArray bytes;
        do {
            if (!done() && Wait(m_err, deadline)) {
                if (!Take(m_err, bytes)) {
                    break;
                }
                m_log += QString::fromLocal8Bit(bytes);
                bytes.clear();
                continue;
            }
            // Whatever is there already, without waiting.
            pollfd input{m_err, POLLIN, 0};
            while (::poll(&input, 1, 0) > 0 && Take(m_err, bytes)) {
            }
            m_log += QString::fromLocal8Bit(bytes);
            return;
        } while (!deadline.hasExpired());
    }
    bool Running() {
        if (m_pid <= 0 || m_exited) {
            return false;
        }
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_exited = true;
        }
        return !m_exited;
    }
    bool WaitForExit(int ms) {
        const QDeadlineTimer deadline(ms);
        while (Running() && !deadline.hasExpired()) {
            ::usleep(5000);
        }
        return !Running();
    }

    pid_t m_pid = -1;
    bool m_exited = false;
    int m_out = -1;
    int m_err = -1;
    int m_hold = -1;
    QString m_device;
    QString m_log;
};
