#include "core/params/TParameterDatabase.h"
#include "gui/app/TStatusLine.h"

#include "MetadataDefaults.h"
#include "ParameterWindowFixture.h"
#include "SimulatorProcess.h"

#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>

namespace {

// The parameter windows against torvex-sim: what Send refuses, and what the status line says.
class ParameterSend : public ParameterWindow {
protected:
    TViewParameter* OpenWithPort(Family family) {
        TViewParameter* window = family == Family::Tkx
                                     ? static_cast<TViewParameter*>(m_program->Windows().ViewTKXParameter())
                                     : static_cast<TViewParameter*>(m_program->Windows().ViewITKXParameter());
        window->SetPort(TakePort());
        return Open(family);
    }
    QString Remark(QWidget* window) { return Find<TStatusLine>(window, "StatusLine")->Remark(); }
    static qsizetype Sent(const QString& log) { return log.count(QStringLiteral("received E:")); }
};

TEST_F(ParameterSend, AnEmptyOrOutOfRangeFieldStopsTheWholeSetWithOneMessage) {
    for (const Family family : {Family::Tkx, Family::VfTkx}) {
        SCOPED_TRACE(FamilyName(family).toStdString());
        SimulatorProcess simulator({"--family", FamilyName(family), "--software", "2220"});
        ASSERT_FALSE(simulator.Device().isEmpty());
        QDir(m_tree.Path("docs")).removeRecursively();
        Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\nEEpromWrite=0\n", {simulator.Device()});
        // A value stored before its range was narrowed, and a field the technician emptied.
        AddSet(family, "Lift", WithMetadataDefaults(m_program->Database(), family, {{"FastUp", 99}}));
        TViewParameter* window = OpenWithPort(family);
        Enter(window, "EditSlowUp", "");
        m_feedback.Messages.clear();

        Find<QPushButton>(window, "BtnWrite")->click();
        ASSERT_EQ(m_feedback.Messages.size(), 1u) << m_feedback.Texts().join(" | ").toStdString();
        const auto& message = m_feedback.Messages[0];
        EXPECT_EQ(message.Caption, Text(173));
        const QStringList lines = message.Text.split('\r');
        ASSERT_EQ(lines.size(), 3) << message.Text.toStdString();
        // Each offending field with its caption, what it holds and its range.
        EXPECT_TRUE(
            lines.filter(QRegularExpression(R"(^- .+ \(FastUp\): 99\.00 +\[\d+\.\d+ \.\. \d+\.\d+\]$)")).size() == 1)
            << message.Text.toStdString();
        EXPECT_TRUE(lines.filter(QRegularExpression(R"(^- .+ \(SlowUp\): Empty Field ! +\[\d+\.\d+ \.\. \d+\.\d+\]$)"))
                        .size() == 1)
            << message.Text.toStdString();
        EXPECT_EQ(Sent(simulator.Log()), 0);
        EXPECT_FALSE(simulator.Log().contains("received")) << "the controller was not even asked";
        EXPECT_EQ(Remark(window), "Send: nothing written");
        window->close();
        Stop();
    }
}

TEST_F(ParameterSend, TheStatusLineSaysWhyReceiveAndSendAreOff) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\n", {simulator.Device()});
    m_feedback.PortChoice = -1; // the technician cancels the port selection
    TViewParameter* window = OpenWithPort(Family::VfTkx);
    EXPECT_FALSE(Find<QPushButton>(window, "BtnRead")->isEnabled());
    EXPECT_EQ(Remark(window), "Receive and Send are off: no serial port (none was chosen, or it is in use)");
    window->close();

    m_feedback.PortChoice = 0;
    window = OpenWithPort(Family::VfTkx);
    EXPECT_EQ(Remark(window), "Send is off: no parameter set is selected");
    // During a transfer (here one that meets the other family's controller) the buttons say they wait.
    QString during;
    m_feedback.OnMessage = [&] { during = Remark(window); };
    Find<QPushButton>(window, "BtnRead")->click();
    EXPECT_EQ(m_feedback.Messages.back().Text, "Wrong controller connected: TKX");
    EXPECT_EQ(during, "Transfer running: please wait");
    EXPECT_EQ(Remark(window), "Send is off: no parameter set is selected");
    AddSet(Family::VfTkx, "Inverter lift");
    EXPECT_EQ(Remark(window), "Receive: nothing read"); // with both buttons on, the last transfer's outcome
    window->close();
}

TEST_F(ParameterSend, TheStatusLineCountsWhatReceiveAndSendMoved) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\nEEpromWrite=0\n", {simulator.Device()});
    TViewParameter* window = OpenWithPort(Family::Tkx);
    Find<QPushButton>(window, "BtnRead")->click();
    ASSERT_EQ(Sets(Family::Tkx).RecordCount(), 1);
    const QString read = Remark(window);
    EXPECT_EQ(read, "Receive: 55 parameters read");

    auto* verify = Find<QCheckBox>(window, "CheckVerify");
    for (const bool verifying : {false, true}) {
        SCOPED_TRACE(verifying ? "verified" : "written");
        verify->setChecked(verifying);
        const qsizetype before = Sent(simulator.Log());
        Find<QPushButton>(window, "BtnWrite")->click();
        const qsizetype written = Sent(simulator.Log()) - before;
        EXPECT_GT(written, 0);
        EXPECT_EQ(Remark(window),
                  verifying ? QString("Send: %1 parameters written, %1 of %1 matched when read back").arg(written)
                            : QString("Send: %1 parameters written").arg(written));
    }
    window->close();
    verify->setChecked(false);
}

} // namespace
