#include "core/factory/TFactorySender.h"

#include "core/app/TServiceLogbook.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/link/PortReservation.h"
#include "core/link/TTorvexController.h"
#include "core/params/TParameterTransfer.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace {

constexpr int kRecordValveType = 57;
constexpr int kRecordOperationMode = 51;
constexpr int kRecordWindowTitle = 276;
constexpr int kRecordNotAllowed = 279;
constexpr int kRecordReadError = 280;
constexpr int kRecordNotChanged = 308;
constexpr int kRecordEdgeDetection = 325;

const QString kValveType = QStringLiteral("VALVE_TYPE          ");
const QString kOperationDown = QStringLiteral("TKX_OPERATION_DN    ");
const QString kEdgeDetect = QStringLiteral("EDGE_DETECT         ");

QString Digits(qint64 value, int width) {
    return QString::asprintf("%0*lld", width, static_cast<long long>(value));
}

bool DecimalNumber(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

// Old controller software ignores the edge detection: it is neither written nor verified there.
bool TakesPart(const TFactoryEntry& entry, qint64 version) {
    return !(entry.Name == kEdgeDetect && version < TFactorySender::kEdgeDetectFirstVersion);
}

} // namespace

QString TFactorySender::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

TFactorySender::TFactorySender(TControllerAccess& access) : m_access(access) {}

QString TFactorySender::WindowTitle(const QString& path, const TLanguage& language) {
    return language.Text(kRecordWindowTitle) + QStringLiteral(": ") + QFileInfo(path).fileName();
}

bool TFactorySender::LoadChecked(const QString& path, const TLanguage& language, Feedback& feedback,
                                 TFactoryLoad& load) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.mid(dot) != QLatin1String(".fact")) {
        load = TFactoryLoad();
        feedback.ShowMessage(MessageKind::Error, WindowTitle(path, language),
                             language.Text(Record::FileNameNotValid) + QLatin1Char(' ') + path, MessageButtons::Ok);
        return false;
    }
    load = LoadFactoryFile(path, language);
    if (!load.Sendable()) {
        feedback.ShowMessage(MessageKind::Error, WindowTitle(path, language), load.Error, MessageButtons::Ok);
        return false;
    }
    return true;
}

void TFactorySender::SetProgress(int position) {
    m_progress = position;
    if (Progress) {
        Progress(position);
    }
}

void TFactorySender::Error(int textRecord) {
    m_error = true;
    m_access.Ui.ShowMessage(MessageKind::Error, Text(Record::Error), Text(textRecord), MessageButtons::Ok);
}

void TFactorySender::Wait(int steps, int milliseconds, int range) {
    for (int i = 0; i < steps; ++i) {
        m_access.Time.Sleep(milliseconds);
        SetProgress(m_progress + range / 70);
    }
}

bool TFactorySender::CheckVersionRules(const TFactoryLoad& load, qint64 version) {
    bool valveRefused = false;
    bool operationRefused = false;
    const auto count =
        std::min<std::size_t>(load.Entries.size(), static_cast<std::size_t>(std::max(0, load.DeclaredCount)));
    for (std::size_t i = 0; i < count; ++i) {
        const TFactoryEntry& entry = load.Entries[i];
        const quint32 v = entry.Value;
        if (entry.Name == kValveType) {
            valveRefused = valveRefused || (version < 2107 && v >= 11 && v <= 13) || (version < 2110 && v == 14) ||
                           (version < 2143 && (v == 15 || v == 16)) || (version < 2160 && (v == 17 || v == 18));
        } else if (entry.Name == kOperationDown) {
            operationRefused = operationRefused || (version < 2160 && v == 4);
        }
    }
    if (!valveRefused && !operationRefused) {
        return true;
    }
    m_error = true;
    QString text = Text(Record::ParametersOutOfRange) + QLatin1Char('\r');
    if (valveRefused) {
        text += QStringLiteral("- ") + Text(kRecordValveType) + QLatin1Char('\r');
    }
    if (operationRefused) {
        text += QStringLiteral("- ") + Text(kRecordOperationMode) + QLatin1Char('\r');
    }
    m_access.Ui.ShowMessage(MessageKind::Information, Text(Record::Remark), text, MessageButtons::Ok);
    return false;
}

TFactoryLamp TFactorySender::Send(TFactoryLoad& load, int eepromWriteDelay) {
    if (!load.Sendable()) {
        return TFactoryLamp::Idle;
    }
    m_error = false;
    m_stopped = false;
    m_memo = load.Memo;
    for (TFactoryEntry& entry : load.Entries) {
        entry.ResultLine.clear();
        entry.Verified = false;
    }
    if (ButtonsEnabled) {
        ButtonsEnabled(false);
    }
    SetProgress(3);
    std::unique_ptr<TTorvexController> session;
    PortReservation port;
    TFactoryLamp lamp = TFactoryLamp::Red;
    try {
        lamp = Run(load, eepromWriteDelay, session, port);
    } catch (const std::exception& failure) {
        // Whatever went wrong, the port is not left open or reserved, and the send is not a success.
        session.reset();
        port.Release();
        lamp = TFactoryLamp::Red;
        m_access.Ui.ShowMessage(MessageKind::Error, Text(Record::Error), QString::fromLocal8Bit(failure.what()),
                                MessageButtons::Ok);
    }
    SetProgress(0);
    if (ButtonsEnabled) {
        ButtonsEnabled(true);
    }
    return lamp;
}

