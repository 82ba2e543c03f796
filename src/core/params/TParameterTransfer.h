#pragma once

#include "core/base/Family.h"
#include "core/params/TSetCompare.h"
#include "core/params/VersionGates.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class TCommParameter;
class TParameterDatabase;
class TTorvexController;
struct TControllerAccess;

// A data view collecting live data on the same port: it lets go of the port
// while parameters are transferred.
class TAttachedDataView {
public:
    virtual ~TAttachedDataView() = default;
    virtual void StopCollecting() = 0;
    virtual void RestartCollecting() = 0;
};

// How a read or a write ended. Saved: the set was stored (read) or sent completely (write).
// Refused: nothing was stored or sent, for a reason the user can act on (values out of
// range, another controller, an active password). TransferError: the line or the
// controller failed on the way; the user has been told how far it got.
// Stopped: the user stopped a write between two parameters; LastCounts() tells what was sent.
enum class TTransferOutcome { Saved, Refused, TransferError, Stopped };

// What the last read or write moved, for the window to report.
struct TTransferCounts {
    int Read = 0;      // parameters taken from the controller's memory into the new set
    int Written = 0;   // parameters the controller was sent (each address once)
    int Verified = -1; // parameters read back after the write; -1: not read back
    int Matched = 0;   // of those, the ones the controller holds as sent
};

struct TValueProblem;

// One parameter a write meant to send, and what became of it.
struct TWrittenParameter {
    enum class Outcome { NotSent, Sent, Verified, Failed };
    QString Field;
    quint16 Address = 0;
    QString Before; // the controller's value before the write, when known
    QString After;  // the set's value
    Outcome Result = Outcome::NotSent;
};

// Reading a controller's parameters into a new set and writing a set into a
// controller, for one family (1 TKX, 2 VF-TKX). The window lends its port, its
// progress bar, its buttons and an attached data view through the members below.
class TParameterTransfer {
public:
    static constexpr int kWritePasswordActive = 99990;
    static constexpr int kWriteFailed = 99997;

    TParameterTransfer(TParameterDatabase& database, TControllerAccess& access, Family family);

    TCommParameter* Port = nullptr;        // may be none: nothing then reaches a controller
    TAttachedDataView* DataView = nullptr; // attached data view, if any
    std::function<void(int)> Progress;     // 0 .. 100
    std::function<void(bool)> ButtonsEnabled;
    // After a complete write, read the dump back and list every parameter the controller
    // holds with a value other than the one sent.
    bool Verify = false;
    // Only these fields are sent (the ticked rows of a comparison); none: every field.
    std::optional<std::set<QString>> OnlyFields;
    // The controller is read first, in the write's own session, and only what differs is sent.
    bool ChangedOnly = false;
    // The controller's values before the write where a comparison told them, by field, and
    // who the controller is, for the logbook.
    std::map<QString, QString> Before;
    QString SerialNumber;
    QString SoftwareVersion;

    // The Receive button: identifies the controller, reads its memory into a new
    // record named "..." of the family's set table, and tells what it substituted.
    TTransferOutcome Read();
    // The Send button: the write, with the attached data view stopped around it.
    TTransferOutcome Write(int passwordLevel, bool psi, int eepromWriteDelay);
    // A confirmed change of the valve type: the current set is written, then the controller
    // loads the values of its new valve type. The caller reads the controller back afterwards;
    // buttons and progress stay as they are for that read.
    TTransferOutcome ChangeValveType(int passwordLevel, bool psi, int eepromWriteDelay);
    // Writes the current set: 0, or 99990 (password active, nobody logged in), or 99997.
    // A set with values outside the metadata range is refused before anything is sent;
    // the write stops at the first command that does not reach the line.
    int WriteParameterSet(int passwordLevel, bool psi, int eepromWriteDelay);
    // How the last read or write ended, and how many parameters it moved.
    TTransferOutcome LastOutcome() const { return m_outcome; }
    const TTransferCounts& LastCounts() const { return m_counts; }
    // The parameters the last write meant to send, in metadata order, each with its outcome.
    const std::vector<TWrittenParameter>& LastWritten() const { return m_written; }
    // What the changed-only write found when it read the controller.
    const std::optional<TSetComparison>& LastComparison() const { return m_comparison; }
    // The values of the current set that the level sends, checked as the write checks them
    // before anything leaves the PC; empty when the set may be sent.
    std::vector<TValueProblem> CheckCurrentSet(int passwordLevel, bool psi);

    // "Connected controller: TKX  ( Software version: 2.107 )" after the last read or write.
    const QString& InfoLabel() const { return m_infoLabel; }

    // "2.107" for "2107"; "Unknown < 2.057" for the 2050 of a silent controller; "0" for non-digits.
    static QString FormatSoftwareVersion(const QString& text, const TLanguage& language);
    // Whether a reply to the type query names a controller of ours (with or without an active password).
    static bool IsControllerType(const QString& type);
    // Whether a reply to the version query is a version a read would take: seven digits at most.
    static bool IsVersionReply(const QString& text);

private:
    // What comes before every write: the collection stops, the buttons go off, a pause.
    void PrepareWrite();
    std::unique_ptr<TTorvexController> OpenSession();
    // The first session of a read or write: the controller type, then the pause before the next.
    QString QueryType(bool& identificationFailed);
    void ReportIdentity(const QString& type, const QString& versionText) const;
    void FillSet(TTorvexController& session, int version, bool& outOfRange, std::vector<bool>& listed);
    // Whether a dump holds what every complete dump ends with: the information entries.
    static bool DumpComplete(const TTorvexController& session);
    // The values of the current set that the level lets through, checked for sending.
    bool RefuseUnsafeValues(int passwordLevel, bool psi);
    // Reads the dump back and lists what differs from what was sent; false on a difference.
    bool VerifyWritten();
    void ShowReadNotice(const std::vector<bool>& listed, bool outOfRange) const;
    void ShowWriteNotice(int version, const std::vector<bool>& flags) const;
    void UpdateInfoLabel(const QString& type, const QString& versionText);
    void SetProgress(int position) const;
    // The logbook entry of a write that meant to send something.
    void LogWrite(const QString& action);
    void Message(int captionRecord, const QString& text) const;
    void Remark(const QString& text) const;
    QString ExpectedType() const;
    QString Text(int record) const;

    TParameterDatabase& m_database;
    TControllerAccess& m_access;
    Family m_family;
    mutable TVersionGates m_gates; // a cache of texts, kept across reads
    QString m_infoLabel;
    TTransferOutcome m_outcome = TTransferOutcome::Saved;
    TTransferCounts m_counts;
    // What the last write sent, by address, in order: for the verification.
    std::vector<std::pair<quint16, quint32>> m_sent;
    std::vector<TWrittenParameter> m_written;
    std::optional<TSetComparison> m_comparison;
};
