#pragma once

#include <QString>

#include <memory>
#include <optional>

struct TControllerAccess;
class TCommParameter;
class TTorvexController;

// Reads the controller's measured zero point again and again over one session
// and turns each reply into the nine-character read-out. The first reading of a
// showing asks the software version first, which chooses the value command.
class TZeroPointMeter {
public:
    static constexpr int kTickInterval = 100;
    static constexpr int kPauseAfterFailure = 200;
    static constexpr int kLastVersionWithOldCommand = 2090;
    static constexpr int kValueFontSize = 48;
    static constexpr int kErrorFontSize = 24;

    struct Reading {
        QString Text;
        int FontSize = kErrorFontSize;
        bool Valid = false;
    };

    explicit TZeroPointMeter(TControllerAccess& access);
    ~TZeroPointMeter();
    TZeroPointMeter(const TZeroPointMeter&) = delete;
    TZeroPointMeter& operator=(const TZeroPointMeter&) = delete;

    // "+01234" gives "+ 1.234 V": the five digits are millivolts. None when the reply
    // is shorter than six characters or its second character is not a digit.
    static std::optional<QString> FormatReading(const QString& reply);
    // The "please wait" font: smaller for the language whose text is longer.
    static int WaitingFontSize(int languageIndex) { return languageIndex == 5 ? 22 : 30; }
    // "2.107" for 2107.
    static QString VersionText(int version);

    // Opens the session of a showing; the next reading asks the version first.
    void Start(TCommParameter& port);
    bool IsOpen() const { return m_session != nullptr; }
    // Whether the session's device could be opened at all.
    bool PortOpen() const;
    // One reading. A failed one has already waited its extra pause. A line that failed is
    // told as the transfer error and ends the session: IsOpen() is false afterwards.
    Reading Tick();
    // The window title: record "Zero-Point", with the version once it is known.
    QString Title() const;
    int SoftwareVersion() const { return m_version; }
    void Close();

private:
    QString Text(int record) const;
    // False, after telling the user and closing the session, when the line has failed.
    bool LineHolds();
    TControllerAccess& m_access;
    TCommParameter* m_port = nullptr;
    std::unique_ptr<TTorvexController> m_session;
    bool m_firstTickPending = false;
    bool m_versionKnown = false;
    int m_version = 0;
};
