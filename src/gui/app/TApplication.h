#pragma once

#include <QApplication>
#include <QPointer>

#include <exception>
#include <functional>
#include <vector>

// The application object of every windowed program. Qt's event loop does not support
// exceptions passing through it, so an error that a slot or an event handler lets escape
// stops in notify(): it is logged and shown by the handler of the window it came from (or
// the program's own) and the program goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT

public:
    // Shows an error to the user; the error has been logged already.
    using Handler = std::function<void(const std::exception& error)>;
    // Writes one line into the program's log.
    using LogLine = std::function<void(const QString& line)>;

    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The program's own handler and log, used when no window handles an error itself.
    // Without them an error goes to Qt's message log only.
    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    void SetLog(LogLine log) { m_log = std::move(log); }

    // Told first of every error that notify() stops: one that left a slot or an event handler
    // unguarded. The test programs fail on it; the program only logs and shows it.
    void SetEscapeWatcher(Handler watcher) { m_escapeWatcher = std::move(watcher); }

    // Errors from `window` or any object below it go to `handler` while the scope lives.
    class Scope {
    public:
        Scope() = default;
        ~Scope();
        Scope(Scope&& other) noexcept;
        Scope& operator=(Scope&& other) noexcept;
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        friend class TApplication;
        Scope(TApplication* application, int id) : m_application(application), m_id(id) {}
        QPointer<TApplication> m_application;
        int m_id = 0;
    };
    [[nodiscard]] Scope HandleFor(QObject* window, Handler handler);

    // Logs and shows an error that reached `where` (a slot's guard calls this). Works without a
    // TApplication too: then the error goes to Qt's message log.
    static void Report(QObject* where, const std::exception& error);

private:
    void Escaped(QObject* receiver, const std::exception& error);
    void Dispatch(QObject* where, const std::exception& error);
    void Remove(int id);

    struct WindowHandler {
        QPointer<QObject> Window;
        Handler Handle;
        int Id;
    };
    std::vector<WindowHandler> m_windowHandlers;
    Handler m_handler;
    Handler m_escapeWatcher;
    LogLine m_log;
    int m_nextId = 1;
    bool m_showing = false;
};
