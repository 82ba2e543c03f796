#include "core/access/TControllerPassword.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/link/TTorvexController.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int kRecordLevel = 294;
constexpr int kRecordCode = 296;
constexpr int kRecordCurrent = 298;
constexpr int kRecordNew = 299;
constexpr int kRecordConfirm = 300;
constexpr int kRecordNotCorrect = 301;
constexpr int kRecordNotImplemented = 302;
constexpr int kRecordPassword = 303;
constexpr int kRecordFormatInvalid = 304;

constexpr ControllerCommand kLogin = ControllerCommand::PasswordLogin;
constexpr ControllerCommand kSetPassword = ControllerCommand::PasswordChange;
constexpr ControllerCommand kLogout = ControllerCommand::PasswordLogout;
constexpr ControllerCommand kLevelQuery = ControllerCommand::PasswordLevel;
constexpr ControllerCommand kCodeQuery = ControllerCommand::PasswordCode;
constexpr int kPauseBeforeClosing = 1000;

const QString kPelvorColon = QStringLiteral(" (Pelvor): ");

QString DigitsOf(const QString& text) {
    QString digits;
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits += c;
        }
    }
    return digits;
}

QString WrongPassword(const TLanguage& language) {
    return language.Text(kRecordPassword) + kPelvorColon + language.Text(kRecordNotCorrect);
}

bool Rejected(const QString& reply) {
    return reply.contains(QLatin1String("Wrong password"));
}

} // namespace

QString TControllerPassword::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

