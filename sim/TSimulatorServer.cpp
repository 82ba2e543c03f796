#include "TSimulatorServer.h"

#include "TLiveDataGenerator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

void MakeRaw(int fd, int baud) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return;
    }
    ::cfmakeraw(&tio);
    const std::pair<int, speed_t> speeds[] = {{2400, B2400},   {4800, B4800},   {9600, B9600},    {19200, B19200},
                                              {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const auto& [rate, code] : speeds) {
        if (rate == baud) {
            ::cfsetspeed(&tio, code);
        }
    }
    ::tcsetattr(fd, TCSANOW, &tio);
}

} // namespace

TSimulatorServer::~TSimulatorServer() {
    if (!m_options.LinkPath.isEmpty() && QFileInfo(m_options.LinkPath).isSymLink()) {
        QFile::remove(m_options.LinkPath);
    }
    if (m_slaveFd >= 0) {
        ::close(m_slaveFd);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool TSimulatorServer::Start(QString& error) {
    if (!m_options.DevicePath.isEmpty()) {
        m_fd = ::open(m_options.DevicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0) {
            error = QStringLiteral("cannot open %1: %2")
                        .arg(m_options.DevicePath, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        MakeRaw(m_fd, m_options.Baud);
        m_devicePath = m_options.DevicePath;
        return true;
    }
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0) {
        error = QStringLiteral("cannot create a pseudo terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(::ptsname(m_fd));
    // Raw from the start: no echo and no line editing, whoever opens the other side.
    m_slaveFd = ::open(m_devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_slaveFd >= 0) {
        MakeRaw(m_slaveFd, m_options.Baud);
    }
    if (!m_options.LinkPath.isEmpty()) {
        if (QFileInfo(m_options.LinkPath).isSymLink()) {
            QFile::remove(m_options.LinkPath);
        }
        if (::symlink(m_devicePath.toLocal8Bit().constData(), m_options.LinkPath.toLocal8Bit().constData()) != 0) {
            error = QStringLiteral("cannot make the link %1: %2")
                        .arg(m_options.LinkPath, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

void TSimulatorServer::Run(const std::atomic<bool>& stop, std::FILE* log, const std::atomic<int>* marks,
                           const std::atomic<int>* cues) {
    TSimulatedController controller(m_options.Controller);
    TLiveDataGenerator generator({m_options.FrameRate, m_options.RunSeconds, m_options.GapSeconds,
                                  m_options.Controller.ControllerFamily == Family::VfTkx});
    QElapsedTimer clock;
    clock.start();
    const qint64 byteMicros = 10'000'000 / m_options.Baud;
    auto* random = QRandomGenerator::global();

    struct Outgoing {
        qint64 DueMicros;
        char Byte;
    };
    std::deque<Outgoing> line;
    qint64 lineFreeMicros = 0;
    int sentBytes = 0;
    const auto send = [&](const QByteArray& bytes, qint64 fromMicros) {
        for (char byte : bytes) {
            if (m_options.DropEvery > 0 && ++sentBytes % m_options.DropEvery == 0) {
                continue; // lost on the line
            }
            const qint64 due = std::max(fromMicros, lineFreeMicros);
            line.push_back({due, byte});
            lineFreeMicros = due + byteMicros;
        }
    };

    int runNumber = 0;
    QByteArray unpaced; // the run being sent unpaced, and how much of it the line has taken
    qsizetype unpacedDone = 0;
    qint64 nextRunMicros = m_options.Live && !m_options.Held ? 500'000 : -1;
    bool waitingForCue = m_options.Live && m_options.Held;
    bool firstReplyCut = false;
    // Noise on the line before each reply: bytes no reply holds, and a line end among them.
    static const QByteArray kReplyNoise = QByteArrayLiteral("\x55\xf0~\r\n#");
    qsizetype logged = 0;
    int marked = 0;

    while (!stop.load()) {
        const qint64 now = clock.nsecsElapsed() / 1000;
        if (waitingForCue && cues != nullptr && cues->load() > 0) {
            waitingForCue = false;
            nextRunMicros = now;
        }

        if (nextRunMicros >= 0 && now >= nextRunMicros && (m_options.Runs < 0 || runNumber < m_options.Runs)) {
            std::vector<QByteArray> frames = generator.Run(runNumber);
            if (m_options.FaultMidFrame && runNumber == 0 && !frames.empty()) {
                frames.front() = frames.front().right(7);
            }
            if (m_options.FaultBadLength && frames.size() > 5) {
                frames[5].chop(1);
            }
            const qint64 frameMicros = static_cast<qint64>(1'000'000 / m_options.FrameRate);
            for (std::size_t i = 0; i < frames.size(); ++i) {
                QByteArray bytes = frames[i];
                if (m_options.FaultGarbage && random->bounded(25) == 0) {
                    bytes.prepend(QByteArray::number(random->generate(), 16).left(3 + random->bounded(5)));
                }
                if (m_options.Unpaced) {
                    unpaced += bytes;
                } else {
                    send(bytes, now + static_cast<qint64>(i) * frameMicros);
                }
            }
            const qint64 runMicros = static_cast<qint64>(frames.size()) * frameMicros;
            // Unpaced, the silence starts once the line has taken the whole run.
            nextRunMicros =
                m_options.Unpaced ? -2 : now + runMicros + static_cast<qint64>(m_options.GapSeconds * 1'000'000);
            if (m_options.FaultGarbage) {
                if (m_options.Unpaced) {
                    unpaced += QByteArrayLiteral("\x55\x0f\x55#");
                } else {
                    send(QByteArrayLiteral("\x55\x0f\x55#"), now + runMicros + 100'000);
                }
            }
            ++runNumber;
        }
        if (!unpaced.isEmpty()) {
            const ssize_t written =
                ::write(m_fd, unpaced.constData() + unpacedDone, static_cast<size_t>(unpaced.size() - unpacedDone));
            if (written > 0) {
                unpacedDone += written;
            }
            if (unpacedDone == unpaced.size()) {
                unpaced.clear();
                unpacedDone = 0;
                nextRunMicros = clock.nsecsElapsed() / 1000 + static_cast<qint64>(m_options.GapSeconds * 1'000'000);
            }
        }

        // Write what is due; a line nobody listens to loses its bytes.
        QByteArray due;
        while (!line.empty() && line.front().DueMicros <= now) {
            due += line.front().Byte;
            line.pop_front();
        }
        if (!due.isEmpty()) {
            (void)::write(m_fd, due.constData(), static_cast<size_t>(due.size()));
        }

        qint64 waitMicros = 20'000;
        if (!line.empty()) {
            waitMicros = std::min(waitMicros, line.front().DueMicros - now);
        }
        if (nextRunMicros >= 0 && (m_options.Runs < 0 || runNumber < m_options.Runs)) {
            waitMicros = std::min(waitMicros, nextRunMicros - now);
        }
        int timeout = static_cast<int>(std::max<qint64>(0, (waitMicros + 999) / 1000));
        if (marks != nullptr && marks->load() > marked) {
            pollfd pending{m_fd, POLLIN, 0};
            if (::poll(&pending, 1, 0) > 0 && (pending.revents & POLLIN)) {
                timeout = 0; // take the rest first
            } else {
                marked = marks->load();
                std::fprintf(log, "torvex-sim: mark\n");
                std::fflush(log);
            }
        }
        pollfd input{m_fd, static_cast<short>(POLLIN | (unpaced.isEmpty() ? 0 : POLLOUT)), 0};
        if (::poll(&input, 1, timeout) <= 0 || !(input.revents & POLLIN)) {
            continue;
        }
        char buffer[256];
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count <= 0) {
            ::usleep(10'000); // nobody on the other side yet
            continue;
        }
        // Byte by byte, so what a command changed is logged right under it.
        QByteArray reply;
        for (ssize_t i = 0; i < count; ++i) {
            reply += controller.Receive(QByteArray(1, buffer[i]));
            for (; logged < controller.CommandLog().size(); ++logged) {
                std::fprintf(log, "torvex-sim: received %s\n", qPrintable(controller.CommandLog()[logged]));
            }
            for (const QString& note : controller.TakeNotes()) {
                std::fprintf(log, "torvex-sim: %s\n", qPrintable(note));
            }
        }
        std::fflush(log);
        if (m_options.FaultSilence) {
            continue;
        }
        if (!reply.isEmpty() && m_options.FaultMidFrame && !firstReplyCut) {
            reply = reply.mid(reply.size() / 2); // the PC joins the line half-way through a reply
            firstReplyCut = true;
        }
        if (!reply.isEmpty() && m_options.FaultGarbage) {
            reply.prepend(kReplyNoise);
        }
        send(reply, clock.nsecsElapsed() / 1000 + qint64(m_options.SlowRepliesMs) * 1000);
    }
}
