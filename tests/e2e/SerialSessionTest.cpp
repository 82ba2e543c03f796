// A command session on a real pty against torvex-sim, on the real clock.
#include "core/base/Clock.h"
#include "core/link/SerialPort.h"
#include "core/link/TTorvexController.h"

#include "SimulatorProcess.h"

#include <gtest/gtest.h>

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

} // namespace
