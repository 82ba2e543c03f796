#include "core/access/TControllerPassword.h"

#include "ControllerLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");
const QString kWrongPassword = QStringLiteral("Password (Pelvor): not correct");

class ControllerPasswordTest : public ::testing::Test, public ControllerAccessFixture {
protected:
    TControllerPassword m_password{*Access};

    void Script(const QByteArray& command, const QByteArray& reply) { Line->Replies[command] = {reply}; }
    std::vector<int> PausesOf(int pause) const {
        std::vector<int> found;
        std::copy_if(Time.Pauses.begin(), Time.Pauses.end(), std::back_inserter(found),
                     [&](int p) { return p == pause; });
        return found;
    }
};

TEST_F(ControllerPasswordTest, AMalformedLoginSendsNothing) {
    for (const QString password : {"12a4", "123", "12345", "", " 1234"}) {
        Ui.Messages.clear();
        const auto result = m_password.Login(password);
        EXPECT_FALSE(result.Sent) << password.toStdString();
        EXPECT_TRUE(result.Failed);
        ASSERT_EQ(Ui.Messages.size(), 1u);
        EXPECT_EQ(Ui.Messages[0].Kind, MessageKind::Error);
        EXPECT_EQ(Ui.Messages[0].Caption, "Error");
        EXPECT_EQ(Ui.Messages[0].Text, kWrongPassword);
    }
    EXPECT_TRUE(Line->Commands.isEmpty());
}

TEST_F(ControllerPasswordTest, LoginReplies) {
    const struct {
        QByteArray reply;
        bool rejected;
    } cases[] = {{"", false}, {"OK\r\n", false}, {"Wrong password\r\n", true}, {"xx Wrong password", true}};
    for (const auto& c : cases) {
        Ui.Messages.clear();
        Line->Commands.clear();
        Time.Pauses.clear();
        Script("q:0042\r", c.reply);
        const auto result = m_password.Login("0042");
        EXPECT_TRUE(result.Sent);
        EXPECT_EQ(result.Failed, c.rejected) << c.reply.constData();
        EXPECT_EQ(Line->Commands, QByteArrayList({"P", "t\r", "q:0042\r", "Q"}));
        EXPECT_EQ(Ui.Texts(), c.rejected ? QStringList{kWrongPassword} : QStringList{});
        EXPECT_EQ(PausesOf(500).size(), 1u);
        EXPECT_EQ(PausesOf(1000).size(), 1u); // before the session closes
        EXPECT_FALSE(PortInUse());
    }
}

// The version check and the operation are two sessions of one operation: the port is asked for once.
TEST_F(ControllerPasswordTest, ThePortIsAskedForOncePerOperation) {
    Script("s\r", "0002142\r\n");
    ASSERT_EQ(m_password.CheckPasswordFunction(), 2142);
    m_password.Login("0042");
    m_password.Login("0042"); // a second try in the same dialog
    EXPECT_EQ(Ui.OfferedPorts.size(), 1u);
    EXPECT_FALSE(PortInUse());
}

TEST_F(ControllerPasswordTest, TheVersionDecidesWhetherThereIsAPasswordFunction) {
    const struct {
        QByteArray reply;
        int result;
        MessageKind kind;
        QString caption;
        QString text;
    } cases[] = {
        {"", 0, MessageKind::Error, "Warning", "Transfer error\r\r(2050)"},
        {"0002106\r\n", 0, MessageKind::Information, "Warning",
         "Password not implemented on Pelvor\r\rPelvor-Software version: 2106"},
        {"0000001", 0, MessageKind::Information, "Warning",
         "Password not implemented on Pelvor\r\rPelvor-Software version: 1"},
        {"0002107\r\n", 2107, MessageKind::Plain, "", ""},
        {"0002142", 2142, MessageKind::Plain, "", ""},
    };
    for (const auto& c : cases) {
        Ui.Messages.clear();
        Line->Commands.clear();
        Script("s\r", c.reply);
        EXPECT_EQ(m_password.CheckPasswordFunction(), c.result) << c.reply.constData();
        EXPECT_EQ(Line->Count("P"), 1);
        if (c.text.isEmpty()) {
            EXPECT_TRUE(Ui.Messages.empty());
        } else {
            ASSERT_EQ(Ui.Messages.size(), 1u);
            EXPECT_EQ(Ui.Messages[0].Kind, c.kind);
            EXPECT_EQ(Ui.Messages[0].Caption, c.caption);
            EXPECT_EQ(Ui.Messages[0].Text, c.text);
        }
        EXPECT_FALSE(PortInUse());
    }

    Ui.PortChoice = -1; // no port: the operation ends without a word
    Line->Commands.clear();
    EXPECT_EQ(m_password.CheckPasswordFunction(), 0);
    EXPECT_TRUE(Line->Commands.isEmpty());
    EXPECT_TRUE(Ui.Messages.empty());
}

