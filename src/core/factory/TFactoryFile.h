#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

class TLanguage;

// One parameter row of a factory-settings file as the sender keeps it.
struct TFactoryEntry {
    quint16 FactoryAddress = 0;
    quint16 UserAddress = 0;
    quint16 WorkingAddress = 0;
    quint32 Value = 0;
    // Wider than the controller's 32 bits, so an over-long answer never matches a value by accident.
    qint64 FactoryReadBack = 0;
    qint64 UserReadBack = 0;
    qint64 WorkingReadBack = 0;
    QString Name; // padded with blanks to at least 20 characters
    QString ResultLine;
    bool Verified = false; // every memory read back and matched (or the version takes no part)
};

// What loading a factory-settings file found.
struct TFactoryLoad {
    // The sender's table holds this many entries; a file with more is refused, never cut short.
    static constexpr int kCapacity = 128;

    QString FileName;       // without folder
    QString Summary;        // file name, header text, controller and count
    QString Memo;           // the summary followed by the row lines
    QString ControllerType; // "TKX", "VF-TKX" or the "Unknown" text
    qint32 DeclaredCount = 0;
    std::vector<TFactoryEntry> Entries; // the accepted rows, in file order
    QString Error;                      // why nothing may be sent; empty when the file can be sent
    bool ReadFailed = false;            // a number field held no number (or the file could not be read)

    bool Sendable() const { return Error.isEmpty(); }
};

// Reads the bytes of a factory-settings file as the sender does. Survives any bytes.
TFactoryLoad ReadFactoryFile(const QByteArray& bytes, const QString& fileName, const TLanguage& language);
// The same from a file on disk; a file that cannot be read is a failed load.
TFactoryLoad LoadFactoryFile(const QString& path, const TLanguage& language);

// One parameter row of a file being written.
struct TFactoryFileRow {
    int FactoryAddress = 0;
    int UserAddress = 0;
    int WorkingAddress = 0;
    QString Name;
    qint64 Code = 0;
};

// The contents of a factory-settings file.
struct TFactoryFileContent {
    QString DescriptionLabel; // "Description:" in the current language
    QString Description;
    QDateTime Generated;
    QString Kind; // "TKX" or "VF-TKX"
    std::vector<TFactoryFileRow> Rows;
};

// The bytes of the file: 8-bit text with CR LF line ends.
QByteArray FactoryFileBytes(const TFactoryFileContent& content);
// Writes the file in one piece: a failure leaves any earlier file as it was. False on failure.
bool WriteFactoryFile(const QString& path, const TFactoryFileContent& content);
