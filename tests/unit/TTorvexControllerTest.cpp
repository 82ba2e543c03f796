#include "core/link/TTorvexController.h"
#include "core/app/ControllerCommands.h"
#include "core/link/SerialPort.h"

#include "core/app/TConfiguration.h"
#include "core/base/Language.h"

#include "RecordingFeedback.h"
#include "TSimulatorLink.h"
#include "TempTree.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");

// Answers each command (a text ending in "\r", or a lone "p", "i", "j") with the next scripted reply.
struct Script {
    std::deque<QByteArray> Replies;
    QByteArray Pending;
    QByteArray operator()(const QByteArray& bytes) {
        QByteArray out;
        for (char c : bytes) {
            if (Pending.isEmpty() && (c == 'P' || c == 'Q')) {
                continue; // opening and closing the session: no reply
            }
            Pending += c;
            if (c == '\r' || Pending == "p" || Pending == "i" || Pending == "j") {
                if (Pending != "\r" && !Replies.empty()) {
                    out += Replies.front();
                    Replies.pop_front();
                }
                Pending.clear();
            }
        }
        return out;
    }
};

class ProtocolTest : public ::testing::Test {
protected:
    std::unique_ptr<TTorvexController> Session(TSimulatorLink::Responder responder, bool paced = true,
                                               int replyTimeout = 1000) {
        auto link = std::make_unique<TSimulatorLink>(std::move(responder), m_clock);
        m_link = link.get();
        m_writes = link->Writes;
        return std::make_unique<TTorvexController>(std::move(link), replyTimeout, paced, m_clock);
    }
    std::unique_ptr<TTorvexController> Scripted(std::deque<QByteArray> replies, bool paced = true) {
        auto script = std::make_shared<Script>();
        script->Replies = std::move(replies);
        return Session([script](const QByteArray& bytes) { return (*script)(bytes); }, paced);
    }
    // What the session wrote since the given write.
    QByteArray WrittenFrom(std::size_t first) const {
        QByteArray bytes;
        for (std::size_t i = first; i < m_writes->size(); ++i) {
            bytes += (*m_writes)[i].Bytes;
        }
        return bytes;
    }

    ManualClock m_clock;
    TSimulatorLink* m_link = nullptr; // valid while its session lives
    std::shared_ptr<TSimulatorLink::WriteLog> m_writes;
    const TSimulatorLink::WriteLog& Writes() const { return *m_writes; }
};

TEST_F(ProtocolTest, OpeningAndClosingASession) {
    {
        auto session = Scripted({});
        ASSERT_EQ(Writes().size(), 1u);
        EXPECT_EQ(Writes()[0].Bytes, "P");
        EXPECT_EQ(m_clock.Pauses, std::vector<int>({2000}));
    }
    EXPECT_EQ(TSimulatorLink::AllWritten(Writes()), "PQ\r");
    EXPECT_EQ(m_clock.Pauses, std::vector<int>({2000, 50, 50}));
    // Closing drains the line, which costs one reply timeout.
    EXPECT_GE(m_clock.ElapsedMicros(), (2000 + 100 + 1000) * 1000);
}

TEST_F(ProtocolTest, WriteParameterFormatsAddressAndValue) {
    auto session = Scripted({});
    const struct {
        quint16 address;
        qint32 value;
        QByteArray bytes;
    } cases[] = {{7, 42, "E:007:00042\r"}, {1234, 123456, "E:1234:123456\r"}, {5, -1, "E:005:4294967295\r"}};
    for (const auto& c : cases) {
        const std::size_t first = Writes().size();
        m_clock.Pauses.clear();
        session->WriteParameter(c.address, TTorvexParameter{c.value, {}, {}});
        EXPECT_EQ(WrittenFrom(first), c.bytes);
        // Paced: one byte per write, 5 ms after each, then the 50 ms of the write itself.
        EXPECT_EQ(Writes().size() - first, static_cast<std::size_t>(c.bytes.size()));
        std::vector<int> pauses(static_cast<std::size_t>(c.bytes.size()), 5);
        pauses.push_back(50);
        EXPECT_EQ(m_clock.Pauses, pauses);
    }
}

