#include "core/service/TZeroPointMeter.h"

#include "core/app/TConfiguration.h"
#include "core/app/TServiceLogbook.h"

#include "core/app/ControllerCommands.h"
#include "core/base/Clock.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/link/TTorvexController.h"

#include <algorithm>

namespace {
constexpr int kRecordZeroPoint = 135;
constexpr int kRecordErrorMeasurement = 231;
constexpr ControllerCommand kOldValueQuery = ControllerCommand::ZeroPointUpTo2090;
constexpr ControllerCommand kNewValueQuery = ControllerCommand::ZeroPointAbove2090;
// The value replies come quickly: a twentieth of the reply timeout ends them.
constexpr int kValueTimeoutDivisor = 20;

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

QString TZeroPointMeter::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

TZeroPointMeter::TZeroPointMeter(TControllerAccess& access) : m_access(access) {}

TZeroPointMeter::~TZeroPointMeter() = default;

std::optional<QString> TZeroPointMeter::FormatReading(const QString& reply) {
    if (reply.size() < 6 || !IsDigit(reply[1])) {
        return std::nullopt;
    }
    QString text(9, QLatin1Char(' '));
    text[0] = reply[0];
    text[1] = reply[1] == QLatin1Char('0') ? QLatin1Char(' ') : reply[1];
    text[2] = reply[2];
    text[3] = QLatin1Char('.');
    text[4] = reply[3];
    text[5] = reply[4];
    text[6] = reply[5];
    text[8] = QLatin1Char('V');
    return text;
}

QString TZeroPointMeter::VersionText(int version) {
    return QString::asprintf("%2.3f", version / 1000.0);
}

void TZeroPointMeter::Start(TCommParameter& port) {
    Close();
    m_port = &port;
    m_session = m_access.OpenSession(port);
    m_firstTickPending = true;
    m_versionKnown = false;
    m_version = 0;
}

TZeroPointMeter::Reading TZeroPointMeter::Tick() {
    Reading reading;
    if (m_session == nullptr) {
        reading.Text = Text(kRecordErrorMeasurement);
        return reading;
    }
    if (m_firstTickPending) {
        m_firstTickPending = false;
        QString reply = m_session->ReadSoftwareVersion(QStringLiteral("2050"));
        if (!LineHolds()) {
            reading.Text = Text(kRecordErrorMeasurement);
            return reading;
        }
        if (!std::all_of(reply.begin(), reply.end(), IsDigit)) {
            reply = QStringLiteral("0");
        }
        // The controller wants a fresh session after the version query.
        m_session.reset();
        m_session = m_access.OpenSession(*m_port);
        m_version = static_cast<int>(std::min<qint64>(reply.right(9).toLongLong(), 999999999));
        m_versionKnown = true;
        TLogbookEntry entry;
        entry.SoftwareVersion = VersionText(m_version).trimmed();
        entry.Action = QStringLiteral("zero point");
        AppendToLogbook(m_access, entry);
    }
    const QString reply = m_session->QueryRaw(m_version <= kLastVersionWithOldCommand ? kOldValueQuery : kNewValueQuery,
                                              kValueTimeoutDivisor);
    if (!LineHolds()) {
        reading.Text = Text(kRecordErrorMeasurement);
        return reading;
    }
    if (const std::optional<QString> text = FormatReading(reply)) {
        reading.Text = *text;
        reading.FontSize = kValueFontSize;
        reading.Valid = true;
    } else {
        reading.Text = Text(kRecordErrorMeasurement);
        reading.FontSize = kErrorFontSize;
        m_access.Time.Sleep(kPauseAfterFailure);
    }
    return reading;
}

QString TZeroPointMeter::Title() const {
    QString title = Text(kRecordZeroPoint);
    if (m_versionKnown) {
        title += QStringLiteral(" (") + Text(Record::SoftwareVersion) + QStringLiteral(": ") + VersionText(m_version) +
                 QLatin1Char(')');
    }
    return title;
}

bool TZeroPointMeter::LineHolds() {
    if (!m_session->LinkFailed()) {
        return true;
    }
    ShowTransferError(m_access);
    Close();
    return false;
}

bool TZeroPointMeter::PortOpen() const {
    return m_session != nullptr && m_session->IsPortOpen();
}

void TZeroPointMeter::Close() {
    m_session.reset();
    m_firstTickPending = false;
}
