#include "core/link/TTorvexController.h"

#include "core/base/Clock.h"
#include "core/link/SerialPort.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Blanks and control characters off both ends, as the controller's replies are read.
QByteArray Trimmed(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString Latin1(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

} // namespace

void TParameterDump::Parse(const QByteArray& reply) {
    const char* p = reply.constData();
    const char* const end = p + reply.size();
    const auto runOf = [&](auto accept) {
        const char* start = p;
        while (p < end && accept(*p)) {
            ++p;
        }
        return QByteArray(start, static_cast<qsizetype>(p - start));
    };
    while (true) {
        runOf([](char c) { return !IsDigit(c); });
        if (p >= end) {
            return;
        }
        const QByteArray number = runOf(IsDigit);
        runOf([](char c) { return c == '\t' || IsLineEnd(c); });
        const QByteArray value = runOf(IsDigit);
        runOf(IsLineEnd);
        if (p < end && *p == '\t') {
            ++p;
        }
        runOf(IsLineEnd);
        const QByteArray unit = runOf([](char c) { return c != '\t' && !IsLineEnd(c); });
        runOf(IsLineEnd);
        if (p < end && *p == '\t') {
            ++p;
        }
        const QByteArray name = runOf([](char c) { return !IsLineEnd(c) && c != '\0'; });
        runOf([](char c) { return IsLineEnd(c) || c == '\0'; });

        Values << Latin1(value);
        Numbers << static_cast<quint32>(number.right(10).toULongLong());
        Units << Latin1(unit);
        Names << Latin1(name);
    }
}

TTorvexController::TTorvexController(const TCommParameter& settings, TLinkSettings link, TPortState& ports,
                                     Clock& clock)
    : ReplyTimeout(link.ReplyTimeout), m_ports(&ports), m_clock(clock), m_pauseSending(link.PauseSending) {
    m_link = std::make_unique<SerialLink>(ports.Open(settings), &clock);
    Open();
}

TTorvexController::TTorvexController(std::unique_ptr<ByteLink> link, int replyTimeout, bool pauseSending, Clock& clock)
    : ReplyTimeout(replyTimeout), m_link(std::move(link)), m_clock(clock), m_pauseSending(pauseSending) {
    Open();
}

// Every pause of the protocol counts from the moment the bytes before it have left the PC:
// a serial port keeps written bytes in its buffer until somebody waits for them.
void TTorvexController::Open() {
    Put(QByteArrayLiteral("P"), -1);
    m_clock.Sleep(2000);
}

void TTorvexController::Put(const QByteArray& bytes, int waitMs) {
    if (!m_link->Write(bytes) || !m_link->WaitWritten(waitMs)) {
        m_writeFailed = true;
    }
}

TTorvexController::~TTorvexController() {
    Dump = TParameterDump();
    for (const char* byte : {"Q", "\r"}) {
        Put(QByteArray(byte), 1000);
        m_clock.Sleep(50);
    }
    DrainInput();
    if (auto* serial = dynamic_cast<SerialLink*>(m_link.get()); serial != nullptr && m_ports != nullptr) {
        m_ports->Close(serial->Handle());
    }
}

QByteArray TTorvexController::CommandText(ControllerCommand command) {
    const int index = static_cast<int>(command);
    static const char* const kCommands[] = {nullptr, "LS\r", "lS\r", "LT\r", "lT\r", "LR\r", "lR\r", "LF\r",
                                            "lF\r",  "L1\r", "l1\r", "LY\r", "lY\r", "Z\r",  "z\r",  "v\r",
                                            "w\r",   "b\r",  "B\r",  "C\r",  "V\r",  "T\r",  "I\r",  "s\r",
                                            "j",     "d\r",  "qs\r", "qe\r", "q\r"};
    if (index < 1 || index >= static_cast<int>(std::size(kCommands))) {
        return {};
    }
    return QByteArray(kCommands[index]);
}

void TTorvexController::SendInOnePiece(const QByteArray& bytes) {
    Put(bytes, -1);
    m_clock.Sleep(5);
}

void TTorvexController::SendPaced(const QByteArray& bytes) {
    for (char byte : bytes) {
        Put(QByteArray(1, byte), 1000);
        m_clock.Sleep(5);
    }
}

QByteArray TTorvexController::CollectReply(int timeoutMs, Filter filter, const std::function<void(int)>& perRead) {
    QByteArray reply;
    for (int reads = 1;; ++reads) {
        if (perRead) {
            perRead(reads);
        }
        const int byte = m_link->ReadByte(timeoutMs);
        if (byte == ByteLink::kTimedOut) {
            return reply;
        }
        if (byte == ByteLink::kFailed) {
            m_readFailed = true;
            m_clock.Sleep(timeoutMs); // no port: the reply is empty after one timeout
            return reply;
        }
        const char c = static_cast<char>(byte);
        const bool dropped = (filter != Filter::KeepAll && IsLineEnd(c)) ||
                             (filter == Filter::NoLineEndsBlanksEquals && (c == ' ' || c == '='));
        if (!dropped) {
            reply += c;
        }
    }
}

void TTorvexController::GetParameter(quint16 number, TTorvexParameter& record) const {
    record.Value = 0;
    record.Unit.clear();
    const qsizetype position = Dump.Numbers.indexOf(number);
    if (position < 0) {
        return;
    }
    record.Value = static_cast<qint32>(static_cast<quint32>(Dump.Values[position].right(10).toULongLong()));
    record.Unit = Dump.Units[position];
    record.Name = Dump.Names[position];
}

void TTorvexController::SetDumpValue(quint16 position, const QString& text) {
    if (position < Dump.Values.size()) {
        Dump.Values[position] = text;
    }
}

void TTorvexController::WriteParameter(quint16 address, const TTorvexParameter& record) {
    const QByteArray text = "E:" + QByteArray::number(address).rightJustified(3, '0') + ':' +
                            QByteArray::number(static_cast<quint32>(record.Value)).rightJustified(5, '0') + '\r';
    Send(text);
    m_clock.Sleep(50);
}

bool TTorvexController::ReadParameterDump(const std::function<void(int)>& progress) {
    const auto report = [&](int position) {
        if (progress) {
            progress(position);
        }
    };
    report(21);
    SendInOnePiece(QByteArrayLiteral("p"));
    report(24);
    const QByteArray reply = CollectReply(ReplyTimeout, Filter::KeepAll, [&](int reads) {
        // One step per 50 bytes; a dump longer than 3300 bytes waits at 90 for its end.
        report(std::min(90, static_cast<int>(24 + 0.02 * reads)));
    });
    Dump.Parse(Trimmed(reply));
    report(90);
    return true;
}

void TTorvexController::SendCommand(ControllerCommand command) {
    using enum ControllerCommand;
    if ((command >= UpLedOn && command <= ResetErrorList) || command == FactoryValuesWritten ||
        command == PasswordLogout) {
        Send(CommandText(command));
    }
}

QString TTorvexController::SendPassword(ControllerCommand command, const QString& password) {
    QByteArray text;
    if (command == ControllerCommand::PasswordLogin) {
        text = "q:" + password.toLatin1() + '\r';
    } else if (command == ControllerCommand::PasswordChange) {
        text = "qc:" + password.toLatin1() + '\r';
    }
    if (!text.isEmpty()) {
        Send(text);
    }
    return Latin1(CollectReply(ReplyTimeout, Filter::NoLineEnds));
}

QString TTorvexController::Query(ControllerCommand command) {
    using enum ControllerCommand;
    const bool known =
        (command >= ValveType && command <= SoftwareVersion) || command == PasswordLevel || command == PasswordCode;
    if (known) {
        Send(CommandText(command));
    }
    return Latin1(CollectReply(ReplyTimeout, Filter::NoLineEnds));
}

QString TTorvexController::QueryRaw(ControllerCommand command, int divisor) {
    if (command == ControllerCommand::ZeroPointUpTo2090) {
        SendInOnePiece(QByteArrayLiteral("i"));
    } else if (command == ControllerCommand::ZeroPointAbove2090) {
        SendInOnePiece(QByteArrayLiteral("j"));
    }
    return Latin1(CollectReply(ReplyTimeout / std::max(1, divisor), Filter::NoLineEndsBlanksEquals));
}

qint64 TTorvexController::ReadParameter(quint16 address) {
    LastReadDigits.clear();
    Send("e:" + QByteArray::number(address).rightJustified(3, '0') + '\r');
    const QByteArray reply = CollectReply(ReplyTimeout, Filter::NoLineEnds);
    if (reply.contains("Not allowed")) {
        return kNotAllowed;
    }
    for (char c : Trimmed(reply)) {
        if (IsDigit(c)) {
            LastReadDigits += QLatin1Char(c);
        }
    }
    if (LastReadDigits.isEmpty()) {
        return kNoDigits;
    }
    return LastReadDigits.right(18).toLongLong();
}

QString TTorvexController::ReadSoftwareVersion(const QString& defaultText) {
    const QString reply = Query(ControllerCommand::SoftwareVersion);
    return reply.isEmpty() ? defaultText : reply;
}

void TTorvexController::EnterCommandMode() {
    SendInOnePiece(QByteArrayLiteral("t\r"));
    m_clock.Sleep(500);
}

QByteArray TTorvexController::QuitWithReply() {
    SendInOnePiece(QByteArrayLiteral("Q"));
    SendInOnePiece(QByteArrayLiteral("\r"));
    m_clock.Sleep(200);
    const QByteArray reply = CollectReply(ReplyTimeout, Filter::KeepAll);
    m_clock.Sleep(5);
    return reply;
}

QByteArray TTorvexController::DrainInput() {
    return CollectReply(ReplyTimeout, Filter::KeepAll);
}