TEST_F(ControllerPasswordTest, ReadingTheCode) {
    const struct {
        int version;
        QByteArray command;
        QByteArray reply;
        MessageKind kind;
        QString shown;
    } cases[] = {
        {2141, "e:104\r", "512\r\n", MessageKind::Information, "512"},
        {2107, "e:104\r", "65535", MessageKind::Information, "65535"},
        {2141, "e:104\r", "Not allowed\r\n", MessageKind::Error, "Unknown"},
        {2141, "e:104\r", "", MessageKind::Error, "Unknown"},
        {2142, "qe\r", "Code 0042\r\n", MessageKind::Information, "0042"},
        {2142, "qe\r", "Not allowed\r\n", MessageKind::Error, "Unknown"}, // no code is no empty code
    };
    for (const auto& c : cases) {
        Ui.Messages.clear();
        Line->Commands.clear();
        Line->Replies.clear();
        Script(c.command, c.reply);
        const auto result = m_password.ReadCode(c.version);
        EXPECT_EQ(Line->Sent(), QByteArrayList({"t\r", c.command})) << c.version;
        ASSERT_EQ(Ui.Messages.size(), 1u);
        EXPECT_EQ(Ui.Messages[0].Kind, c.kind) << c.reply.constData();
        EXPECT_EQ(Ui.Messages[0].Caption, "Password code");
        EXPECT_EQ(Ui.Messages[0].Text, "Password code (Pelvor): \r\r" + c.shown);
        EXPECT_EQ(result.Failed, c.kind == MessageKind::Error);
    }
}

TEST_F(ControllerPasswordTest, ReadingTheLevelKeepsOnlyItsDigits) {
    const struct {
        QByteArray reply;
        QString text;
        MessageKind kind;
    } cases[] = {
        {"  2 \r\n", "Password level (Pelvor): \r\r2", MessageKind::Information},
        {"Level 1\r\n", "Password level (Pelvor): \r\r1", MessageKind::Information},
        {"1 2", "Password level (Pelvor): \r\r12", MessageKind::Information},
        {"", "Password level (Pelvor): \r\rUnknown", MessageKind::Error},
        {"none", "Password level (Pelvor): \r\rUnknown", MessageKind::Error},
    };
    for (const auto& c : cases) {
        Ui.Messages.clear();
        Line->Commands.clear();
        Script("qs\r", c.reply);
        m_password.ReadLevel();
        EXPECT_EQ(Line->Sent(), QByteArrayList({"t\r", "qs\r"}));
        ASSERT_EQ(Ui.Messages.size(), 1u);
        EXPECT_EQ(Ui.Messages[0].Caption, "Password level");
        EXPECT_EQ(Ui.Messages[0].Text, c.text) << c.reply.constData();
        EXPECT_EQ(Ui.Messages[0].Kind, c.kind);
    }
}

TEST_F(ControllerPasswordTest, ChangeChecksInOrderOfPrecedence) {
    const struct {
        QString current, newPassword, confirmation;
        QString message;
        bool closes;
    } cases[] = {
        {"12a", "5678", "56", "Current password: password format is not valid", false},
        {"12a", "5x78", "5678", "Current password: password format is not valid", false},
        {"1234", "5x78", "56", "New password: password format is not valid", false},
        {"1234", "5678", "567", "Confirm new password: password format is not valid", false},
        {"1234", "5678", "5679", "Confirm new password: not correct", false},
    };
    for (const auto& c : cases) {
        Ui.Messages.clear();
        bool closes = true;
        const auto result = m_password.Change(c.current, c.newPassword, c.confirmation, closes);
        EXPECT_FALSE(result.Sent);
        EXPECT_EQ(closes, c.closes);
        EXPECT_EQ(Ui.Texts(), QStringList{c.message});
        EXPECT_EQ(Ui.Messages[0].Caption, "Error");
    }
    EXPECT_TRUE(Line->Commands.isEmpty());
}

TEST_F(ControllerPasswordTest, LogoutSendsQAndReadsNothing) {
    m_password.Logout();
    EXPECT_EQ(Line->Commands, QByteArrayList({"P", "t\r", "q\r", "Q"}));
    EXPECT_TRUE(Ui.Messages.empty());
    EXPECT_FALSE(PortInUse());
}

