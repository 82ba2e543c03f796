#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>
#include <sys/statvfs.h>

// A file system of its own, `kilobytes` large, to run a disk full for real (a tmpfs: it needs the
// right to mount; a test without it skips). Unmounted when it goes.
class SmallDisk {
public:
    SmallDisk(const QString& path, int kilobytes) : m_path(QFile::encodeName(path)) {
        QDir().mkpath(path);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk() {
        if (m_mounted) {
            ::umount2(m_path.constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return m_mounted; }
    qint64 FreeBytes() const {
        struct statvfs info {};
        ::statvfs(m_path.constData(), &info);
        return qint64(info.f_bavail) * qint64(info.f_frsize);
    }
    // Fills the disk with `name` until `leave` bytes are free (tmpfs counts whole pages).
    bool FillLeaving(const QString& name, qint64 leave) const {
        QFile filler(QFile::decodeName(m_path) + QLatin1Char('/') + name);
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return false;
        }
        const qint64 size = FreeBytes() - leave;
        return size >= 0 && filler.write(QByteArray(size, 'x')) == size && filler.flush();
    }

private:
    QByteArray m_path;
    bool m_mounted = false;
};
