#pragma once

#include "core/base/Family.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <set>
#include <utility>

// The controller's side of the command protocol: it takes the bytes the program
// sends and answers as a valve controller would. Memory layout and start values
// come from the template metadata (value = Default x Factor).
class TSimulatedController {
public:
    struct Setup {
        Family ControllerFamily = Family::Tkx;
        int SoftwareVersion = 2107;    // 0: no answer to "s\r"
        QString Password;              // four digits; empty: no password active
        QString DatabaseDirectory;     // the template database holding the metadata
        int ExtraEntries = 0;          // further dump entries beyond the parameter memory
        int WrongReadBackAddress = -1; // a read of this address answers one more than the cell holds
        int NotAllowedAddress = -1;    // a read of this address answers "Not allowed"
        QString MemoryFile;            // rewritten with every memory cell at each session end
    };

    // Three memories: working 0..110, the user copy 200 above, the factory copy 400 above.
    static constexpr int kMemorySize = 111;
    static constexpr int kUserOffset = 200;
    static constexpr int kFactoryOffset = 400;
    static constexpr int kPasswordAddress = 104;

    explicit TSimulatedController(const Setup& setup);

    // Everything the controller answers to these bytes (possibly nothing).
    QByteArray Receive(const QByteArray& bytes);

    quint32 Memory(int address) const;
    void SetMemory(int address, quint32 value) { m_memory[address] = value; }
    bool LoggedIn() const { return m_loggedIn; }
    bool SessionOpen() const { return m_sessionOpen; }
    // The commands received, as text, in order (for the log and for tests).
    const QStringList& CommandLog() const { return m_log; }
    bool Output(const QString& name) const; // LEDs "Up", "Down", "Run", "Error", "SIU1", "Relay", "Segments"
    // What changed on the controller since the last call ("Up LED on"), for the log.
    QStringList TakeNotes() { return std::exchange(m_notes, {}); }
    int ParameterCount() const { return static_cast<int>(m_parameters.size()); }

private:
    struct Entry {
        QString Unit;
        QString Name;
    };

    QByteArray Execute(const QByteArray& command);
    QByteArray Dump() const;
    bool PasswordBlocks() const { return !m_password.isEmpty() && !m_loggedIn; }
    void CopyMemory(int fromOffset, int toOffset);
    void WriteMemoryFile() const;
    QByteArray Line(const QByteArray& text) const { return text + "\r\n"; }

    Setup m_setup;
    std::map<int, quint32> m_memory;                          // working, user and factory memory
    std::map<int, quint32> m_defaults;                        // working addresses with their delivered values
    std::map<int, Entry> m_parameters;                        // dump entries of the working memory
    std::map<int, std::pair<QString, quint32>> m_information; // 1001..1018
    std::map<QString, bool> m_outputs;
    QString m_password;
    bool m_loggedIn = false;
    bool m_sessionOpen = false;
    int m_valveTypeAddress = -1;
    std::set<int> m_factorySet; // working addresses whose factory cell was written
    int m_zeroReads = 0;
    QByteArray m_pending;
    bool m_discarding = false; // skipping line noise up to the next carriage return
    QStringList m_log;
    QStringList m_notes;
};
