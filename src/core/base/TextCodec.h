#pragma once

#include <QByteArray>
#include <QString>

// Files written by this program are UTF-8; files from older installations are
// Windows-1252. Valid UTF-8 is taken as such, anything else as Windows-1252, so
// umlauts survive either way and no byte is ever dropped.
QString DecodeText(const QByteArray& bytes);
QString DecodeWindows1252(const QByteArray& bytes);
// The 8-bit form older installations read (Windows-1252) when every character has
// one there; UTF-8 otherwise, so nothing typed is ever lost.
QByteArray EncodeText(const QString& text);
