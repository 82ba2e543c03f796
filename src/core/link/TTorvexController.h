#pragma once

#include "core/link/ByteLink.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Clock;
class TCommParameter;
class TPortState;

// What a session needs of the configuration: how long a reply may keep silent, and
// whether commands go out one character at a time.
struct TLinkSettings {
    int ReplyTimeout = 1000;
    bool PauseSending = true;
};

// The controller's fixed commands by the number the protocol gives them. The
// zero-point measurement of old software shares its number with the actual-value query.
enum class ControllerCommand : int {
    UpLedOn = 1,
    UpLedOff = 2,
    DownLedOn = 3,
    DownLedOff = 4,
    RunLedOn = 5,
    RunLedOff = 6,
    ErrorLedOn = 7,
    ErrorLedOff = 8,
    Siu1LedOn = 9,
    Siu1LedOff = 10,
    RelayOn = 11,
    RelayOff = 12,
    SegmentsOn = 13,
    SegmentsOff = 14,
    LoadValveType = 15,
    LoadFactorySettings = 16,
    LoadUserSettings = 17,
    SaveUserSettings = 18,
    ResetErrorList = 19,
    ValveType = 20,
    ControllerType = 21,
    ActualValue = 22,
    ZeroPointUpTo2090 = 22,
    SoftwareVersion = 23,
    ZeroPointAbove2090 = 24,
    FactoryValuesWritten = 25,
    PasswordLevel = 26,
    PasswordCode = 27,
    PasswordLogout = 28,
    PasswordLogin = 29,
    PasswordChange = 30,
};

// One parameter as the controller's dump reports it.
struct TTorvexParameter {
    qint32 Value = 0;
    QString Unit;
    QString Name;
};

// The parsed parameter dump: three lists at the same positions, each value with
// the parameter number it belongs to.
struct TParameterDump {
    QStringList Values;
    QList<quint32> Numbers;
    QStringList Units;
    QStringList Names;

    // Parses the entries of a dump reply and appends them; an entry cut short at
    // the end of the reply is appended with the fields it has.
    void Parse(const QByteArray& reply);
    int Size() const { return static_cast<int>(Values.size()); }
};

// One command session with the controller: opened with "P" and a 2000 ms pause,
// closed with "Q", "\r" and a drained line. Everything is synchronous; replies end
// after a silence of the reply timeout.
class TTorvexController {
public:
    static constexpr qint64 kNotAllowed = 99999;
    static constexpr qint64 kNoDigits = 99998;

    // A session on a serial port; a port that cannot be opened gives a session
    // whose commands go nowhere and whose replies are empty after one timeout.
    TTorvexController(const TCommParameter& settings, TLinkSettings link, TPortState& ports, Clock& clock);
    // A session over any byte link (the simulated controller under test).
    TTorvexController(std::unique_ptr<ByteLink> link, int replyTimeout, bool pauseSending, Clock& clock);
    ~TTorvexController();
    TTorvexController(const TTorvexController&) = delete;
    TTorvexController& operator=(const TTorvexController&) = delete;

    int ReplyTimeout = 1000;
    TParameterDump Dump;
    QString LastReadDigits;

    // The bytes of a fixed command; empty for a number without a command.
    static QByteArray CommandText(ControllerCommand command);

    void GetParameter(quint16 number, TTorvexParameter& record) const;
    void SetDumpValue(quint16 position, const QString& text);
    void WriteParameter(quint16 address, const TTorvexParameter& record);
    // Progress positions 21 .. 90 on a scale of 0 to 100.
    bool ReadParameterDump(const std::function<void(int)>& progress = {});
    void SendCommand(ControllerCommand command);
    QString SendPassword(ControllerCommand command, const QString& password);
    QString Query(ControllerCommand command);
    QString QueryRaw(ControllerCommand command, int divisor);
    qint64 ReadParameter(quint16 address);
    QString ReadSoftwareVersion(const QString& defaultText);
    void EnterCommandMode();
    QByteArray QuitWithReply();
    QByteArray DrainInput();

    bool IsPortOpen() const { return m_link->IsOpen(); }
    // True once a write did not reach the line (or did not finish in time) during this session.
    bool WriteFailed() const { return m_writeFailed; }
    // True once a read failed outright (the device went away) during this session.
    bool ReadFailed() const { return m_readFailed; }
    bool LinkFailed() const { return m_writeFailed || m_readFailed; }

private:
    enum class Filter { KeepAll, NoLineEnds, NoLineEndsBlanksEquals };

    void Open();
    // Writes and waits until the bytes have left (at most waitMs, -1 without limit).
    void Put(const QByteArray& bytes, int waitMs);
    void SendInOnePiece(const QByteArray& bytes);
    void SendPaced(const QByteArray& bytes);
    void Send(const QByteArray& bytes) { m_pauseSending ? SendPaced(bytes) : SendInOnePiece(bytes); }
    QByteArray CollectReply(int timeoutMs, Filter filter, const std::function<void(int)>& perRead = {});

    std::unique_ptr<ByteLink> m_link;
    TPortState* m_ports = nullptr; // the port state the session's device came from, if any
    Clock& m_clock;
    bool m_pauseSending = true;
    bool m_writeFailed = false;
    bool m_readFailed = false;
};
