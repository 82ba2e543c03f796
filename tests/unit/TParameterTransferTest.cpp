#include "core/params/TParameterTransfer.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/app/TServiceLogbook.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"

#include "EnglishText.h"
#include "TSimulatorLink.h"
#include "TestInstallation.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");

class CountingView : public TAttachedDataView {
public:
    void StopCollecting() override { Calls << "stop"; }
    void RestartCollecting() override { Calls << "restart"; }
    QStringList Calls;
};

// The real database (a copy of the template) and the simulated controller on the manual clock.
class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_configuration->DatabaseAvailable);
        m_access = std::make_unique<TControllerAccess>(*m_configuration, m_feedback, m_clock);
        m_access->OpenSession = [this](const TCommParameter&) {
            return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(*m_controller, m_clock), 1000,
                                                       true, m_clock);
        };
    }

    TSimulatedController& Controller(Family family, int version, const QString& password = {}) {
        m_controller = std::make_unique<TSimulatedController>(TSimulatedController::Setup{
            family == Family::VfTkx ? Family::VfTkx : Family::Tkx, version, password, kTemplates, 0});
        return *m_controller;
    }
    TParameterTransfer Transfer(Family family) {
        TParameterTransfer transfer(*m_database, *m_access, family);
        transfer.Port = m_port.Get();
        transfer.Progress = [this](int position) { m_progress.push_back(position); };
        return transfer;
    }
    int Address(Family family, const QString& field) {
        m_database->SetParameterFamily(family);
        TTable& metadata = m_database->TableParameterDBSettings();
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            if (metadata.FieldAsText("FieldName") == field) {
                return static_cast<int>(metadata.FieldAsInteger("EpromAddress"));
            }
        }
        ADD_FAILURE() << "no field " << field.toStdString();
        return -1;
    }
    TTable& Sets(Family family) { return m_database->SetTable(family); }
    // Sessions on the simulated controller through a line that may change each reply
    // (session numbers count from 1) and may be set up further per session.
    using LineEffect = std::function<QByteArray(int session, const QByteArray& sent, QByteArray reply)>;
    void Line(LineEffect effect, std::function<void(TSimulatorLink&, int session)> setup = {}) {
        auto sessions = std::make_shared<int>(0);
        m_access->OpenSession = [this, effect, setup, sessions](const TCommParameter&) {
            const int session = ++*sessions;
            auto link = std::make_unique<TSimulatorLink>(
                [this, effect, session](const QByteArray& sent) {
                    return effect(session, sent, m_controller->Receive(sent));
                },
                m_clock);
            if (setup) {
                setup(*link, session);
            }
            return std::make_unique<TTorvexController>(std::move(link), 1000, true, m_clock);
        };
    }
    qsizetype ParametersWritten(qsizetype from = 0) const {
        const QStringList log = m_controller->CommandLog().mid(from);
        return std::count_if(log.begin(), log.end(), [](const QString& c) { return c.startsWith("E:"); });
    }
    QStringList Errors() const {
        QStringList texts;
        for (const auto& message : m_feedback.Messages) {
            if (message.Kind == MessageKind::Error) {
                texts << message.Caption + ": " + message.Text;
            }
        }
        return texts;
    }
    QStringList Remarks() const {
        QStringList texts;
        for (const auto& message : m_feedback.Messages) {
            if (message.Caption == "Remark") {
                texts << message.Text;
            }
        }
        return texts;
    }

    TestInstallation m_installation{QStringList{"/dev/sim"}};
    RecordingFeedback& m_feedback = m_installation.Ui;
    std::unique_ptr<TConfiguration>& m_configuration = m_installation.Configuration;
    std::unique_ptr<TParameterDatabase>& m_database = m_installation.Database;
    ManualClock m_clock;
    std::unique_ptr<TControllerAccess> m_access;
    std::unique_ptr<TSimulatedController> m_controller;
    std::vector<int> m_progress;
    PortReservation m_port = m_configuration->ReservePort("/dev/sim"); // as the parameter window holds it
};

