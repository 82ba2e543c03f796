#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// An INI profile file with the semantics the program's settings rely on:
// sections and keys match without regard to case, values are trimmed text,
// absent or malformed integers read as the caller's default, booleans are
// written "1"/"0" and read as "integer not 0". Every read looks at the file as
// it is now; every write rewrites only its own line and replaces the file
// atomically, so lines the program does not know survive untouched.
class IniFile {
public:
    explicit IniFile(QString path = {});

    void SetPath(const QString& path) { m_path = path; }
    const QString& Path() const { return m_path; }
    bool Exists() const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    bool KeyExists(const QString& section, const QString& key) const;
    QStringList Sections() const;

    // False when the file could not be written; the file is then unchanged.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);

    const QString& ErrorString() const { return m_error; }

    // Strict decimal integer: optional blanks, optional sign, digits, optional blanks.
    static bool ParseInteger(const QString& text, int& value);

private:
    QByteArray Load() const;
    QString m_path;
    QString m_error;
};