class PasswordOnSimulatorTest : public ControllerPasswordTest {
protected:
    PasswordOnSimulatorTest() : m_controller({Family::Tkx, 2142, "1234", kTemplates, 0}) {
        Line->Controller = &m_controller;
    }
    TSimulatedController m_controller;
};

TEST_F(PasswordOnSimulatorTest, ChangeLogsInWithTheNewPassword) {
    bool closes = false;
    auto result = m_password.Change("1234", "0815", "0815", closes);
    EXPECT_TRUE(closes);
    EXPECT_FALSE(result.Failed);
    EXPECT_EQ(Line->Sent(), QByteArrayList({"t\r", "q:1234\r", "qc:0815\r", "q:0815\r"}));
    EXPECT_TRUE(Ui.Messages.empty());

    // Rejected by the controller: said so, nothing changed, but the dialog closes all the same.
    Line->Commands.clear();
    result = m_password.Change("9999", "1111", "1111", closes);
    EXPECT_TRUE(closes);
    EXPECT_TRUE(result.Failed);
    EXPECT_EQ(Line->Sent(), QByteArrayList({"t\r", "q:9999\r"}));
    EXPECT_EQ(Ui.Texts(), QStringList{kWrongPassword});

    Ui.Messages.clear();
    EXPECT_FALSE(m_password.Login("0815").Failed);
    EXPECT_EQ(m_password.ReadCode(2142).Shown, "0815");
    EXPECT_TRUE(m_password.Login("1234").Failed);
    EXPECT_EQ(m_password.ReadCode(2142).Shown, ""); // a rejected login locks the code again
}

// The controller switched off before each step of each operation in turn: the operation ends
// there with the transfer error, and no empty "reply" of the dead line passes for an answer.
TEST_F(PasswordOnSimulatorTest, ALineThatDiesAtAnyStepIsATransferError) {
    bool closes = false;
    const struct {
        const char* name;
        std::function<TControllerPassword::Result()> run;
        QByteArrayList commands; // what a healthy line carries before the session closes
    } operations[] = {
        {"login", [&] { return m_password.Login("1234"); }, {"P", "t\r", "q:1234\r"}},
        {"logout", [&] { return m_password.Logout(); }, {"P", "t\r", "q\r"}},
        {"change",
         [&] { return m_password.Change("1234", "0815", "0815", closes); },
         {"P", "t\r", "q:1234\r", "qc:0815\r", "q:0815\r"}},
        {"level", [&] { return m_password.ReadLevel(); }, {"P", "t\r", "qs\r"}},
        {"code", [&] { return m_password.ReadCode(2142); }, {"P", "t\r", "qe\r"}},
        {"old code", [&] { return m_password.ReadCode(2141); }, {"P", "t\r", "e:104\r"}},
    };
    for (const auto& operation : operations) {
        for (qsizetype lives = 0; lives < operation.commands.size(); ++lives) {
            Ui.Messages.clear();
            Time.Pauses.clear();
            Line->Commands.clear();
            Line->DiesAfter = lives;
            const TControllerPassword::Result result = operation.run();
            const std::string step = std::string(operation.name) + " dead after " + std::to_string(lives);
            EXPECT_EQ(Line->Commands, operation.commands.mid(0, lives)) << step;
            EXPECT_TRUE(result.Sent) << step;
            EXPECT_TRUE(result.Failed) << step;
            EXPECT_TRUE(result.Shown.isEmpty()) << step;
            ASSERT_EQ(Ui.Texts(), QStringList{"Transfer error"}) << step;
            EXPECT_EQ(Ui.Messages.front().Caption, "Error");
            EXPECT_TRUE(PausesOf(1000).empty()) << step; // no pause for a controller that is gone
            EXPECT_FALSE(PortInUse());
        }
    }
}

TEST_F(PasswordOnSimulatorTest, EveryOperationGivesItsPortBackWhenTheUserCancelsThePort) {
    Ui.PortChoice = -1;
    bool closes = false;
    EXPECT_FALSE(m_password.Login("1234").Sent);
    EXPECT_FALSE(m_password.Logout().Sent);
    EXPECT_FALSE(m_password.Change("1234", "1111", "1111", closes).Sent);
    EXPECT_TRUE(closes); // well-formed: the dialog closes even without a port
    EXPECT_FALSE(m_password.ReadLevel().Sent);
    EXPECT_FALSE(m_password.ReadCode(2141).Sent);
    EXPECT_TRUE(Line->Commands.isEmpty());
    EXPECT_TRUE(Ui.Messages.empty());
}

} // namespace