TEST_F(TransferTest, AReadMakesANewSetWithMemosAndTellsWhatItSubstituted) {
    Controller(Family::Tkx, 2107).SetMemory(Address(Family::Tkx, "FastUp"), 735);
    TParameterTransfer transfer = Transfer(Family::Tkx);
    const QDateTime started = m_clock.Now();
    transfer.Read();

    TTable& sets = Sets(Family::Tkx);
    ASSERT_EQ(sets.RecordCount(), 1);
    EXPECT_EQ(sets.GetState(), TTable::State::Browse);
    EXPECT_EQ(sets.FieldAsText("Name"), "...");
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("FastUp"), 7.35);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("OffsetSolUp"), 12.0);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("OffsetSolUpInPsi"), 174);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("EdgeDetect"), 2); // version 2.107 does not know it
    QStringList moments;                                  // the read's date and time, taken while it ran
    for (QDateTime t = started; t <= m_clock.Now(); t = t.addSecs(1)) {
        moments << LocaleDateTimeText(t);
    }
    EXPECT_TRUE(moments.contains(sets.FieldAsText("Description"))) << sets.FieldAsText("Description").toStdString();
    const QStringList info = sets.FieldAsText("InfoMemo").split('\r', Qt::SkipEmptyParts);
    ASSERT_EQ(info.size(), 10);
    EXPECT_EQ(info[0], "Software version:\t" + LocaleFixed(2.107, 3) + "\t");
    EXPECT_EQ(info[2], "Serial number:\t000004711\t");
    EXPECT_EQ(info[4], "Power on:\t     1532\t");
    EXPECT_EQ(info[8], "+ unstab voltage:\t" + LocaleFixed(24.31, 3) + "\t");
    EXPECT_TRUE(sets.FieldAsText("ErrorMemo").startsWith("Error 1:\t12 h \t\rError 2:\t31 h \t\r"));

    EXPECT_EQ(Remarks(), QStringList({Text(254) + "\r- Edge detection\r\r" + Text(255) + "\r" + Text(257) + ".\r"}));
    EXPECT_EQ(transfer.InfoLabel(), "Connected controller: TKX  ( Software version: 2.107 )");
    EXPECT_EQ(m_controller->CommandLog().count("P"), 3); // type, version and dump sessions
    EXPECT_EQ(m_progress.front(), 3);
    EXPECT_EQ(m_progress.back(), 0);
    EXPECT_TRUE(std::find(m_progress.begin(), m_progress.end(), 90) != m_progress.end());

    transfer.Read(); // a second read: a second record of the same name
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 2);
}

TEST_F(TransferTest, VersionGatesOfTheRead) {
    struct Case {
        Family family;
        int version;
        const char* field;
        quint32 controllerValue;
        QVariant expected; // invalid: the field stays empty
        int record;        // the caption its notice line would show
        bool listed;
    };
    const Case cases[] = {
        {Family::Tkx, 2080, "StartDelay", 1, 4.0, 267, false},
        {Family::Tkx, 2080, "StartDelay", 2, 1.0, 267, false},
        {Family::Tkx, 2073, "StartDelay", 1, 1.0, 267, true},
        {Family::Tkx, 2097, "StartDelay", 7, 7.0, 267, false},
        {Family::Tkx, 2051, "FlowCalUp", 150, 1.0, 253, true},
        {Family::Tkx, 2105, "K7Accel", 500, 1.2, 273, true},
        {Family::VfTkx, 2125, "DemandRedType", 1, 3.0, 263, false},
        {Family::VfTkx, 2115, "DemandRedType", 1, 1.0, 263, false},
        {Family::VfTkx, 2150, "FUError", 0, 3.0, 72, false},
        {Family::VfTkx, 2150, "FUError", 2, QVariant(), 72, false},
        {Family::VfTkx, 2142, "FUError", 2, 2.0, 72, false},
        {Family::VfTkx, 2141, "AuxSpeed", 3, 1.0, 289, true},
        {Family::VfTkx, 2052, "NOpenValve", 40, 15.0, 259, true},
        {Family::VfTkx, 2053, "NOpenValve", 40, 40.0, 259, false},
    };
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.version) + " " + c.field;
        Controller(c.family, c.version).SetMemory(Address(c.family, c.field), c.controllerValue);
        m_feedback.Messages.clear();
        Transfer(c.family).Read();
        TTable& sets = Sets(c.family);
        sets.Last(); // the newest "..." set: same name, highest Id
        if (c.expected.isValid()) {
            EXPECT_DOUBLE_EQ(sets.FieldAsFloat(c.field), c.expected.toDouble()) << name;
        } else {
            EXPECT_TRUE(sets.FieldIsNull(c.field)) << name;
        }
        EXPECT_EQ(Remarks().join("").contains("- " + Text(c.record)), c.listed)
            << name << " " << Remarks().join("|").toStdString();
    }
}