TFactoryLamp TFactorySender::Run(TFactoryLoad& load, int eepromWriteDelay, std::unique_ptr<TTorvexController>& session,
                                 PortReservation& port) {
    Feedback& ui = m_access.Ui;
    port = m_access.Configuration.SelectPort();
    if (!port) {
        return TFactoryLamp::Idle;
    }
    session = m_access.OpenSession(*port);
    SetProgress(m_progress + 3);

    const int count = std::max(0, std::min(load.DeclaredCount, static_cast<int>(load.Entries.size())));
    std::vector<TFactoryEntry>& entries = load.Entries;
    bool reportLines = true;
    const QString type = session->Query(ControllerCommand::ControllerType);
    if (type != QLatin1String("TKX") && type != QLatin1String("VF-TKX")) {
        m_error = true;
        reportLines = false;
        ui.ShowMessage(MessageKind::Error, Text(Record::Error) + QLatin1Char(':') + type, Text(Record::TransferError),
                       MessageButtons::Ok);
    } else if (type != load.ControllerType) {
        m_error = true;
        reportLines = false;
        ui.ShowMessage(MessageKind::Error, Text(Record::Error), Text(Record::WrongController) + type,
                       MessageButtons::Ok);
    } else {
        const QString versionText = session->ReadSoftwareVersion(QStringLiteral("2050"));
        if (!DecimalNumber(versionText)) {
            ui.ShowMessage(
                MessageKind::Error, Text(Record::Error),
                Text(Record::TransferError) + QStringLiteral("\r\r") + Text(Record::ConnectedController) +
                    QStringLiteral(": ") + type + QLatin1Char('\r') + Text(Record::SoftwareVersion) +
                    QStringLiteral(": ") +
                    TParameterTransfer::FormatSoftwareVersion(versionText, m_access.Configuration.Language()),
                MessageButtons::Ok);
            session->QuitWithReply();
            session.reset();
            port.Release();
            return TFactoryLamp::Red;
        }
        const qint64 version = versionText.right(18).toLongLong();
        if (CheckVersionRules(load, version)) {
            const bool edgeEntry = std::any_of(entries.begin(), entries.begin() + count,
                                               [](const TFactoryEntry& e) { return e.Name == kEdgeDetect; });
            if (edgeEntry && version < kEdgeDetectFirstVersion) {
                ui.ShowMessage(MessageKind::Information, Text(Record::Remark),
                               QLatin1Char('\r') + Text(Record::VersionIgnoresParameters) + QLatin1Char('\r') +
                                   QStringLiteral("- ") + Text(kRecordEdgeDetection) +
                                   QStringLiteral(" (EDGE_DETECT)") + QLatin1Char('\r'),
                               MessageButtons::Ok);
            }
            session->EnterCommandMode();
            m_memo = load.Summary + QStringLiteral("\t\t\t\tSent:\tReceived:\r\n");
            if (ShowMemo) {
                ShowMemo(m_memo);
            }
            Transfer(*session, entries, count, version, eepromWriteDelay);
            // Whatever came of it, the controller may have been changed: the logbook says what.
            TLogbookEntry logged;
            logged.ControllerType = type;
            logged.SoftwareVersion = QString::number(static_cast<double>(version) / 1000.0, 'f', 3);
            logged.Action = QStringLiteral("factory send");
            for (int i = 0; i < count; ++i) {
                const TFactoryEntry& entry = entries[static_cast<std::size_t>(i)];
                const QString outcome = entry.Verified               ? QStringLiteral("verified")
                                        : entry.ResultLine.isEmpty() ? QStringLiteral("not sent")
                                                                     : QStringLiteral("failed");
                logged.Lines.push_back({entry.Name.trimmed(), QString(), QString::number(entry.Value), outcome});
            }
            AppendToLogbook(m_access, logged);
        }
    }

    if (reportLines) {
        // A send that stopped early leaves rows it never got to: they say so instead of looking done.
        for (int i = 0; i < count; ++i) {
            const TFactoryEntry& entry = entries[static_cast<std::size_t>(i)];
            QString line = entry.ResultLine;
            if (m_error && !entry.Verified && !line.contains(Text(Record::Error))) {
                line = (line.isEmpty() ? Digits(entry.WorkingAddress, 3) + QLatin1Char('\t') + entry.Name : line) +
                       QStringLiteral("\tnot verified");
            }
            m_memo += line + QStringLiteral("\r\n");
        }
        if (ShowMemo) {
            ShowMemo(m_memo);
        }
    }
    SetProgress(m_progress + 2);
    session->QuitWithReply();
    SetProgress(m_progress + 2);
    session.reset();
    port.Release();
    return m_error ? TFactoryLamp::Red : TFactoryLamp::Green;
}

