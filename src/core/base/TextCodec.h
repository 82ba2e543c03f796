#pragma once

#include <QByteArray>
#include <QString>

// Text files are read as UTF-8 when they are valid UTF-8 (a leading byte-order mark is
// dropped) and as Windows-1252 otherwise, so files from older installations keep their
// umlauts and no byte is ever dropped.
QString DecodeText(const QByteArray& bytes);
QString DecodeWindows1252(const QByteArray& bytes);
// The 8-bit form older installations read (Windows-1252) when every character has one
// there and the bytes cannot be mistaken for UTF-8; UTF-8 otherwise. What DecodeText
// reads back is therefore always the text that was written.
QByteArray EncodeText(const QString& text);
