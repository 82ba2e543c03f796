#pragma once

#include "core/factory/TFactoryFile.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TTorvexController;
class Feedback;
class PortReservation;
struct TControllerAccess;

// The sender's result lamp.
enum class TFactoryLamp { Idle, Red, Green };

// Writes the entries of a loaded factory-settings file into a controller: factory
// addresses, the controller's copy into working memory, working addresses, the valve
// defaults and the save into user memory, each write read back and compared.
class TFactorySender {
public:
    static constexpr int kEdgeDetectFirstVersion = 2220;

    explicit TFactorySender(TControllerAccess& access);

    std::function<void(int)> Progress;            // 0 .. 100
    std::function<void(const QString&)> ShowMemo; // the memo's whole text
    std::function<void(bool)> ButtonsEnabled;     // open and send

    // The window title once a file is chosen: "Save Factory settings: NAME.fact".
    static QString WindowTitle(const QString& path, const TLanguage& language);
    // Loads a file as the Open button does: the extension must be ".fact" exactly; a file
    // that may not be sent is reported with the window title as caption. False then.
    static bool LoadChecked(const QString& path, const TLanguage& language, Feedback& feedback, TFactoryLoad& load);

    // Sends the loaded entries; the memo's final text is Memo() afterwards.
    TFactoryLamp Send(TFactoryLoad& load, int eepromWriteDelay);
    const QString& Memo() const { return m_memo; }
    // The last sending was stopped by the user (TControllerAccess::StopRequested) between two rows.
    bool Stopped() const { return m_stopped; }

private:
    TFactoryLamp Run(TFactoryLoad& load, int eepromWriteDelay, std::unique_ptr<TTorvexController>& session,
                     PortReservation& port);
    // Factory (working: working) addresses written and read back, in entry order, until an error.
    void WriteAndVerify(TTorvexController& session, std::vector<TFactoryEntry>& entries, int count, qint64 version,
                        int eepromWriteDelay, bool working);
    void Transfer(TTorvexController& session, std::vector<TFactoryEntry>& entries, int count, qint64 version,
                  int eepromWriteDelay);
    bool CheckVersionRules(const TFactoryLoad& load, qint64 version);
    void Error(int textRecord);
    bool StopHere();
    void SetProgress(int position);
    void Wait(int steps, int milliseconds, int range);
    QString Text(int record) const;

    TControllerAccess& m_access;
    QString m_memo;
    int m_progress = 0;
    bool m_error = false;
    bool m_stopped = false;
};
