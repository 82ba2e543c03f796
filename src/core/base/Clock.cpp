#include "core/base/Clock.h"

#include <QThread>

void SystemClock::Sleep(int milliseconds) {
    if (milliseconds > 0) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
}

QDateTime SystemClock::Now() const {
    return QDateTime::currentDateTime();
}
