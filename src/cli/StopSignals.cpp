#include "cli/StopSignals.h"

#include <atomic>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Where a stop signal is announced. A signal reaches whichever thread the kernel picks, including
// threads the libraries started before, so blocking it cannot catch every case: a handler that
// writes to an eventfd and sets a flag can. These statics are all a handler may reach.
std::atomic<int> g_stopSignalFd{-1};
std::atomic<bool> g_stopRequested{false};

void AnnounceStop(int) {
    g_stopRequested.store(true);
    const int fd = g_stopSignalFd.load();
    if (fd >= 0) {
        const std::uint64_t one = 1;
        (void)write(fd, &one, sizeof one);
    }
}

} // namespace

StopSignals::StopSignals() {
    g_stopRequested.store(false);
    m_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    g_stopSignalFd.store(m_fd);
    struct sigaction action {};
    action.sa_handler = AnnounceStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_oldInt);
    sigaction(SIGTERM, &action, &m_oldTerm);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
    g_stopSignalFd.store(-1);
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool StopSignals::Requested() {
    return g_stopRequested.load();
}