void TFactorySender::WriteAndVerify(TTorvexController& session, std::vector<TFactoryEntry>& entries, int count,
                                    qint64 version, int eepromWriteDelay, bool working) {
    for (int i = 0; i < count && !m_error && !StopHere(); ++i) {
        TFactoryEntry& entry = entries[static_cast<std::size_t>(i)];
        const quint16 address = working ? entry.WorkingAddress : entry.FactoryAddress;
        qint64& readBack = working ? entry.WorkingReadBack : entry.FactoryReadBack;
        const QString sent =
            QLatin1Char('\t') + entry.Name + QLatin1Char('\t') + Digits(entry.Value, 5) + QLatin1Char('\t');
        if (!TakesPart(entry, version)) {
            entry.ResultLine = Digits(address, 3) + sent + Digits(readBack, 5) + QLatin1Char('\t');
            continue;
        }
        session.WriteParameter(address, TTorvexParameter{static_cast<qint32>(entry.Value), {}, {}});
        m_access.Time.Sleep(eepromWriteDelay);
        readBack = session.ReadParameter(address);
        if (readBack == TTorvexController::kNotAllowed || readBack == TTorvexController::kNoDigits) {
            const QString line = QString::number(address) + sent + QString::number(readBack) + QLatin1Char('\t') +
                                 Text(Record::Error) + QStringLiteral("\r\n");
            entry.ResultLine = working ? entry.ResultLine + line : line;
            Error(readBack == TTorvexController::kNotAllowed ? kRecordNotAllowed : kRecordReadError);
        } else {
            entry.ResultLine = Digits(address, 3) + sent + Digits(readBack, 5) + QLatin1Char('\t');
            if (readBack != static_cast<qint64>(entry.Value)) {
                entry.ResultLine += QLatin1Char('\t') + Text(Record::Error);
                Error(kRecordReadError);
            }
        }
        SetProgress(m_progress + 25 / count);
    }
}

bool TFactorySender::StopHere() {
    // A stop ends the sending like an error, without a message: the memo shows what was confirmed.
    if (!m_stopped && m_access.Stopping()) {
        m_stopped = true;
        m_error = true;
    }
    return m_stopped;
}

void TFactorySender::Transfer(TTorvexController& session, std::vector<TFactoryEntry>& entries, int count,
                              qint64 version, int eepromWriteDelay) {
    WriteAndVerify(session, entries, count, version, eepromWriteDelay, false);
    if (m_error || StopHere()) {
        return;
    }
    const int range = 100 - m_progress;
    session.SendCommand(ControllerCommand::FactoryValuesWritten);
    Wait(10, 600, range);
    WriteAndVerify(session, entries, count, version, eepromWriteDelay, true);
    if (m_error || StopHere()) {
        return;
    }
    session.SendCommand(ControllerCommand::LoadValveType);
    Wait(10, 200, range);
    session.SendCommand(ControllerCommand::SaveUserSettings);
    Wait(10, 600, range);
    if (version >= kEdgeDetectFirstVersion && version <= 9999) {
        // Saving into user memory does not carry the edge detection over: it is written there itself.
        for (int i = 0; i < count; ++i) {
            const TFactoryEntry& entry = entries[static_cast<std::size_t>(i)];
            if (entry.Name == kEdgeDetect) {
                session.WriteParameter(entry.UserAddress, TTorvexParameter{static_cast<qint32>(entry.Value), {}, {}});
                m_access.Time.Sleep(eepromWriteDelay);
            }
        }
    }
    const int rest = 95 - m_progress;
    for (int i = 0; i < count && !m_error && !StopHere(); ++i) {
        TFactoryEntry& entry = entries[static_cast<std::size_t>(i)];
        if (!TakesPart(entry, version)) {
            entry.ResultLine += Text(kRecordNotChanged) + QStringLiteral("\r\n");
            entry.Verified = true;
            continue;
        }
        entry.UserReadBack = session.ReadParameter(entry.UserAddress);
        const QString numbers =
            QLatin1Char(' ') + Digits(entry.UserReadBack, 5) + QLatin1Char(' ') + Digits(entry.WorkingReadBack, 5);
        entry.ResultLine += numbers;
        if (entry.UserReadBack != static_cast<qint64>(entry.Value)) {
            entry.ResultLine += QLatin1Char('\t') + Text(Record::Error) + QStringLiteral("\r\n");
            Error(kRecordReadError);
        } else {
            entry.Verified = true;
        }
        SetProgress(m_progress + rest / count);
    }
}
