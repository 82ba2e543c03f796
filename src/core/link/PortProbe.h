#pragma once

#include <QString>
#include <QStringList>

namespace PortProbe {

// The platform's serial devices that exist, in a fixed order:
// /dev/ttyS0..19, then /dev/ttyUSB0..19, then /dev/ttyACM0..19.
QStringList PlatformDeviceNames();

// Opens the device exclusively and closes it again at once. A device that is
// missing, not a serial line, or held by another program fails.
bool CanOpen(const QString& devicePath);

} // namespace PortProbe
