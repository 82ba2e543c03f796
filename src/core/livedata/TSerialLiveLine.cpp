#include "core/livedata/TSerialLiveLine.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

TSerialLiveLine::TSerialLiveLine(TCommParameter settings, TPortState& ports)
    : m_settings(std::move(settings)), m_ports(ports) {
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TSerialLiveLine::~TSerialLiveLine() {
    if (m_wake >= 0) {
        ::close(m_wake);
    }
}

bool TSerialLiveLine::Open() {
    // A fresh open is always attempted, whatever an earlier collection left behind.
    m_ports.Forget();
    m_openError.clear();
    m_port = m_ports.Open(m_settings, &m_openError);
    m_ports.Share(m_port);
    if (!m_port || m_wake < 0) {
        return false;
    }
    m_fd = static_cast<int>(m_port->handle());
    // Bytes that waited in the port from before the collection belong to no run that is being
    // recorded: kept, they would become a run stamped with the time of opening.
    if (m_fd >= 0) {
        ::tcflush(m_fd, TCIFLUSH);
    }
    return m_fd >= 0;
}

void TSerialLiveLine::Close() {
    m_fd = -1;
    m_port = m_ports.Close(m_port);
}

void TSerialLiveLine::Wake() {
    if (m_wake >= 0) {
        const std::uint64_t one = 1;
        (void)::write(m_wake, &one, sizeof one);
    }
}

TSerialLiveLine::Result TSerialLiveLine::Read(std::uint8_t* buffer, int count, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    bool lineDead = false;
    while (m_end - m_begin < count) {
        pollfd fds[2] = {{m_wake, POLLIN, 0}, {lineDead ? -1 : m_fd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs < 0 ? -1 : static_cast<int>(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            return Result::Stopped;
        }
        if (ready <= 0 || (timeoutMs >= 0 && deadline.hasExpired() && !(fds[1].revents & POLLIN))) {
            m_begin = m_end = 0; // half a frame before a silence
            return Result::TimedOut;
        }
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL) && !(fds[1].revents & POLLIN)) {
            // A line that has gone away: wait out the time limit on the stop event alone, never spin.
            lineDead = true;
            continue;
        }
        if (m_begin > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, std::size_t(m_end - m_begin));
            m_end -= m_begin;
            m_begin = 0;
        }
        const ssize_t got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - std::size_t(m_end));
        if (got > 0) {
            m_end += static_cast<int>(got);
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
            lineDead = true;
        }
    }
    std::memcpy(buffer, m_buffer.data() + m_begin, std::size_t(count));
    m_begin += count;
    return Result::Completed;
}
