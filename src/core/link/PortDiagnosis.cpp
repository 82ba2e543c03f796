#include "core/link/PortDiagnosis.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first other process with the device open, as "program (pid N)"; empty when none can be
// seen (another user's processes are hidden from a normal user).
QString HolderOf(const QByteArray& device) {
    const QByteArray self = QByteArray::number(::getpid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        pid.toInt(&number);
        if (!number || pid.toLatin1() == self) {
            continue;
        }
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            char target[4096];
            const QByteArray link = QFile::encodeName(fds.filePath(fd));
            const ssize_t length = ::readlink(link.constData(), target, sizeof target);
            if (length > 0 && QByteArray(target, length) == device) {
                QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
                const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                                                                    : QStringLiteral("?");
                return QStringLiteral("%1 (pid %2)").arg(name, pid);
            }
        }
    }
    return {};
}

} // namespace

QString TPortDiagnosis::StateWord() const {
    switch (Kind) {
    case State::Available:
        return QStringLiteral("available");
    case State::Missing:
        return QStringLiteral("missing");
    case State::NoPermission:
        return QStringLiteral("no permission");
    case State::Busy:
        return QStringLiteral("busy");
    default:
        return QStringLiteral("cannot be opened");
    }
}

QString TPortDiagnosis::Explanation() const {
    switch (Kind) {
    case State::Available:
        return QStringLiteral("it is available");
    case State::Missing:
        return QStringLiteral("the device is missing (is the adapter plugged in?)");
    case State::NoPermission:
        return Group.isEmpty()
                   ? QStringLiteral("permission denied")
                   : QStringLiteral("permission denied; add your user to the group %1 and log in again").arg(Group);
    case State::Busy:
        return Holder.isEmpty() ? QStringLiteral("it is held by another program")
                                : QStringLiteral("it is held by %1").arg(Holder);
    default:
        return Detail;
    }
}

TPortDiagnosis PortDiagnosis::Diagnose(const QString& device, const AccessCheck& mayUse) {
    TPortDiagnosis diagnosis;
    const QByteArray path = QFile::encodeName(device);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        diagnosis.Kind =
            errno == ENOENT || errno == ENOTDIR ? TPortDiagnosis::State::Missing : TPortDiagnosis::State::Failed;
        diagnosis.Detail = QString::fromLocal8Bit(std::strerror(errno));
        return diagnosis;
    }
    const bool allowed = mayUse ? mayUse(path) : ::access(path.constData(), R_OK | W_OK) == 0;
    if (!allowed) {
        diagnosis.Kind = TPortDiagnosis::State::NoPermission;
        if (const group* owner = ::getgrgid(info.st_gid)) {
            diagnosis.Group = QString::fromLocal8Bit(owner->gr_name);
        }
        return diagnosis;
    }
    QSerialPort port(device);
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return diagnosis;
    }
    // Allowed, present, and still refused: another program has it (its lock or its exclusive
    // open), or the device is no serial line at all.
    char resolved[PATH_MAX];
    const QByteArray real = ::realpath(path.constData(), resolved) != nullptr ? QByteArray(resolved) : path;
    diagnosis.Holder = HolderOf(real);
    const bool locked = port.error() == QSerialPort::PermissionError || port.error() == QSerialPort::ResourceError;
    if (!diagnosis.Holder.isEmpty() || locked) {
        diagnosis.Kind = TPortDiagnosis::State::Busy;
    } else {
        diagnosis.Kind = TPortDiagnosis::State::Failed;
        diagnosis.Detail = port.errorString();
    }
    return diagnosis;
}
