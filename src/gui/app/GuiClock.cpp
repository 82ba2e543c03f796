#include "gui/app/GuiClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <stdexcept>

GuiClock::GuiClock() : m_thread(QThread::currentThread()) {}

void GuiClock::RequireOwnThread() const {
    if (QThread::currentThread() != m_thread) {
        throw std::logic_error("the GUI clock was asked to pause on another thread than its own");
    }
}

void GuiClock::Idle() {
    RequireOwnThread();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void GuiClock::Sleep(int milliseconds) {
    RequireOwnThread();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        const qint64 left = milliseconds - timer.elapsed();
        if (left > 0) {
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
        }
    }
}
