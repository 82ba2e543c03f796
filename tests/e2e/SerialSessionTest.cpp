// A command session on a real pty against torvex-sim, on the real clock.
#include "core/base/Clock.h"
#include "core/link/SerialPort.h"
#include "core/link/TTorvexController.h"

#include "SimulatorProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

std::unique_ptr<TTorvexController> OpenSession(TPortState& ports, const QString& device, Clock& clock) {
    const TCommParameter port(device);
    return std::make_unique<TTorvexController>(port, TLinkSettings{150, true}, ports, clock);
}

TEST(SerialSession, ALongDumpAndAWrittenParameterOverAPty) {
    SimulatorProcess simulator({"--extra-entries", "40"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    SystemClock clock;
    TPortState ports;
    auto session = OpenSession(ports, simulator.Device(), clock);
    ASSERT_TRUE(session->IsPortOpen());
    EXPECT_TRUE(ports.IsOpen());

    session->ReadParameterDump();
    EXPECT_EQ(session->Dump.Size(), 111 + 18 + 40);
    TTorvexParameter record;
    session->GetParameter(1018, record);
    EXPECT_EQ(record.Name, "Error 8");
    session->GetParameter(2039, record);
    EXPECT_EQ(record.Name, "Trace value 40");

    session->EnterCommandMode();
    session->WriteParameter(16, TTorvexParameter{655, {}, {}});
    EXPECT_EQ(session->ReadParameter(16), 655);
    EXPECT_EQ(session->ReadParameter(104), 0);
    session.reset();
    EXPECT_FALSE(ports.IsOpen());

    // The port is free again, and a second session sees the value the controller kept.
    session = OpenSession(ports, simulator.Device(), clock);
    EXPECT_EQ(session->ReadParameter(16), 655);
}

TEST(SerialSession, APortHeldElsewhereGivesAnInvalidHandleUntilItIsFree) {
    SimulatorProcess simulator;
    const TCommParameter port(simulator.Device());
    TPortState otherProgram;
    TPortState ours;
    PortHandle first = otherProgram.Open(port);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ours.Open(port), nullptr);
    EXPECT_FALSE(ours.IsOpen()); // a failed open leaves the next one free to try
    first = otherProgram.Close(first);
    PortHandle again = ours.Open(port);
    EXPECT_NE(again, nullptr);
    ours.Close(again);
}

TEST(SerialSession, ADroppedHandleFreesThePortAndASharedHandleIsLentOut) {
    SimulatorProcess simulator;
    const TCommParameter port(simulator.Device());
    TPortState ports;
    {
        PortHandle dropped = ports.Open(port);
        ASSERT_NE(dropped, nullptr);
        EXPECT_TRUE(ports.IsOpen());
        EXPECT_EQ(ports.Open(port), nullptr); // held by a session: nobody else gets it
    }
    EXPECT_FALSE(ports.IsOpen());

    PortHandle receiver = ports.Open(port);
    ASSERT_NE(receiver, nullptr);
    ports.Share(receiver);
    EXPECT_EQ(ports.Open(port), receiver);
    receiver.reset();
    EXPECT_TRUE(ports.IsOpen()); // the shared handle keeps it open until the receiver forgets it
    ports.Forget();
    EXPECT_FALSE(ports.IsOpen());
    EXPECT_NE(ports.Open(port), nullptr);
}

// Listens on the controller's side of a fresh pty and stamps every byte with the time it arrived.
class PtyListener {
public:
    PtyListener() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_device = QString::fromLocal8Bit(::ptsname(m_master));
        }
        m_timer.start();
        m_thread = std::thread([this] { Listen(); });
    }
    ~PtyListener() {
        Stop();
        ::close(m_master);
    }
    PtyListener(const PtyListener&) = delete;
    PtyListener& operator=(const PtyListener&) = delete;
    const QString& Device() const { return m_device; }
    // Arrival time of the first byte of `text` at or after `from`, in ms; -1 when it never came.
    double ArrivalOf(const QByteArray& text, qsizetype from = 0) const {
        const qsizetype at = m_bytes.indexOf(text, from);
        return at < 0 ? -1 : m_arrivalMs[static_cast<std::size_t>(at)];
    }
    double ArrivalOfEnd(const QByteArray& text) const {
        const qsizetype at = m_bytes.indexOf(text);
        return at < 0 ? -1 : m_arrivalMs[static_cast<std::size_t>(at + text.size() - 1)];
    }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    void Listen() {
        while (!m_stop) {
            pollfd input{m_master, POLLIN, 0};
            if (::poll(&input, 1, 20) <= 0) {
                continue;
            }
            char buffer[64];
            const ssize_t count = ::read(m_master, buffer, sizeof buffer);
            const double now = static_cast<double>(m_timer.nsecsElapsed()) / 1e6;
            for (ssize_t i = 0; i < count; ++i) {
                m_bytes += buffer[i];
                m_arrivalMs.push_back(now);
            }
            if (count <= 0) {
                ::usleep(5000);
            }
        }
    }

    int m_master = -1;
    QString m_device;
    QElapsedTimer m_timer;
    std::atomic<bool> m_stop = false;
    QByteArray m_bytes;
    std::vector<double> m_arrivalMs;
    std::thread m_thread;
};

TEST(SerialSession, ThePausesAfterOpeningAndCommandModeHappenOnTheLine) {
    PtyListener controller;
    ASSERT_FALSE(controller.Device().isEmpty());
    SystemClock clock;
    TPortState ports;
    {
        auto session = OpenSession(ports, controller.Device(), clock);
        ASSERT_TRUE(session->IsPortOpen());
        session->EnterCommandMode();
        session->WriteParameter(16, TTorvexParameter{655, {}, {}});
    }
    controller.Stop();
    const double opened = controller.ArrivalOf("P");
    const double commandMode = controller.ArrivalOf("t\r");
    const double commandModeEnd = controller.ArrivalOfEnd("t\r");
    const double write = controller.ArrivalOf("E:016");
    ASSERT_GE(opened, 0);
    ASSERT_GT(commandMode, 0);
    ASSERT_GT(write, 0);
    // The controller sees the silence the protocol prescribes, not a few milliseconds.
    EXPECT_GE(commandMode - opened, 1950);
    EXPECT_GE(write - commandModeEnd, 480);
}

} // namespace
