#include "gui/app/GuiClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

void GuiClock::Idle() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void GuiClock::Sleep(int milliseconds) {
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