TEST_F(TransferTest, AnEdgeDetectionOutOfRangeIsReplacedAndReported) {
    Controller(Family::Tkx, 2220).SetMemory(Address(Family::Tkx, "EdgeDetect"), 9);
    Transfer(Family::Tkx).Read();
    EXPECT_DOUBLE_EQ(Sets(Family::Tkx).FieldAsFloat("EdgeDetect"), 2);
    EXPECT_EQ(Remarks(), QStringList({Text(307) + "\r- Edge detection\r\r" + Text(255) + "\r" + Text(257) + ".\r"}));

    // With substitutes as well: one remark with both parts.
    m_feedback.Messages.clear();
    Controller(Family::Tkx, 2105).SetMemory(Address(Family::Tkx, "EdgeDetect"), 9);
    Transfer(Family::Tkx).Read();
    ASSERT_EQ(Remarks().size(), 1);
    EXPECT_FALSE(Remarks()[0].contains(Text(307))); // 2.105 does not read edge detection at all
}

TEST_F(TransferTest, IdentificationFailures) {
    Controller(Family::VfTkx, 2150);
    Transfer(Family::Tkx).Read();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Wrong controller connected: VF-TKX");
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Error");
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0);

    m_feedback.Messages.clear();
    Controller(Family::Tkx, 2107, "1234"); // "1-PW!": a TKX controller may still be read
    TParameterTransfer transfer = Transfer(Family::Tkx);
    transfer.Read();
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 1);
    EXPECT_EQ(transfer.InfoLabel(), "Connected controller: TKX  ( Software version: 2.107 )");

    m_feedback.Messages.clear();
    Controller(Family::Tkx, 0); // no answer to the version query
    transfer.Read();
    EXPECT_TRUE(transfer.InfoLabel().endsWith("Unknown < 2.057 )")) << transfer.InfoLabel().toStdString();
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 2);
    EXPECT_TRUE(Remarks().join("").contains("- " + Text(325)));
}

// "Missing entries read as 0" serves controllers that lack a parameter, never a dump that
// broke off: such a read is a transfer error and stores nothing.
TEST_F(TransferTest, ABrokenReadStoresNothing) {
    const struct {
        const char* name;
        LineEffect effect;
    } cases[] = {
        {"dump cut half-way", [](int, const QByteArray& sent,
                                 QByteArray reply) { return sent == "p" ? reply.left(reply.size() / 2) : reply; }},
        {"silent after the type reply",
         [](int session, const QByteArray&, QByteArray reply) { return session == 1 ? reply : QByteArray(); }},
    };
    for (const auto& c : cases) {
        Controller(Family::Tkx, 2107);
        Line(c.effect);
        m_feedback.Messages.clear();
        EXPECT_EQ(Transfer(Family::Tkx).Read(), TTransferOutcome::TransferError) << c.name;
        EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0) << c.name;
        EXPECT_EQ(Sets(Family::Tkx).GetState(), TTable::State::Browse) << c.name;
        ASSERT_EQ(Errors().size(), 1) << c.name;
        EXPECT_TRUE(Errors()[0].startsWith("Error: " + Text(167))) << Errors()[0].toStdString();
    }
    // The device going away during the dump: reads fail outright.
    Controller(Family::Tkx, 2107);
    Line([](int, const QByteArray&, QByteArray reply) { return reply; },
         [](TSimulatorLink& link, int session) {
             if (session == 3) {
                 link.Unplugged = [] { return true; };
             }
         });
    EXPECT_EQ(Transfer(Family::Tkx).Read(), TTransferOutcome::TransferError);
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0);

    Line([](int, const QByteArray&, QByteArray reply) { return reply; });
    EXPECT_EQ(Transfer(Family::Tkx).Read(), TTransferOutcome::Saved);
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 1);
}

TEST_F(TransferTest, OldControllersNameTheirInformationInTheCurrentLanguage) {
    m_configuration->SetLanguageIndex(1);
    Controller(Family::Tkx, 2099);
    Transfer(Family::Tkx).Read();
    EXPECT_TRUE(Sets(Family::Tkx)
                    .FieldAsText("InfoMemo")
                    .startsWith(Text(236, 1) + ":\t2" + QLocale::system().decimalPoint() + "099"));
}

TEST_F(TransferTest, AnAttachedDataViewLetsGoOfThePort) {
    Controller(Family::Tkx, 2107);
    CountingView view;
    TParameterTransfer transfer = Transfer(Family::Tkx);
    transfer.DataView = &view;
    transfer.Read();
    EXPECT_EQ(view.Calls, QStringList({"stop", "restart"}));
    view.Calls.clear();
    transfer.Write(1, false, 100);
    EXPECT_EQ(view.Calls, QStringList({"stop", "restart"}));
}