TEST_F(ProtocolTest, ReadParameterReplies) {
    const struct {
        QByteArray reply;
        qint64 result;
        QString digits;
    } cases[] = {{"\r\n 512 \r\n", 512, "512"},
                 {"Not allowed", 99999, ""},
                 {"", 99998, ""},
                 {"-5", 5, "5"},
                 {"value 1a2", 12, "12"}};
    for (const auto& c : cases) {
        auto session = Scripted({c.reply});
        const std::size_t first = Writes().size();
        EXPECT_EQ(session->ReadParameter(104), c.result) << c.reply.constData();
        EXPECT_EQ(session->LastReadDigits, c.digits);
        EXPECT_EQ(WrittenFrom(first), "e:104\r");
    }
}

TEST_F(ProtocolTest, TheDumpIsParsedEntryByEntry) {
    auto session = Scripted({"\xff junk 1\t100\tmm/s\tStart speed\r\n2\t5\t\tOffset\r\n"});
    session->ReadParameterDump();
    ASSERT_EQ(session->Dump.Size(), 2);
    TTorvexParameter record{7, "x", "kept"};
    session->GetParameter(2, record);
    EXPECT_EQ(record.Value, 5);
    EXPECT_EQ(record.Unit, "");
    EXPECT_EQ(record.Name, "Offset");
    session->GetParameter(1, record);
    EXPECT_EQ(record.Unit, "mm/s");
    EXPECT_EQ(record.Name, "Start speed");
    record.Name = "kept";
    session->GetParameter(3, record);
    EXPECT_EQ(record.Value, 0);
    EXPECT_EQ(record.Unit, "");
    EXPECT_EQ(record.Name, "kept");
    session->SetDumpValue(0, "250");
    session->SetDumpValue(9, "1"); // no such position: nothing happens
    session->GetParameter(1, record);
    EXPECT_EQ(record.Value, 250);
}

