#include "gui/app/TApplication.h"

#include <QtGlobal>

#include <stdexcept>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Escaped(receiver, error);
    } catch (...) {
        Escaped(receiver, std::runtime_error("unknown error"));
    }
    return true; // the event counts as handled: nobody else should act on half of it
}

void TApplication::Escaped(QObject* receiver, const std::exception& error) {
    if (m_escapeWatcher) {
        m_escapeWatcher(error);
    }
    Dispatch(receiver, error);
}

void TApplication::Report(QObject* where, const std::exception& error) {
    if (auto* application = qobject_cast<TApplication*>(QCoreApplication::instance())) {
        application->Dispatch(where, error);
    } else {
        qCritical("%s", error.what());
    }
}

void TApplication::Dispatch(QObject* where, const std::exception& error) {
    const QString text = QString::fromUtf8(error.what());
    if (m_log) {
        m_log(QStringLiteral("Error: ") + text);
    } else {
        qCritical("%s", error.what());
    }
    // An error raised while its message box is up (a timer that keeps failing) is logged only,
    // so boxes never pile up inside each other.
    if (m_showing) {
        return;
    }
    // The innermost window with a handler of its own decides how the error reads.
    Handler handler = m_handler;
    bool found = false;
    for (QObject* object = where; object != nullptr && !found; object = object->parent()) {
        for (auto it = m_windowHandlers.rbegin(); it != m_windowHandlers.rend() && !found; ++it) {
            if (it->Window == object) {
                handler = it->Handle;
                found = true;
            }
        }
    }
    if (!handler) {
        return;
    }
    m_showing = true;
    try {
        handler(error);
    } catch (const std::exception& failure) {
        qCritical("error while showing an error: %s", failure.what());
    }
    m_showing = false;
}

TApplication::Scope TApplication::HandleFor(QObject* window, Handler handler) {
    const int id = m_nextId++;
    m_windowHandlers.push_back({window, std::move(handler), id});
    return Scope(this, id);
}

void TApplication::Remove(int id) {
    std::erase_if(m_windowHandlers,
                  [id](const WindowHandler& entry) { return entry.Id == id || entry.Window.isNull(); });
}

TApplication::Scope::~Scope() {
    if (m_application != nullptr) {
        m_application->Remove(m_id);
    }
}

TApplication::Scope::Scope(Scope&& other) noexcept : m_application(other.m_application), m_id(other.m_id) {
    other.m_application = nullptr;
}

TApplication::Scope& TApplication::Scope::operator=(Scope&& other) noexcept {
    if (this != &other) {
        if (m_application != nullptr) {
            m_application->Remove(m_id);
        }
        m_application = other.m_application;
        m_id = other.m_id;
        other.m_application = nullptr;
    }
    return *this;
}
