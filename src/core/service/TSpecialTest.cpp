#include "core/service/TSpecialTest.h"

#include "core/app/ControllerCommands.h"
#include "core/base/Clock.h"

namespace {
constexpr ControllerCommand kControllerTypeQuery = ControllerCommand::ControllerType;
constexpr ControllerCommand kRunOn = ControllerCommand::RunLedOn;
constexpr ControllerCommand kRunOff = ControllerCommand::RunLedOff;
} // namespace

ControllerCommand TSpecialTest::SwitchCommand(Output output, bool on) {
    using enum ControllerCommand;
    switch (output) {
    case Output::Up:
        return on ? UpLedOn : UpLedOff;
    case Output::Down:
        return on ? DownLedOn : DownLedOff;
    case Output::Run:
        return on ? RunLedOn : RunLedOff;
    case Output::Error:
        return on ? ErrorLedOn : ErrorLedOff;
    case Output::Siu1:
        return on ? Siu1LedOn : Siu1LedOff;
    default:
        return on ? RelayOn : RelayOff;
    }
}

TSpecialTest::BrowseResult TSpecialTest::Next(int n, const Lookup& lookup) {
    BrowseResult result;
    bool wrapped = false;
    for (int i = 1;; ++i) {
        const quint16 number = static_cast<quint16>(n + i);
        result.Parameter = lookup(number);
        result.Number = number;
        if (!result.Parameter.Name.isEmpty()) {
            result.Found = true;
            return result;
        }
        if (i >= kHighestNumber + 1) {
            if (wrapped) {
                // A whole turn without a name: the list is empty.
                result.Parameter = TTorvexParameter();
                return result;
            }
            wrapped = true;
            n = 0;
            i = 0;
        }
    }
}

TSpecialTest::BrowseResult TSpecialTest::Prev(int n, const Lookup& lookup) {
    BrowseResult result;
    for (int k = 1;; ++k) {
        result.Number = n - k;
        result.Parameter = lookup(static_cast<quint16>(n - k));
        if (!result.Parameter.Name.isEmpty()) {
            result.Found = true;
            return result;
        }
        if (n - k <= 0) {
            return result;
        }
    }
}

TSpecialTest::TSpecialTest(TControllerAccess& access) : m_access(access) {}

TSpecialTest::~TSpecialTest() = default;

std::optional<QString> TSpecialTest::Connect(TCommParameter& port, const std::function<void(int)>& progress) {
    Disconnect();
    m_session = m_access.OpenSession(port);
    if (!LineHolds()) {
        return std::nullopt;
    }
    m_session->ReadParameterDump(progress);
    const QString type = m_session->Query(kControllerTypeQuery);
    if (!LineHolds()) {
        return std::nullopt;
    }
    m_access.Time.Sleep(kPauseAfterTypeQuery);
    return type;
}

void TSpecialTest::OpenSession(TCommParameter& port) {
    Disconnect();
    m_session = m_access.OpenSession(port);
}

void TSpecialTest::Disconnect() {
    m_session.reset();
    m_switchedOn.fill(false);
    m_segmentsOn = false;
}

bool TSpecialTest::LineHolds() {
    if (m_session == nullptr) {
        return false;
    }
    if (!m_session->LinkFailed()) {
        return true;
    }
    ShowTransferError(m_access);
    Disconnect();
    return false;
}

bool TSpecialTest::Switch(Output output, bool on) {
    if (!m_session) {
        return false;
    }
    m_session->SendCommand(SwitchCommand(output, on));
    if (!LineHolds()) {
        return false;
    }
    m_switchedOn[static_cast<std::size_t>(output)] = on;
    return true;
}

bool TSpecialTest::Segments(bool on) {
    if (!m_session) {
        return false;
    }
    m_session->SendCommand(SegmentsCommand(on));
    if (!LineHolds()) {
        return false;
    }
    m_segmentsOn = on;
    return true;
}

bool TSpecialTest::SwitchOffAll() {
    for (const Output output : {Output::Up, Output::Down, Output::Run, Output::Error, Output::Siu1, Output::Relay}) {
        if (m_switchedOn[static_cast<std::size_t>(output)] && !Switch(output, false)) {
            return false;
        }
    }
    return !m_segmentsOn || Segments(false);
}

std::optional<QString> TSpecialTest::Ask(Question question) {
    if (!m_session) {
        return std::nullopt;
    }
    const QString reply = m_session->Query(static_cast<ControllerCommand>(question));
    if (!LineHolds() || reply.isEmpty()) {
        return std::nullopt;
    }
    return reply;
}

bool TSpecialTest::FlashRunLed(bool runLedOn) {
    if (!m_session) {
        return false;
    }
    m_session->SendCommand(runLedOn ? kRunOff : kRunOn);
    if (!LineHolds()) {
        return false;
    }
    m_access.Time.Sleep(kFlashLength);
    m_session->SendCommand(runLedOn ? kRunOn : kRunOff);
    return LineHolds();
}

TTorvexParameter TSpecialTest::Find(quint16 number) const {
    TTorvexParameter record;
    if (m_session) {
        m_session->GetParameter(number, record);
    }
    return record;
}

bool TSpecialTest::Change(quint16 number, qint32 value, const QString& valueText) {
    if (!m_session) {
        return false;
    }
    TTorvexParameter record;
    record.Value = value;
    m_session->WriteParameter(number, record);
    if (!LineHolds()) {
        return false;
    }
    // The list is looked up by parameter number, and its positions need not follow the numbers
    // (the controller's list starts at 0 and has gaps).
    const qsizetype position = m_session->Dump.Numbers.indexOf(number);
    if (position >= 0) {
        m_session->SetDumpValue(static_cast<quint16>(position), valueText);
    }
    return true;
}
