#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file with the bytes, all or nothing: the old file stays as it was unless
// every byte reached the disk. Writes are buffered, so a full disk may only show at the
// flush; it is checked before the new file takes the old one's place. On failure the
// reason is the system's ("No space left on device", "Permission denied", "Is a directory").
// A pipe or a device (a FIFO, /dev/stdout) is written into as it is.
bool SaveWholeFile(const QString& path, const QByteArray& bytes, QString& reason);
