#pragma once

#include <QString>

struct TControllerAccess;

// The controller's own four-digit password: log in, log out, change it, and read
// its level and code. Each operation opens a session of its own and closes it
// again; the program keeps no login state. What the user is told goes through
// the access's feedback; a line that fails during an operation ends it with the
// transfer error.
class TControllerPassword {
public:
    static constexpr int kFirstVersionWithPassword = 2107;
    static constexpr int kFirstVersionWithCodeQuery = 2142;
    static constexpr quint16 kCodeAddress = 104;

    // What an operation achieved, for callers that report an exit status.
    struct Result {
        bool Sent = false;   // a session was opened on a port
        bool Failed = false; // an error box was shown (a refusal, an unknown value, a failed line)
        QString Shown;       // the digits a level or code box shows (empty when "Unknown")
    };

    explicit TControllerPassword(TControllerAccess& access) : m_access(access) {}

    static bool IsWellFormed(const QString& password);

    // The version check every menu operation starts with: the controller's version,
    // or 0 when the operation must end (no port, no version, or a controller without
    // a password function; the user has been told where there is something to tell).
    int CheckPasswordFunction();

    Result Login(const QString& password);
    Result Logout();
    // Result.Failed as for the others; closesDialog is set when all three entries were
    // four digits and the confirmation matched, whatever the controller answered.
    Result Change(const QString& current, const QString& newPassword, const QString& confirmation, bool& closesDialog);
    Result ReadLevel();
    Result ReadCode(int version);

private:
    QString Text(int record) const;
    void ShowError(const QString& caption, const QString& text);

    TControllerAccess& m_access;
};
