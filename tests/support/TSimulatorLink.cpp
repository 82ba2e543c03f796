#include "TSimulatorLink.h"

#include <algorithm>

bool TSimulatorLink::Write(const QByteArray& bytes) {
    if (Unplugged && Unplugged()) {
        return false;
    }
    // As in a serial port, the bytes wait in the PC's buffer until somebody waits for them.
    m_pending.push_back(bytes);
    return true;
}

void TSimulatorLink::Flush() {
    const qint64 now = m_clock.ElapsedMicros();
    for (const QByteArray& bytes : m_pending) {
        const qint64 start = std::max(now, m_writeDoneMicros);
        Writes->push_back({start, bytes});
        m_writeDoneMicros = start + m_byteMicros * bytes.size();
        // The controller answers once the command's last byte has arrived.
        Queue(m_respond(bytes), m_writeDoneMicros + m_replyDelayMicros);
    }
    m_pending.clear();
}

bool TSimulatorLink::WaitWritten(int timeoutMs) {
    Flush();
    const qint64 now = m_clock.ElapsedMicros();
    const qint64 wait = std::max<qint64>(0, m_writeDoneMicros - now);
    if (timeoutMs >= 0 && wait > qint64(timeoutMs) * 1000) {
        m_clock.AdvanceMicros(qint64(timeoutMs) * 1000);
        return false;
    }
    m_clock.AdvanceMicros(wait);
    return true;
}

int TSimulatorLink::ReadByte(int timeoutMs) {
    Flush(); // waiting for a reply runs the port's events, which send what is buffered
    const qint64 now = m_clock.ElapsedMicros();
    const qint64 limit = now + qint64(std::max(0, timeoutMs)) * 1000;
    if (m_incoming.empty() || m_incoming.front().AtMicros > limit) {
        m_clock.AdvanceMicros(limit - now);
        return kTimedOut;
    }
    const Incoming next = m_incoming.front();
    m_incoming.pop_front();
    m_clock.AdvanceMicros(std::max<qint64>(0, next.AtMicros - now));
    return static_cast<unsigned char>(next.Byte);
}

void TSimulatorLink::Inject(const QByteArray& bytes, qint64 delayMicros) {
    Queue(bytes, m_clock.ElapsedMicros() + delayMicros);
}

void TSimulatorLink::Queue(const QByteArray& bytes, qint64 fromMicros) {
    qint64 at = std::max(fromMicros, m_incoming.empty() ? fromMicros : m_incoming.back().AtMicros);
    for (char byte : bytes) {
        at += m_byteMicros;
        m_incoming.push_back({at, byte});
    }
}

QByteArray TSimulatorLink::AllWritten(const WriteLog& log) {
    QByteArray all;
    for (const Written& write : log) {
        all += write.Bytes;
    }
    return all;
}