TEST(FormatSoftwareVersion, Forms) {
    const TLanguage english;
    EXPECT_EQ(TParameterTransfer::FormatSoftwareVersion("2105", english), "2.105");
    EXPECT_EQ(TParameterTransfer::FormatSoftwareVersion("0002107", english), "2.107");
    EXPECT_EQ(TParameterTransfer::FormatSoftwareVersion("2050", english), "Unknown < 2.057");
    EXPECT_EQ(TParameterTransfer::FormatSoftwareVersion("21a", english), "0");
    EXPECT_EQ(TParameterTransfer::FormatSoftwareVersion("Unknown", english), "0");
}

// The write: a set (as read, then changed) goes back into the controller.
class WriteTest : public TransferTest {
protected:
    void PrepareSet(Family family, int version, const std::map<QString, double>& values) {
        Controller(family, version);
        Transfer(family).Read();
        TTable& sets = Sets(family);
        sets.Last();
        sets.Edit();
        for (const auto& [field, value] : values) {
            sets.SetFieldFloat(field, value);
        }
        sets.Post();
        m_feedback.Messages.clear();
        m_clock.Pauses.clear();
    }
};

TEST_F(WriteTest, ValuesGoOutAdaptedToTheVersionWithTheirNotice) {
    struct Case {
        Family family;
        int version;
        const char* field;
        double value;
        qint64 sent;    // -1: held back
        QString notice; // a part of the remark
    };
    const QString northAmerica = Text(323) + "North America" + Text(319) + Text(58) + "\r  (" + Text(324) + ")\r";
    const Case cases[] = {
        {Family::Tkx, 2150, "SIUType", 2, 3, Text(307) + "\r(" + Text(257) + "):\r- SIU type\r"},
        {Family::Tkx, 2200, "SIUType", 2, 5, "- SIU type"},
        {Family::Tkx, 2200, "SIUType", 6, -1, northAmerica},
        {Family::VfTkx, 2200, "SIUType", 6, -1, northAmerica},
        {Family::Tkx, 2120, "RelayFunction", 3, 2, "- Relay function"},
        {Family::Tkx, 2200, "RelayFunction", 4, -1, Text(323) + Text(321) + Text(319) + Text(268)},
        {Family::Tkx, 2107, "ValveType", 14, -1, "(" + Text(308) + "!):\r- Valve type\r"},
        {Family::VfTkx, 2150, "FUError", 1, 3, "- Inverter status"},
        {Family::Tkx, 2120, "CommandInput", 4, 1, "- Command input"},
        {Family::Tkx, 2080, "StartDelay", 4, 1, "- Edge detection"},
        {Family::Tkx, 2080, "StartDelay", 2, 2, "- Edge detection"},
        {Family::VfTkx, 2142, "AuxSpeed", 3, 3, ""},
    };
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.version) + " " + c.field + " " + std::to_string(c.value);
        PrepareSet(c.family, c.version, {{c.field, c.value}});
        const int address = Address(c.family, c.field);
        m_controller->SetMemory(address, 4242);
        EXPECT_EQ(Transfer(c.family).WriteParameterSet(3, false, 100), 0) << name;
        EXPECT_EQ(m_controller->Memory(address), c.sent < 0 ? 4242u : static_cast<quint32>(c.sent)) << name;
        const QString remark = Remarks().join("");
        EXPECT_TRUE(remark.contains(c.notice)) << name << ": " << remark.toStdString();
    }
    PrepareSet(Family::VfTkx, 2141, {{"AuxSpeed", 3}});
    m_controller->SetMemory(Address(Family::VfTkx, "AuxSpeed"), 4242);
    Transfer(Family::VfTkx).WriteParameterSet(3, false, 100);
    EXPECT_EQ(m_controller->Memory(Address(Family::VfTkx, "AuxSpeed")), 4242u);
    EXPECT_TRUE(Remarks().join("").contains("- " + Text(289)));
}

