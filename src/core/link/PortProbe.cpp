#include "core/link/PortProbe.h"

#include <QFileInfo>
#include <QSerialPort>

QStringList PortProbe::PlatformDeviceNames() {
    QStringList names;
    for (const char* prefix : {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"}) {
        for (int n = 0; n < 20; ++n) {
            const QString name = QLatin1String(prefix) + QString::number(n);
            if (QFileInfo::exists(name)) {
                names << name;
            }
        }
    }
    return names;
}

bool PortProbe::CanOpen(const QString& devicePath) {
    if (!QFileInfo::exists(devicePath)) {
        return false;
    }
    QSerialPort port(devicePath);
    if (!port.open(QIODevice::ReadWrite)) {
        return false;
    }
    port.close();
    return true;
}
