#include "core/base/IniFile.h"

#include "core/base/SaveFile.h"
#include "core/base/TextCodec.h"

#include <QFile>

#include <optional>
#include <vector>

namespace {

struct Line {
    QByteArray text; // without its line end
    QByteArray eol;  // as found in the file, so a rewrite keeps every byte of the other lines
};

std::vector<Line> SplitLines(const QByteArray& content) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0) {
            end = content.size();
        }
        QByteArray text = content.mid(start, end - start);
        QByteArray eol = end < content.size() ? QByteArrayLiteral("\n") : QByteArray();
        if (!eol.isEmpty() && text.endsWith('\r')) {
            text.chop(1);
            eol = QByteArrayLiteral("\r\n");
        }
        lines.push_back({text, eol});
        start = end + 1;
    }
    return lines;
}

std::optional<QString> SectionName(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (t.size() >= 2 && t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        if (close > 0) {
            return DecodeText(t.mid(1, close - 1).trimmed());
        }
    }
    return std::nullopt;
}

// Key and raw value of a "key=value" line; none for comments and other lines.
std::optional<std::pair<QString, QByteArray>> KeyValue(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#')) {
        return std::nullopt;
    }
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0) {
        return std::nullopt;
    }
    return std::make_pair(DecodeText(t.left(eq).trimmed()), t.mid(eq + 1).trimmed());
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Position {
    int sectionLine = -1;     // the "[section]" line
    int lastContentLine = -1; // last non-blank line of the section
    int keyLine = -1;
};

Position Locate(const std::vector<Line>& lines, const QString& section, const QString& key) {
    Position pos;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (auto name = SectionName(lines[i].text)) {
            if (pos.sectionLine >= 0 && inSection) {
                inSection = false;
                break; // the first matching section is the one that counts
            }
            inSection = SameName(*name, section);
            if (inSection) {
                pos.sectionLine = i;
                pos.lastContentLine = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!lines[i].text.trimmed().isEmpty()) {
            pos.lastContentLine = i;
        }
        if (auto kv = KeyValue(lines[i].text); kv && pos.keyLine < 0 && SameName(kv->first, key)) {
            pos.keyLine = i;
        }
    }
    return pos;
}

QByteArray Unquote(const QByteArray& value) {
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"')) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::Exists() const {
    return !m_path.isEmpty() && QFile::exists(m_path);
}

QByteArray IniFile::Load() const {
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

bool IniFile::KeyExists(const QString& section, const QString& key) const {
    const auto lines = SplitLines(Load());
    return Locate(lines, section, key).keyLine >= 0;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto lines = SplitLines(Load());
    const Position pos = Locate(lines, section, key);
    if (pos.keyLine < 0) {
        return defaultValue;
    }
    return DecodeText(Unquote(KeyValue(lines[pos.keyLine].text)->second));
}

bool IniFile::ParseInteger(const QString& text, int& value) {
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok, 10);
    if (ok) {
        value = parsed;
    }
    return ok;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = defaultValue;
    if (!ParseInteger(ReadString(section, key, QString()), value)) {
        return defaultValue;
    }
    return value;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniFile::Sections() const {
    QStringList result;
    for (const Line& line : SplitLines(Load())) {
        if (auto name = SectionName(line.text)) {
            result << *name;
        }
    }
    return result;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    m_error.clear();
    if (m_path.isEmpty()) {
        m_error = QStringLiteral("No configuration file");
        return false;
    }
    const QByteArray content = Load();
    std::vector<Line> lines = SplitLines(content);
    const QByteArray eol =
        !lines.empty() && lines.front().eol == "\r\n" ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    const Position pos = Locate(lines, section, key);

    if (pos.keyLine >= 0) {
        // Keep the key as spelled in the file; only the value changes.
        const QByteArray& old = lines[pos.keyLine].text;
        lines[pos.keyLine].text = old.left(old.indexOf('=') + 1) + value.toUtf8();
    } else {
        const QByteArray entry = key.toUtf8() + '=' + value.toUtf8();
        if (pos.sectionLine >= 0) {
            lines.insert(lines.begin() + pos.lastContentLine + 1, Line{entry, eol});
        } else {
            if (!lines.empty() && !lines.back().text.trimmed().isEmpty()) {
                lines.push_back({QByteArray(), eol});
            }
            lines.push_back({'[' + section.toUtf8() + ']', eol});
            lines.push_back({entry, eol});
        }
    }

    QByteArray out;
    for (const Line& line : lines) {
        // A last line that had no line end gets one once something follows it.
        out += line.text + (line.eol.isEmpty() && &line != &lines.back() ? eol : line.eol);
    }
    // A failed save must leave the configuration as it was, never emptied.
    return SaveWholeFile(m_path, out, m_error);
}

bool IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