TEST_F(WriteTest, OnlyWhatTheLevelAllowsIsSentRowByRowWithItsPauses) {
    PrepareSet(Family::Tkx, 2220, {{"FastUp", 7.5}, {"PSettingSolUpS", 9.5}, {"HWZero", 480}});
    const int fast = Address(Family::Tkx, "FastUp");
    m_controller->SetMemory(Address(Family::Tkx, "PSettingSolUpS"), 1);
    m_controller->SetMemory(Address(Family::Tkx, "HWZero"), 1);
    const auto before = m_controller->CommandLog().size();
    EXPECT_EQ(Transfer(Family::Tkx).WriteParameterSet(1, false, 120), 0);
    EXPECT_EQ(m_controller->Memory(fast), 750u);
    EXPECT_EQ(m_controller->Memory(Address(Family::Tkx, "PSettingSolUpS")), 1u); // level 2
    EXPECT_EQ(m_controller->Memory(Address(Family::Tkx, "HWZero")), 1u);         // level 3
    const QStringList log = m_controller->CommandLog().mid(before);
    EXPECT_TRUE(log.contains("t\\r"));
    EXPECT_TRUE(log.contains(QString("E:%1:00750\\r").arg(fast, 3, 10, QLatin1Char('0'))));
    // Every row the level allows is sent (2.220 knows them all), each followed by the EEPROM delay.
    TTable& metadata = m_database->TableParameterDBSettings();
    int allowed = 0;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        allowed += metadata.FieldAsInteger("PasswordLevel") <= 1;
    }
    EXPECT_EQ(std::count(m_clock.Pauses.begin(), m_clock.Pauses.end(), 120), allowed);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const QString& c) { return c.startsWith("E:"); }), allowed);
    EXPECT_TRUE(Remarks().isEmpty()); // 2.220 knows every parameter

    m_feedback.Messages.clear();
    EXPECT_EQ(Transfer(Family::Tkx).WriteParameterSet(3, false, 100), 0);
    EXPECT_EQ(m_controller->Memory(Address(Family::Tkx, "PSettingSolUpS")), 95u);
    EXPECT_EQ(m_controller->Memory(Address(Family::Tkx, "HWZero")), 480u);
}

TEST_F(WriteTest, PressureInPsiGoesToTheBarAddress) {
    PrepareSet(Family::Tkx, 2220, {{"OffsetSolUp", 7.0}, {"OffsetSolUpInPsi", 145}});
    const int address = Address(Family::Tkx, "OffsetSolUp");
    Transfer(Family::Tkx).WriteParameterSet(3, true, 100);
    EXPECT_EQ(m_controller->Memory(address), 100u);
    Transfer(Family::Tkx).WriteParameterSet(3, false, 100);
    EXPECT_EQ(m_controller->Memory(address), 70u);
}

TEST_F(WriteTest, RefusedControllers) {
    PrepareSet(Family::Tkx, 2107, {});
    Controller(Family::Tkx, 2107, "1234");
    EXPECT_EQ(Transfer(Family::Tkx).WriteParameterSet(3, false, 100), TParameterTransfer::kWritePasswordActive);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, Text(305));

    m_feedback.Messages.clear();
    Controller(Family::VfTkx, 2150);
    EXPECT_EQ(Transfer(Family::Tkx).WriteParameterSet(3, false, 100), TParameterTransfer::kWriteFailed);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Wrong controller connected: VF-TKX");
    EXPECT_FALSE(m_controller->CommandLog().join("").contains("E:"));
}

// Nothing leaves the PC when a value is outside the metadata range: it would arrive wrapped
// or as something the controller does not allow.
TEST_F(WriteTest, ValuesOutsideTheMetadataRangeAreNeverSent) {
    const struct {
        Family family;
        const char* field;
        double value;
    } cases[] = {{Family::Tkx, "StartSpeedUp", 99999999},
                 {Family::Tkx, "StartSpeedUp", 1e300},
                 {Family::Tkx, "StartSpeedUp", -0.5},
                 {Family::VfTkx, "TKXOpDn", 4},
                 {Family::Tkx, "HWZero", 1001}};
    for (const auto& c : cases) {
        PrepareSet(c.family, 2220, {{c.field, c.value}});
        const qsizetype before = m_controller->CommandLog().size();
        TParameterTransfer transfer = Transfer(c.family);
        EXPECT_EQ(transfer.WriteParameterSet(3, false, 100), TParameterTransfer::kWriteFailed) << c.field;
        EXPECT_EQ(transfer.LastOutcome(), TTransferOutcome::Refused);
        EXPECT_EQ(m_controller->CommandLog().size(), before) << "nothing reached the controller";
        ASSERT_EQ(m_feedback.Messages.size(), 1u);
        EXPECT_EQ(m_feedback.Messages[0].Caption, Text(173));
        EXPECT_TRUE(m_feedback.Messages[0].Text.contains(QStringLiteral("(%1): ").arg(c.field)))
            << m_feedback.Messages[0].Text.toStdString();
    }
    // A field the level does not send is not held against the set.
    PrepareSet(Family::Tkx, 2220, {{"HWZero", 1001}});
    EXPECT_EQ(Transfer(Family::Tkx).WriteParameterSet(1, false, 100), 0);
}