bool TControllerPassword::IsWellFormed(const QString& password) {
    return password.size() == 4 &&
           std::all_of(password.begin(), password.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

void TControllerPassword::ShowError(const QString& caption, const QString& text) {
    m_access.Ui.ShowMessage(MessageKind::Error, caption, text, MessageButtons::Ok);
}

int TControllerPassword::CheckPasswordFunction() {
    m_access.Ui.SetBusy(true);
    int version = CheckControllerVersion(m_access);
    if (version == 99998) {
        version = 0;
    } else if (version < kFirstVersionWithPassword) {
        m_access.Ui.ShowMessage(MessageKind::Information, Text(Record::Warning),
                                Text(kRecordNotImplemented) + QStringLiteral("\r\rPelvor-") +
                                    Text(Record::SoftwareVersion) + QStringLiteral(": ") + QString::number(version),
                                MessageButtons::Ok);
        version = 0;
    }
    m_access.Ui.SetBusy(false);
    return version;
}

TControllerPassword::Result TControllerPassword::Login(const QString& password) {
    Result result;
    m_access.Ui.SetBusy(true);
    QString message;
    if (!IsWellFormed(password)) {
        message = WrongPassword(m_access.Configuration.Language());
    } else {
        const PortReservation port = m_access.Configuration.SelectPort();
        if (port) {
            result.Sent = true;
            const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
            session->EnterCommandMode();
            // Only a rejection counts: an empty reply is an accepted login.
            if (Rejected(session->SendPassword(kLogin, password))) {
                message = WrongPassword(m_access.Configuration.Language());
            }
            m_access.Time.Sleep(kPauseBeforeClosing);
        }
    }
    if (!message.isEmpty()) {
        ShowError(Text(Record::Error), message);
        result.Failed = true;
    }
    m_access.Ui.SetBusy(false);
    return result;
}

TControllerPassword::Result TControllerPassword::Logout() {
    Result result;
    m_access.Ui.SetBusy(true);
    const PortReservation port = m_access.Configuration.SelectPort();
    if (port) {
        result.Sent = true;
        const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
        session->EnterCommandMode();
        session->SendCommand(kLogout);
        m_access.Time.Sleep(kPauseBeforeClosing);
    }
    m_access.Ui.SetBusy(false);
    return result;
}

TControllerPassword::Result TControllerPassword::Change(const QString& current, const QString& newPassword,
                                                        const QString& confirmation, bool& closesDialog) {
    Result result;
    m_access.Ui.SetBusy(true);
    // Checked from the last field to the first, each failure replacing the message:
    // the first malformed field is the one named.
    QString message;
    const bool confirmationOk = IsWellFormed(confirmation);
    if (!confirmationOk) {
        message = Text(kRecordConfirm) + QStringLiteral(": ") + Text(kRecordFormatInvalid);
    }
    const bool newOk = IsWellFormed(newPassword);
    if (!newOk) {
        message = Text(kRecordNew) + QStringLiteral(": ") + Text(kRecordFormatInvalid);
    }
    const bool currentOk = IsWellFormed(current);
    if (!currentOk) {
        message = Text(kRecordCurrent) + QStringLiteral(": ") + Text(kRecordFormatInvalid);
    }
    bool matching = false;
    if (message.isEmpty()) {
        matching = newPassword == confirmation;
        if (!matching) {
            message = Text(kRecordConfirm) + QStringLiteral(": ") + Text(kRecordNotCorrect);
        }
    }
    if (message.isEmpty()) {
        const PortReservation port = m_access.Configuration.SelectPort();
        if (port) {
            result.Sent = true;
            const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
            session->EnterCommandMode();
            if (Rejected(session->SendPassword(kLogin, current))) {
                message = WrongPassword(m_access.Configuration.Language());
            } else {
                session->SendPassword(kSetPassword, newPassword);
                // Logging in with the new password proves the controller took it.
                if (Rejected(session->SendPassword(kLogin, newPassword))) {
                    message = WrongPassword(m_access.Configuration.Language());
                }
            }
            m_access.Time.Sleep(kPauseBeforeClosing);
        }
    }
    if (!message.isEmpty()) {
        ShowError(Text(Record::Error), message);
        result.Failed = true;
    }
    m_access.Ui.SetBusy(false);
    closesDialog = confirmationOk && newOk && currentOk && matching;
    return result;
}

TControllerPassword::Result TControllerPassword::ReadLevel() {
    Result result;
    m_access.Ui.SetBusy(true);
    {
        const PortReservation port = m_access.Configuration.SelectPort();
        if (!port) {
            m_access.Ui.SetBusy(false);
            return result;
        }
        result.Sent = true;
        const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
        session->EnterCommandMode();
        result.Shown = DigitsOf(session->Query(kLevelQuery));
        m_access.Time.Sleep(kPauseBeforeClosing);
    }
    const QString head = Text(kRecordLevel) + kPelvorColon + QStringLiteral("\r\r");
    if (result.Shown.isEmpty()) {
        ShowError(Text(kRecordLevel), head + Text(Record::Unknown));
        result.Failed = true;
    } else {
        m_access.Ui.ShowMessage(MessageKind::Information, Text(kRecordLevel), head + result.Shown, MessageButtons::Ok);
    }
    m_access.Ui.SetBusy(false);
    return result;
}

TControllerPassword::Result TControllerPassword::ReadCode(int version) {
    Result result;
    m_access.Ui.SetBusy(true);
    {
        const PortReservation port = m_access.Configuration.SelectPort();
        if (port) {
            result.Sent = true;
            const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
            session->EnterCommandMode();
            const QString head = Text(kRecordCode) + kPelvorColon + QStringLiteral("\r\r");
            if (version < kFirstVersionWithCodeQuery) {
                // Older controllers keep the code in their parameter memory.
                const qint64 value = session->ReadParameter(kCodeAddress);
                if (value >= 65536) {
                    ShowError(Text(kRecordCode), head + Text(Record::Unknown));
                    result.Failed = true;
                } else {
                    result.Shown = QString::number(value);
                    m_access.Ui.ShowMessage(MessageKind::Information, Text(kRecordCode), head + result.Shown,
                                            MessageButtons::Ok);
                }
            } else {
                result.Shown = DigitsOf(session->Query(kCodeQuery));
                m_access.Ui.ShowMessage(MessageKind::Information, Text(kRecordCode), head + result.Shown,
                                        MessageButtons::Ok);
            }
            // The box is answered while the session is still open.
            m_access.Time.Sleep(kPauseBeforeClosing);
        }
    }
    m_access.Ui.SetBusy(false);
    return result;
}
