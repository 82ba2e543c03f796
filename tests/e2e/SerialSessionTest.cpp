// A command session on a real pty against torvex-sim, on the real clock.
#include "core/base/Clock.h"
#include "core/link/SerialPort.h"
#include "core/link/TTorvexController.h"

#include "SimulatorProcess.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TTorvexController> OpenSession(const QString& device, Clock& clock) {
    TCommParameter port(device);
    return std::make_unique<TTorvexController>(std::make_unique<SerialLink>(OpenPort(port)), 150, true, clock);
}

TEST(SerialSession, ALongDumpAndAWrittenParameterOverAPty) {
    SimulatorProcess simulator({"--extra-entries", "40"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    SystemClock clock;
    auto session = OpenSession(simulator.Device(), clock);
    ASSERT_TRUE(session->IsPortOpen());
    EXPECT_TRUE(SerialPortState::PortOpenFlag);

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
    EXPECT_FALSE(SerialPortState::PortOpenFlag);

    // The port is free again, and a second session sees the value the controller kept.
    session = OpenSession(simulator.Device(), clock);
    EXPECT_EQ(session->ReadParameter(16), 655);
}

TEST(SerialSession, APortHeldElsewhereGivesAnInvalidHandleUntilItIsFree) {
    SimulatorProcess simulator;
    TCommParameter port(simulator.Device());
    PortHandle first = OpenPort(port);
    ASSERT_NE(first, nullptr);
    SerialPortState::PortOpenFlag = false; // as if another program held it
    EXPECT_EQ(OpenPort(port), nullptr);
    first = ClosePort(first);
    PortHandle again = OpenPort(port);
    EXPECT_NE(again, nullptr);
    ClosePort(again);
}

} // namespace