TEST_F(WriteTest, AWriteThatBreaksOffSaysHowFarItGot) {
    PrepareSet(Family::Tkx, 2220, {});
    const qsizetype before = m_controller->CommandLog().size();
    Line([](int, const QByteArray&, QByteArray reply) { return reply; },
         [this, before](TSimulatorLink& link, int session) {
             if (session == 2) {
                 link.Unplugged = [this, before] { return ParametersWritten(before) >= 16; };
             }
         });
    TParameterTransfer transfer = Transfer(Family::Tkx);
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::TransferError);
    EXPECT_EQ(ParametersWritten(before), 16);
    EXPECT_EQ(transfer.LastCounts().Written, 16);
    EXPECT_EQ(transfer.LastCounts().Verified, -1);
    EXPECT_EQ(Errors(), QStringList({"Error: " + Text(167) + "\r\r(16 parameters sent before the line failed)"}));
    EXPECT_TRUE(Remarks().isEmpty()); // no "done" notice after a broken write
}

TEST_F(WriteTest, VerificationListsWhatTheControllerHoldsOtherwise) {
    PrepareSet(Family::Tkx, 2220, {{"FastUp", 7.5}});
    TParameterTransfer transfer = Transfer(Family::Tkx);
    transfer.Verify = true;
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::Saved);
    EXPECT_TRUE(Errors().isEmpty());
    const int written = transfer.LastCounts().Written;
    EXPECT_EQ(written, ParametersWritten());
    EXPECT_EQ(transfer.LastCounts().Verified, written);
    EXPECT_EQ(transfer.LastCounts().Matched, written);

    // A controller that drops the write of one parameter.
    const QByteArray fast =
        QStringLiteral("E:%1:").arg(Address(Family::Tkx, "FastUp"), 3, 10, QLatin1Char('0')).toLatin1();
    auto pending = std::make_shared<QByteArray>();
    m_access->OpenSession = [this, fast, pending](const TCommParameter&) {
        auto link = std::make_unique<TSimulatorLink>(
            [this, fast, pending](const QByteArray& sent) {
                // Paced bytes: hold a command back until it is complete, then pass it on or drop it.
                *pending += sent;
                if (!pending->endsWith('\r') && *pending != "p" && *pending != "P" && *pending != "Q") {
                    return QByteArray();
                }
                const QByteArray command = std::exchange(*pending, QByteArray());
                return command.startsWith(fast) ? QByteArray() : m_controller->Receive(command);
            },
            m_clock);
        return std::make_unique<TTorvexController>(std::move(link), 1000, true, m_clock);
    };
    Sets(Family::Tkx).Edit();
    Sets(Family::Tkx).SetFieldFloat("FastUp", 6.25);
    Sets(Family::Tkx).Post();
    m_feedback.Messages.clear();
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::TransferError);
    EXPECT_EQ(Errors(),
              QStringList({"Error: " + Text(167) + "\r\r- " + ParameterCaption("FastUp", 0, Language::English) +
                           " (FastUp): sent 625, controller holds 750"}));
    EXPECT_EQ(transfer.LastCounts().Matched, written - 1);
}

// The E: commands the controller received since `from`, as it logged them.
QStringList WriteCommands(const TSimulatedController& controller, qsizetype from) {
    return controller.CommandLog().mid(from).filter(QRegularExpression("^E:"));
}

QString Command(int address, int value) {
    return QStringLiteral("E:%1:%2\\r").arg(address, 3, 10, QLatin1Char('0')).arg(value, 5, 10, QLatin1Char('0'));
}