TEST(ParameterDump, EntriesCutShortAndOddSeparators) {
    const struct {
        QByteArray reply;
        QStringList values, units, names;
        QList<quint32> numbers;
    } cases[] = {
        {"1\t100\tmm/s", {"100"}, {"mm/s"}, {""}, {1}},
        {"12", {""}, {""}, {""}, {12}},
        {QByteArray("3\r\n\t40\r\n\t\r\nV\r\n\tName\twith tab") + QByteArray(2, '\0') + " 4\t5\tHz\tX",
         {"40", "5"},
         {"V", "Hz"},
         {"Name\twith tab", "X"},
         {3, 4}},
        {"no digits at all", {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        TParameterDump dump;
        dump.Parse(c.reply);
        EXPECT_EQ(dump.Values, c.values) << c.reply.constData();
        EXPECT_EQ(dump.Units, c.units) << c.reply.constData();
        EXPECT_EQ(dump.Names, c.names) << c.reply.constData();
        EXPECT_EQ(dump.Numbers, c.numbers) << c.reply.constData();
    }
}

TEST_F(ProtocolTest, PacedAndOnePieceSending) {
    {
        auto session = Scripted({"TKX\r\n"}, true);
        const std::size_t first = Writes().size();
        EXPECT_EQ(session->Query(ControllerCommand::ControllerType), "TKX");
        ASSERT_EQ(Writes().size() - first, 2u);
        EXPECT_EQ(Writes()[first].Bytes, "T");
        EXPECT_EQ(Writes()[first + 1].Bytes, "\r");
        const qint64 apart = Writes()[first + 1].AtMicros - Writes()[first].AtMicros;
        EXPECT_GE(apart, 5000);
        EXPECT_LT(apart, 7000);
    }
    auto session = Scripted({"TKX\r\n"}, false);
    const std::size_t first = Writes().size();
    EXPECT_EQ(session->Query(ControllerCommand::ControllerType), "TKX");
    ASSERT_EQ(Writes().size() - first, 1u);
    EXPECT_EQ(Writes()[first].Bytes, "T\r");
}

TEST_F(ProtocolTest, QueryRawShortensTheTimeoutAndDropsBlanks) {
    auto session = Scripted({"+01 234=\r\n"});
    qint64 lastByte = 0;
    const qint64 before = m_clock.ElapsedMicros();
    EXPECT_EQ(session->QueryRaw(ControllerCommand::ZeroPointUpTo2090, 20), "+01234");
    lastByte = before + 11 * 520; // the command's byte, then the ten reply bytes, at 19200 baud
    const qint64 silence = m_clock.ElapsedMicros() - lastByte;
    EXPECT_GE(silence, 49'000);
    EXPECT_LE(silence, 51'000);
    EXPECT_EQ(Writes().back().Bytes, "i");
    EXPECT_EQ(session->QueryRaw(ControllerCommand::ZeroPointAbove2090, 0), ""); // a divisor below 1 counts as 1
    EXPECT_EQ(Writes().back().Bytes, "j");
}

TEST_F(ProtocolTest, RepliesInBurstsAndALongGap) {
    auto session = Scripted({});
    m_link->Inject("12", 0);
    m_link->Inject("34", 900'000);   // within the timeout: the same reply
    m_link->Inject("56", 2'500'000); // after a silence longer than the timeout: the next reply
    EXPECT_EQ(session->DrainInput(), "1234");
    EXPECT_EQ(session->DrainInput(), "56"); // nothing lost between replies
}

TEST_F(ProtocolTest, IndexesWithoutACommandSendNothing) {
    auto session = Scripted({});
    const std::size_t first = Writes().size();
    for (int index : {0, 20, 21, 22, 23, 24, 26, 27, 29, 30, 31, -1}) {
        session->SendCommand(static_cast<ControllerCommand>(index));
    }
    for (int index : {0, 1, 19, 24, 25, 28, 29}) {
        session->Query(static_cast<ControllerCommand>(index));
    }
    session->SendPassword(ControllerCommand::PasswordLogout, "1234");
    session->QueryRaw(ControllerCommand::SoftwareVersion, 1);
    EXPECT_EQ(WrittenFrom(first), "");

    const struct {
        int index;
        QByteArray bytes;
    } sent[] = {{1, "LS\r"}, {8, "lF\r"}, {13, "Z\r"}, {15, "v\r"}, {16, "w\r"},
                {17, "b\r"}, {18, "B\r"}, {19, "C\r"}, {25, "d\r"}, {28, "q\r"}};
    for (const auto& c : sent) {
        const std::size_t before = Writes().size();
        session->SendCommand(static_cast<ControllerCommand>(c.index));
        EXPECT_EQ(WrittenFrom(before), c.bytes) << c.index;
    }
    for (const auto& [index, bytes] : {std::pair{20, "V\r"}, {22, "I\r"}, {23, "s\r"}, {26, "qs\r"}, {27, "qe\r"}}) {
        const std::size_t before = Writes().size();
        session->Query(static_cast<ControllerCommand>(index));
        EXPECT_EQ(WrittenFrom(before), bytes) << index;
    }
    std::size_t before = Writes().size();
    session->SendPassword(ControllerCommand::PasswordLogin, "0815");
    EXPECT_EQ(WrittenFrom(before), "q:0815\r");
    before = Writes().size();
    session->SendPassword(ControllerCommand::PasswordChange, "4711");
    EXPECT_EQ(WrittenFrom(before), "qc:4711\r");
}

TEST_F(ProtocolTest, CommandModeAndQuitWithReply) {
    auto session = Scripted({});
    m_clock.Pauses.clear();
    session->EnterCommandMode();
    EXPECT_EQ(Writes().back().Bytes, "t\r");
    EXPECT_EQ(m_clock.Pauses, std::vector<int>({5, 500}));
    m_clock.Pauses.clear();
    m_link->Inject("OK\r\n", 210'000);
    EXPECT_EQ(session->QuitWithReply(), "OK\r\n");
    EXPECT_EQ(m_clock.Pauses, std::vector<int>({5, 5, 200, 5}));
}

// Each pause counts from the moment the bytes before it have left the PC, not from the write
// into the port's buffer: the link keeps written bytes until the session waits for them.
TEST_F(ProtocolTest, PausesStartWhenTheBytesHaveLeft) {
    for (const bool paced : {true, false}) {
        {
            auto session = Scripted({}, paced);
            session->EnterCommandMode();
            session->WriteParameter(12, TTorvexParameter{30, {}, {}});
            session->WriteParameter(13, TTorvexParameter{40, {}, {}});
        }
        // The pause each piece must be followed by before the next one leaves.
        const auto pauseAfter = [&](std::size_t i) -> qint64 {
            const QByteArray& bytes = Writes()[i].Bytes;
            if (bytes == "P") {
                return 2000;
            }
            if (bytes == "t\r") {
                return 500;
            }
            const bool beforeNextWriteOrClose =
                i + 1 < Writes().size() && (Writes()[i + 1].Bytes.startsWith('E') || Writes()[i + 1].Bytes == "Q");
            if (bytes.endsWith('\r') && beforeNextWriteOrClose) {
                return 50; // a parameter write's own pause
            }
            return bytes == "Q" ? 50 : 5;
        };
        ASSERT_GT(Writes().size(), 4u);
        for (std::size_t i = 0; i + 1 < Writes().size(); ++i) {
            const qint64 leftAt = Writes()[i].AtMicros + 520 * Writes()[i].Bytes.size();
            EXPECT_GE(Writes()[i + 1].AtMicros - leftAt, pauseAfter(i) * 1000)
                << "after " << Writes()[i].Bytes.constData() << " (paced " << paced << ")";
        }
    }
}

TEST_F(ProtocolTest, WithoutAPortNothingIsDeliveredAndRepliesAreEmpty) {
    TTorvexController session(std::make_unique<SerialLink>(PortHandle()), 1000, true, m_clock);
    EXPECT_FALSE(session.IsPortOpen());
    const qint64 before = m_clock.ElapsedMicros();
    EXPECT_EQ(session.ReadParameter(12), 99998);
    EXPECT_EQ(session.ReadSoftwareVersion("2050"), "2050");
    EXPECT_TRUE(session.ReadParameterDump());
    EXPECT_EQ(session.Dump.Size(), 0);
    // Each reply waited one timeout, plus 5 ms per character of the two paced commands.
    EXPECT_EQ(m_clock.ElapsedMicros() - before, (3 * 1000 + 5 * (6 + 2) + 5) * 1000);
}

TEST(SerialPort, ADeviceThatCannotBeOpenedGivesAnInvalidHandle) {
    TPortState ports;
    TCommParameter missing("/dev/does-not-exist");
    EXPECT_EQ(ports.Open(missing), nullptr);
    EXPECT_FALSE(ports.IsOpen());
    EXPECT_EQ(ports.Close(PortHandle()), nullptr);
    EXPECT_FALSE(ports.IsOpen());
}

// The session against the simulated controller, on the manual clock.
class SimulatedControllerTest : public ::testing::Test {
protected:
    explicit SimulatedControllerTest(int extraEntries = 40)
        : m_controller({Family::Tkx, 2107, "", kTemplates, extraEntries}) {}

    std::unique_ptr<TTorvexController> Session() {
        return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(m_controller, m_clock), 1000, true,
                                                   m_clock);
    }

    ManualClock m_clock;
    TSimulatedController m_controller;
};

TEST_F(SimulatedControllerTest, ALongDumpIsParsedCompletelyWithProgress) {
    auto session = Session();
    std::vector<int> progress;
    session->ReadParameterDump([&](int position) { progress.push_back(position); });
    EXPECT_EQ(session->Dump.Size(), TSimulatedController::kMemorySize + 18 + 40);
    EXPECT_GE(session->Dump.Size(), 150);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 21);
    EXPECT_EQ(progress[1], 24);
    EXPECT_EQ(progress.back(), 90);
    // A dump this long would pass 90 before its end: the bar stops there instead of leaving its range.
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_LE(*std::max_element(progress.begin(), progress.end()), 90);

    TTorvexParameter record;
    session->GetParameter(1001, record);
    EXPECT_EQ(record.Value, 2107);
    EXPECT_EQ(record.Name, "Software version");
    session->GetParameter(12, record);
    EXPECT_EQ(record.Value, 30); // StartSpeedUp 0.30 V at factor 100
    EXPECT_EQ(record.Unit, "V");
    EXPECT_EQ(record.Name, "Start speed UP");
}

TEST_F(SimulatedControllerTest, AWrittenParameterReadsBack) {
    auto session = Session();
    session->EnterCommandMode();
    session->WriteParameter(16, TTorvexParameter{650, {}, {}});
    EXPECT_EQ(session->ReadParameter(16), 650);
    EXPECT_EQ(m_controller.Memory(16), 650u);
    EXPECT_EQ(session->Query(ControllerCommand::ControllerType), "TKX");
    EXPECT_EQ(session->ReadSoftwareVersion("2050"), "0002107");
}

class MainCommandTest : public SimulatedControllerTest {
protected:
    MainCommandTest() {
        QDir().mkpath(m_tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"));
        TConfigurationEnvironment environment;
        environment.ExecutablePath = m_tree.Path("prog/WinTorvex32");
        environment.DocumentsFolder = m_tree.Path("docs");
        environment.PortCandidates = [] { return QStringList{"/dev/ttyUSB0"}; };
        environment.PortOpens = [](const QString&) { return true; };
        m_configuration = std::make_unique<TConfiguration>(environment, m_feedback);
        m_access = std::make_unique<TControllerAccess>(*m_configuration, m_feedback, m_clock);
        m_access->OpenSession = [this](const TCommParameter&) { return Session(); };
    }

    TempTree m_tree;
    RecordingFeedback m_feedback;
    std::unique_ptr<TConfiguration> m_configuration;
    std::unique_ptr<TControllerAccess> m_access;
};

TEST_F(MainCommandTest, CommandsReachTheControllerAndWaitForIt) {
    m_controller.SetMemory(16, 777);
    m_clock.Pauses.clear();
    ASSERT_TRUE(RunMainCommand(*m_access, MainCommand::SaveUserSettings));
    EXPECT_EQ(m_controller.Memory(16 + TSimulatedController::kUserOffset), 777u);
    EXPECT_EQ(m_clock.Pauses.back(), 6000);
    EXPECT_FALSE(m_configuration->Settings().Ports[0]->InUse);

    m_controller.SetMemory(16, 1);
    ASSERT_TRUE(RunMainCommand(*m_access, MainCommand::LoadUserSettings));
    EXPECT_EQ(m_controller.Memory(16), 777u);
    EXPECT_EQ(m_clock.Pauses.back(), 4000);

    ASSERT_TRUE(RunMainCommand(*m_access, MainCommand::LoadFactorySettings));
    EXPECT_EQ(m_controller.Memory(16), 800u);
    EXPECT_EQ(m_clock.Pauses.back(), 6000);

    m_clock.Pauses.clear();
    ASSERT_TRUE(RunMainCommand(*m_access, MainCommand::ResetErrorList));
    EXPECT_TRUE(m_controller.CommandLog().contains("C\\r"));
    EXPECT_NE(m_clock.Pauses.back(), 6000);
    EXPECT_TRUE(m_feedback.Messages.empty());

    m_feedback.PortChoice = -1; // no port: nothing sent, nothing said
    const auto sent = m_controller.CommandLog().size();
    EXPECT_FALSE(RunMainCommand(*m_access, MainCommand::ResetErrorList));
    EXPECT_EQ(m_controller.CommandLog().size(), sent);
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST_F(MainCommandTest, ACommandThatDoesNotReachTheLineIsATransferError) {
    m_access->OpenSession = [this](const TCommParameter&) {
        auto link = std::make_unique<TSimulatorLink>(m_controller, m_clock);
        link->Unplugged = [] { return true; };
        return std::make_unique<TTorvexController>(std::move(link), 1000, true, m_clock);
    };
    m_clock.Pauses.clear();
    EXPECT_TRUE(RunMainCommand(*m_access, MainCommand::SaveUserSettings));
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Error");
    EXPECT_EQ(m_feedback.Messages[0].Text, "Transfer error");
    EXPECT_FALSE(m_controller.CommandLog().contains("B\\r"));
    EXPECT_EQ(std::count(m_clock.Pauses.begin(), m_clock.Pauses.end(), 6000), 0); // no wait for a copy never asked for
    EXPECT_FALSE(m_configuration->Settings().Ports[0]->InUse);
}

TEST_F(MainCommandTest, CheckControllerVersion) {
    EXPECT_EQ(CheckControllerVersion(*m_access), 2107);
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_FALSE(m_configuration->Settings().Ports[0]->InUse);

    m_feedback.PortChoice = -1;
    EXPECT_EQ(CheckControllerVersion(*m_access), 99998);
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST(CheckControllerVersion, ASilentControllerIsATransferError) {
    TempTree tree;
    QDir().mkpath(tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"));
    RecordingFeedback feedback;
    TConfigurationEnvironment environment;
    environment.ExecutablePath = tree.Path("prog/WinTorvex32");
    environment.DocumentsFolder = tree.Path("docs");
    environment.PortCandidates = [] { return QStringList{"/dev/ttyUSB0"}; };
    environment.PortOpens = [](const QString&) { return true; };
    TConfiguration configuration(environment, feedback);
    ManualClock clock;
    TSimulatedController silent({Family::Tkx, 0, "", kTemplates, 0});
    TControllerAccess access(configuration, feedback, clock);
    access.OpenSession = [&](const TCommParameter&) {
        return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(silent, clock), 1000, true, clock);
    };
    EXPECT_EQ(CheckControllerVersion(access), 99998);
    ASSERT_EQ(feedback.Messages.size(), 1u);
    EXPECT_EQ(feedback.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(feedback.Messages[0].Caption, "Warning");
    EXPECT_EQ(feedback.Messages[0].Text, "Transfer error\r\r(2050)");
}

} // namespace
