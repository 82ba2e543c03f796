#include "core/access/TControllerPassword.h"

#include "core/app/TServiceLogbook.h"

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

// Reports a line that failed during the session as a transfer error; true when it did.
bool ReportLineFailure(TControllerAccess& access, const TTorvexController& session) {
    if (!session.LinkFailed()) {
        return false;
    }
    ShowTransferError(access);
    return true;
}

// Logs in with the current password, sets the new one and logs in with it, stopping at the
// first step whose line failed: no later reply may then pass for the controller's answer.
// True when the controller rejected a password.
bool ChangeRejected(TTorvexController& session, const QString& current, const QString& newPassword) {
    session.EnterCommandMode();
    if (session.LinkFailed()) {
        return false;
    }
    const QString first = session.SendPassword(kLogin, current);
    if (session.LinkFailed() || Rejected(first)) {
        return !session.LinkFailed();
    }
    session.SendPassword(kSetPassword, newPassword);
    if (session.LinkFailed()) {
        return false;
    }
    // Logging in with the new password proves the controller took it.
    const QString second = session.SendPassword(kLogin, newPassword);
    return !session.LinkFailed() && Rejected(second);
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
        const PortReservation port = m_access.TakePort();
        if (port) {
            result.Sent = true;
            const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
            session->EnterCommandMode();
            const QString reply = session->LinkFailed() ? QString() : session->SendPassword(kLogin, password);
            if (ReportLineFailure(m_access, *session)) {
                result.Failed = true;
            } else {
                // Only a rejection counts: an empty reply is an accepted login.
                if (Rejected(reply)) {
                    message = WrongPassword(m_access.Configuration.Language());
                }
                m_access.Time.Sleep(kPauseBeforeClosing);
            }
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
    const PortReservation port = m_access.TakePort();
    if (port) {
        result.Sent = true;
        const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
        session->EnterCommandMode();
        if (!session->LinkFailed()) {
            session->SendCommand(kLogout);
        }
        // The logout has no reply: only the line tells whether it went out.
        if (ReportLineFailure(m_access, *session)) {
            result.Failed = true;
        } else {
            m_access.Time.Sleep(kPauseBeforeClosing);
        }
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
        const PortReservation port = m_access.TakePort();
        if (port) {
            result.Sent = true;
            const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
            if (ChangeRejected(*session, current, newPassword)) {
                message = WrongPassword(m_access.Configuration.Language());
            }
            if (ReportLineFailure(m_access, *session)) {
                result.Failed = true;
            } else {
                m_access.Time.Sleep(kPauseBeforeClosing);
            }
        }
    }
    if (!message.isEmpty()) {
        ShowError(Text(Record::Error), message);
        result.Failed = true;
    }
    if (result.Sent) {
        // Never the codes themselves: the logbook is no place for a password.
        TLogbookEntry entry;
        entry.Action = QStringLiteral("password change");
        entry.Lines.push_back(
            {QString(), QString(), QString(), result.Failed ? QStringLiteral("failed") : QStringLiteral("sent")});
        AppendToLogbook(m_access, entry);
    }
    m_access.Ui.SetBusy(false);
    closesDialog = confirmationOk && newOk && currentOk && matching;
    return result;
}

TControllerPassword::Result TControllerPassword::ReadLevel() {
    Result result;
    m_access.Ui.SetBusy(true);
    bool lineFailed = false;
    {
        const PortReservation port = m_access.TakePort();
        if (!port) {
            m_access.Ui.SetBusy(false);
            return result;
        }
        result.Sent = true;
        const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
        session->EnterCommandMode();
        if (!session->LinkFailed()) {
            result.Shown = DigitsOf(session->Query(kLevelQuery));
        }
        lineFailed = ReportLineFailure(m_access, *session);
        if (!lineFailed) {
            m_access.Time.Sleep(kPauseBeforeClosing);
        }
    }
    const QString head = Text(kRecordLevel) + kPelvorColon + QStringLiteral("\r\r");
    if (lineFailed) {
        result.Shown.clear(); // digits from a reply the line cut are no level
        result.Failed = true;
    } else if (result.Shown.isEmpty()) {
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
        const PortReservation port = m_access.TakePort();
        if (port) {
            result.Sent = true;
            const std::unique_ptr<TTorvexController> session = m_access.OpenSession(*port);
            session->EnterCommandMode();
            const QString head = Text(kRecordCode) + kPelvorColon + QStringLiteral("\r\r");
            bool known = false;
            if (session->LinkFailed()) {
                // Nothing was asked.
            } else if (version < kFirstVersionWithCodeQuery) {
                // Older controllers keep the code in their parameter memory.
                const qint64 value = session->ReadParameter(kCodeAddress);
                known = value < 65536;
                if (known) {
                    result.Shown = QString::number(value);
                }
            } else {
                result.Shown = DigitsOf(session->Query(kCodeQuery));
                known = !result.Shown.isEmpty();
            }
            if (ReportLineFailure(m_access, *session)) {
                result.Shown.clear();
                result.Failed = true;
            } else {
                // A reply without a code (none at all, or "Not allowed") is no code: never an empty one.
                if (known) {
                    m_access.Ui.ShowMessage(MessageKind::Information, Text(kRecordCode), head + result.Shown,
                                            MessageButtons::Ok);
                } else {
                    ShowError(Text(kRecordCode), head + Text(Record::Unknown));
                    result.Failed = true;
                }
                // The box is answered while the session is still open.
                m_access.Time.Sleep(kPauseBeforeClosing);
            }
        }
    }
    m_access.Ui.SetBusy(false);
    return result;
}