TEST_F(WriteTest, ATickedWriteSendsOnlyTheTickedRowsAndTellsWhatBecameOfEach) {
    PrepareSet(Family::Tkx, 2220, {{"FastUp", 6.55}, {"SlowUp", 0.9}, {"AccelUp", 1.5}});
    const qsizetype before = m_controller->CommandLog().size();
    TParameterTransfer transfer = Transfer(Family::Tkx);
    transfer.OnlyFields = std::set<QString>{"SlowUp", "FastUp"};
    transfer.Before = {{"FastUp", "8"}};
    transfer.Verify = true;
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::Saved);
    EXPECT_EQ(WriteCommands(*m_controller, before),
              (QStringList{Command(Address(Family::Tkx, "FastUp"), 655), Command(Address(Family::Tkx, "SlowUp"), 90)}));
    ASSERT_EQ(transfer.LastWritten().size(), 2u);
    EXPECT_EQ(transfer.LastWritten()[0].Field, "FastUp");
    EXPECT_EQ(transfer.LastWritten()[0].Before, "8");
    EXPECT_EQ(transfer.LastWritten()[0].After, "6.55");
    EXPECT_EQ(transfer.LastWritten()[1].Before, "");
    for (const TWrittenParameter& written : transfer.LastWritten()) {
        EXPECT_EQ(written.Result, TWrittenParameter::Outcome::Verified) << written.Field.toStdString();
    }
    EXPECT_EQ(transfer.LastCounts().Written, 2);
    // Only the two rows cost their pauses.
    EXPECT_EQ(std::count(m_clock.Pauses.begin(), m_clock.Pauses.end(), 100), 2);
}

TEST_F(WriteTest, AChangedOnlyWriteReadsTheControllerInItsOwnSessionAndSendsWhatDiffers) {
    PrepareSet(Family::VfTkx, 2220, {});
    const int fast = Address(Family::VfTkx, "FastUp");
    const int valve = Address(Family::VfTkx, "ValveType");
    const int accel = Address(Family::VfTkx, "AccelUp");
    m_controller->SetMemory(fast, 700);
    m_controller->SetMemory(valve, 12);
    m_controller->SetMemory(accel, 300);
    int sessions = 0;
    Line([&sessions](int session, const QByteArray&, QByteArray reply) {
        sessions = std::max(sessions, session);
        return reply;
    });
    const qsizetype before = m_controller->CommandLog().size();
    TParameterTransfer transfer = Transfer(Family::VfTkx);
    transfer.ChangedOnly = true;
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::Saved);
    EXPECT_EQ(sessions, 1);
    EXPECT_EQ(WriteCommands(*m_controller, before),
              (QStringList{Command(accel, 485), Command(fast, 800), Command(valve, 9)}));
    // Identified, read, then command mode: the dump comes before "t".
    const QStringList log = m_controller->CommandLog().mid(before);
    EXPECT_LT(log.indexOf("p"), log.indexOf("t\\r"));
    ASSERT_TRUE(transfer.LastComparison().has_value());
    EXPECT_EQ(transfer.LastComparison()->Compared, 69);
    EXPECT_EQ(transfer.LastCounts().Written, 3);
    ASSERT_EQ(transfer.LastWritten().size(), 3u);
    EXPECT_EQ(transfer.LastWritten()[1].Before, "7");
    EXPECT_EQ(transfer.LastWritten()[1].After, "8");

    // Now nothing differs: nothing is sent, not even command mode.
    const qsizetype second = m_controller->CommandLog().size();
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::Saved);
    EXPECT_EQ(transfer.LastCounts().Written, 0);
    EXPECT_TRUE(transfer.LastWritten().empty());
    EXPECT_FALSE(m_controller->CommandLog().mid(second).contains("t\\r"));
    EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(WriteTest, AChangedOnlyWriteInPsiSendsThePressureConverted) {
    PrepareSet(Family::Tkx, 2220, {{"OffsetSolUpInPsi", 218}});
    const qsizetype before = m_controller->CommandLog().size();
    TParameterTransfer transfer = Transfer(Family::Tkx);
    transfer.ChangedOnly = true;
    EXPECT_EQ(transfer.Write(3, true, 100), TTransferOutcome::Saved);
    // trunc((218 / 14.504 + 0.05) * 10) = 150 to the pressure's one address.
    EXPECT_EQ(WriteCommands(*m_controller, before), QStringList{Command(Address(Family::Tkx, "OffsetSolUp"), 150)});
}

