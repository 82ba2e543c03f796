#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Why a serial device can or cannot be opened, told so that the technician looks for the right
// problem: a device that is missing, one the user has no right to, one another program holds.
struct TPortDiagnosis {
    enum class State { Available, Missing, NoPermission, Busy, Failed };
    State Kind = State::Available;
    QString Group;  // NoPermission: the group that owns the device
    QString Holder; // Busy: "program (pid N)" when it can be found
    QString Detail; // Failed: the system's reason

    // "available", "busy", "no permission", "missing" or "cannot be opened".
    QString StateWord() const;
    // What is wrong and what to do, for a message after "DEVICE cannot be opened: ".
    QString Explanation() const;
};

namespace PortDiagnosis {

// Whether the user may read and write the device. Root passes every such check, so tests
// hand in their own.
using AccessCheck = std::function<bool(const QByteArray& path)>;

// Looks at the device without keeping it: exists, may be used, can be opened now, and if not,
// who holds it.
TPortDiagnosis Diagnose(const QString& device, const AccessCheck& mayUse = {});

} // namespace PortDiagnosis
