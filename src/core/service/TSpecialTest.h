#pragma once

#include "core/link/TTorvexController.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

struct TControllerAccess;
class TCommParameter;

// The special test's session: indicators, relay and display segments switched by
// hand, a few queries, and the parameter list read at connection, browsed and
// changed one parameter at a time without any range check.
class TSpecialTest {
public:
    enum class Output { Up, Down, Run, Error, Siu1, Relay };
    enum class Question { ValveType = 20, ControllerType = 21, ActualValue = 22 };

    static constexpr int kHighestNumber = 2000;
    static constexpr int kPauseAfterTypeQuery = 500;
    static constexpr int kFlashLength = 500;

    // The command index that switches an output on or off.
    static ControllerCommand SwitchCommand(Output output, bool on);
    static ControllerCommand SegmentsCommand(bool on) {
        return on ? ControllerCommand::SegmentsOn : ControllerCommand::SegmentsOff;
    }

    // Where a browse step ended: the number it shows and what the lookup gave.
    struct BrowseResult {
        int Number = 0;
        bool Found = false;
        TTorvexParameter Parameter;
    };
    using Lookup = std::function<TTorvexParameter(quint16 number)>;
    // Upward from n to the next number with a name, wrapping to 1 after 2000 numbers;
    // a list without any name ends after one full turn, not found.
    static BrowseResult Next(int n, const Lookup& lookup);
    // Downward from n to the next number with a name, stopping at 0.
    static BrowseResult Prev(int n, const Lookup& lookup);

    explicit TSpecialTest(TControllerAccess& access);
    ~TSpecialTest();
    TSpecialTest(const TSpecialTest&) = delete;
    TSpecialTest& operator=(const TSpecialTest&) = delete;

    // Every command below tells the user when the line fails (the transfer error) and then
    // ends the session: a failed line never passes for a controller that took the command.

    // Opens the session, reads the parameter list and asks the controller type;
    // the reply to the type query, or none when the line failed.
    std::optional<QString> Connect(TCommParameter& port, const std::function<void(int)>& progress = {});
    // A session for single commands, without the parameter list.
    void OpenSession(TCommParameter& port);
    bool PortOpen() const { return m_session != nullptr && m_session->IsPortOpen(); }
    void Disconnect();
    bool Connected() const { return m_session != nullptr; }

    // False when nothing was sent (no session) or the line failed.
    bool Switch(Output output, bool on);
    bool Segments(bool on);
    // Sends the switch-off of every output and of the segments this session switched on, so
    // nothing stays on when the technician leaves a live lift. False when the line failed.
    bool SwitchOffAll();
    // The reply, or none when there was none: a silent controller, or a failed line.
    std::optional<QString> Ask(Question question);
    // Shows the Run LED is alive: its other state for a moment, then its own again.
    bool FlashRunLed(bool runLedOn);

    // An empty name and value 0 for a number that is not in the list.
    TTorvexParameter Find(quint16 number) const;
    BrowseResult Next(int n) const {
        return Next(n, [this](quint16 k) { return Find(k); });
    }
    BrowseResult Prev(int n) const {
        return Prev(n, [this](quint16 k) { return Find(k); });
    }
    // Writes the value unchecked and, once it is on the line, keeps the typed text in the
    // list entry of that parameter number.
    bool Change(quint16 number, qint32 value, const QString& valueText);

private:
    // False, after telling the user and closing the session, when the line has failed.
    bool LineHolds();

    TControllerAccess& m_access;
    std::unique_ptr<TTorvexController> m_session;
    // What the commands of this session left switched on, by Output.
    std::array<bool, 6> m_switchedOn{};
    bool m_segmentsOn = false;
};