TEST_F(WriteTest, AWriteCutShortTellsWhatWasSentAndWhatWasNot) {
    PrepareSet(Family::Tkx, 2220, {});
    const qsizetype before = m_controller->CommandLog().size();
    Line([](int, const QByteArray&, QByteArray reply) { return reply; },
         [this, before](TSimulatorLink& link, int session) {
             if (session == 2) {
                 link.Unplugged = [this, before] { return ParametersWritten(before) >= 5; };
             }
         });
    TParameterTransfer transfer = Transfer(Family::Tkx);
    EXPECT_EQ(transfer.Write(3, false, 100), TTransferOutcome::TransferError);
    const auto& written = transfer.LastWritten();
    const auto sent = std::count_if(written.begin(), written.end(), [](const TWrittenParameter& w) {
        return w.Result == TWrittenParameter::Outcome::Sent;
    });
    EXPECT_EQ(sent, 5);
    EXPECT_GT(written.size(), 40u);
    EXPECT_EQ(written.back().Result, TWrittenParameter::Outcome::NotSent);
}

TEST_F(WriteTest, EveryWriteLeavesOneLogbookEntryNamedForWhatItWas) {
    PrepareSet(Family::Tkx, 2220, {{"FastUp", 6.55}});
    struct Case {
        const char* action;
        std::function<void(TParameterTransfer&)> setUp;
        QString serial; // known only where a dump was read
        std::size_t lines;
    } cases[] = {
        {"write changed", [](TParameterTransfer& t) { t.ChangedOnly = true; }, "000004711", 1},
        {"write ticked",
         [](TParameterTransfer& t) {
             t.OnlyFields = std::set<QString>{"FastUp", "SlowUp"};
         },
         "", 2},
        {"write", [](TParameterTransfer& t) { t.Verify = true; }, "000004711", 0},
        {"valve type", {}, "", 0},
    };
    std::size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        TParameterTransfer transfer = Transfer(Family::Tkx);
        if (c.setUp) {
            c.setUp(transfer);
        }
        const bool valveType = QString(c.action) == "valve type";
        const QDateTime started = m_clock.Now();
        EXPECT_EQ(valveType ? transfer.ChangeValveType(3, false, 100) : transfer.Write(3, false, 100),
                  TTransferOutcome::Saved);
        const std::vector<TLogbookEntry> entries = m_database->Logbook().Entries();
        ASSERT_EQ(entries.size(), ++count);
        EXPECT_EQ(entries[0].Action, c.action);
        EXPECT_EQ(entries[0].ControllerType, "TKX");
        EXPECT_EQ(entries[0].SerialNumber, c.serial);
        // Stamped when the write ended, to the second.
        EXPECT_GE(entries[0].Time, started.addMSecs(-999));
        EXPECT_LE(entries[0].Time, m_clock.Now());
        EXPECT_EQ(entries[0].Lines.size(), c.lines > 0 ? c.lines : transfer.LastWritten().size());
    }
    // A write refused before anything left the PC changed nothing: nothing is logged.
    TParameterTransfer other = Transfer(Family::VfTkx);
    EXPECT_EQ(other.Write(3, false, 100), TTransferOutcome::Refused);
    EXPECT_EQ(m_database->Logbook().Entries().size(), count);
}

} // namespace

TEST_F(WriteTest, AValveTypeChangeWritesThenLoadsTheValveTypeAndPausesBeforeClosing) {
    PrepareSet(Family::Tkx, 2220, {});
    // Bytes and pauses in the order they happen, per session.
    QStringList timeline;
    std::size_t pausesSeen = 0;
    const auto catchUp = [&] {
        for (; pausesSeen < m_clock.Pauses.size(); ++pausesSeen) {
            timeline << QString("pause %1").arg(m_clock.Pauses[pausesSeen]);
        }
    };
    Line([&](int session, const QByteArray& sent, QByteArray reply) {
        catchUp();
        timeline << QString("%1: %2").arg(session).arg(QString::fromLatin1(sent).replace("\r", "\\r"));
        return reply;
    });
    CountingView view;
    TParameterTransfer transfer = Transfer(Family::Tkx);
    transfer.DataView = &view;
    EXPECT_EQ(transfer.ChangeValveType(3, false, 100), TTransferOutcome::Saved);
    catchUp();
    EXPECT_EQ(view.Calls, QStringList{"stop"}); // the read that follows brings the view back
    EXPECT_EQ(m_progress.back(), 98);
    const qsizetype load = timeline.indexOf("3: P");
    ASSERT_GE(load, 0) << timeline.join(" | ").toStdString();
    // "v\r" in a session of its own; the controller gets its second before "Q\r" ends the session.
    EXPECT_EQ(timeline.mid(load).join(" | "), "3: P | pause 2000 | 3: v | pause 5 | 3: \\r | pause 5 | pause 1000 | "
                                              "3: Q | pause 50 | 3: \\r | pause 50 | pause 500");
}
