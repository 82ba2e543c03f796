#include "core/factory/TFactoryFile.h"

#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/base/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr int kRecordController = 277;
constexpr int kRecordAmount = 278;
constexpr int kNameWidth = 20;
constexpr int kMaxNumberLength = 32;
// A full table (128 rows of three addresses, a name and a code) with a long description fits many
// times over.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

// A number field that holds no number: the load stops there.
struct NumberFormatError {
    int Line;
};

// The file read the way a text file is read field by field: numbers skip blanks and
// line ends before them, names run to the next tab.
class FieldReader {
public:
    explicit FieldReader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_position >= m_bytes.size(); }

    // Everything up to the first "{" (consumed, not returned).
    QByteArray UpToBrace() {
        const qsizetype brace = m_bytes.indexOf('{', m_position);
        const qsizetype end = brace < 0 ? m_bytes.size() : brace;
        const QByteArray text = Take(end);
        if (brace >= 0) {
            Advance(1);
        }
        return text;
    }

    // The rest of the line; the line end is consumed.
    QByteArray RestOfLine() {
        qsizetype end = m_position;
        while (end < m_bytes.size() && m_bytes[end] != '\r' && m_bytes[end] != '\n') {
            ++end;
        }
        const QByteArray text = Take(end);
        SkipLineEnd();
        return text;
    }

    void SkipLine() { (void)RestOfLine(); }

    // Everything up to and including the next tab.
    void SkipPastTab() {
        const qsizetype tab = m_bytes.indexOf('\t', m_position);
        Take(tab < 0 ? m_bytes.size() : tab + 1);
    }

    // The characters up to the next tab (not included) or the end.
    QByteArray UpToTab() {
        const qsizetype tab = m_bytes.indexOf('\t', m_position);
        return Take(tab < 0 ? m_bytes.size() : tab);
    }

    // A decimal integer after blanks and line ends, kept modulo 2^64; 0 at the end of the
    // file. A field that is not a number throws NumberFormatError.
    quint64 Integer() {
        while (!AtEnd() && static_cast<unsigned char>(m_bytes[m_position]) <= ' ') {
            Advance(1);
        }
        qsizetype end = m_position;
        while (end < m_bytes.size() &&
               end - m_position<kMaxNumberLength&& static_cast<unsigned char>(m_bytes[end])> ' ') {
            ++end;
        }
        const QByteArray token = Take(end);
        if (token.isEmpty()) {
            return 0;
        }
        qsizetype i = 0;
        const bool negative = token[0] == '-';
        if (token[0] == '-' || token[0] == '+') {
            ++i;
        }
        if (i == token.size()) {
            throw NumberFormatError{m_line};
        }
        quint64 value = 0;
        for (; i < token.size(); ++i) {
            const char c = token[i];
            if (c < '0' || c > '9') {
                throw NumberFormatError{m_line};
            }
            value = value * 10 + static_cast<quint64>(c - '0');
        }
        return negative ? quint64(0) - value : value;
    }

private:
    QByteArray Take(qsizetype end) {
        const QByteArray text = m_bytes.mid(m_position, end - m_position);
        Advance(end - m_position);
        return text;
    }
    void Advance(qsizetype count) {
        for (qsizetype i = 0; i < count; ++i) {
            if (m_bytes[m_position + i] == '\n') {
                ++m_line;
            }
        }
        m_position += count;
    }
    void SkipLineEnd() {
        if (!AtEnd() && m_bytes[m_position] == '\r') {
            Advance(1);
        }
        if (!AtEnd() && m_bytes[m_position] == '\n') {
            Advance(1);
        }
    }

    const QByteArray& m_bytes;
    qsizetype m_position = 0;
    int m_line = 1;
};

QString Digits(qint64 value, int width) {
    return QString::asprintf("%0*lld", width, static_cast<long long>(value));
}

QString CountMessage(const TLanguage& language, qsizetype accepted, qint64 limit) {
    return language.Text(Record::Error) + QStringLiteral(": ") + language.Text(kRecordAmount) + QStringLiteral(" (") +
           QString::number(accepted) + QLatin1Char('/') + QString::number(limit) + QLatin1Char(')');
}

} // namespace

TFactoryLoad ReadFactoryFile(const QByteArray& bytes, const QString& fileName, const TLanguage& language) {
    TFactoryLoad load;
    load.FileName = fileName;
    FieldReader reader(bytes);
    QString summary = fileName + QStringLiteral("\r\n");
    QString rows;
    try {
        summary += DecodeText(reader.UpToBrace());
        const QByteArray kind = reader.RestOfLine();
        if (kind.contains("VF-TKX")) {
            load.ControllerType = QStringLiteral("VF-TKX");
        } else if (kind.contains("TKX")) {
            load.ControllerType = QStringLiteral("TKX");
        } else {
            load.ControllerType = language.Text(Record::Unknown);
        }
        summary += QStringLiteral("\r\n") + language.Text(kRecordController) + QStringLiteral(": ") +
                   load.ControllerType + QStringLiteral("\r\n");
        load.DeclaredCount = static_cast<qint32>(reader.Integer());
        summary += language.Text(kRecordAmount) + QStringLiteral(": ") + QString::number(load.DeclaredCount) +
                   QStringLiteral("\r\n\r\n");
        load.Summary = summary;

        while (!reader.AtEnd()) {
            TFactoryEntry entry;
            quint16* addresses[] = {&entry.FactoryAddress, &entry.UserAddress, &entry.WorkingAddress};
            for (quint16* address : addresses) {
                *address = static_cast<quint16>(reader.Integer());
                reader.SkipPastTab();
                rows += QLatin1Char(' ') + Digits(*address, 3) + QLatin1Char('\t');
            }
            const QByteArray name = reader.UpToTab();
            entry.Name = DecodeText(name);
            if (entry.Name.size() < kNameWidth) {
                entry.Name = entry.Name.leftJustified(kNameWidth, QLatin1Char(' '));
            }
            entry.Value = static_cast<quint32>(reader.Integer());
            reader.SkipLine();
            // A code of 0 is a value like any other ("Off", "None"): every row the editor writes
            // is kept. Only a row without a working address or a name is dropped, and says so.
            // A name of blanks is no name: the controller would show a parameter nobody can find.
            const bool named = !entry.Name.trimmed().isEmpty();
            if (entry.WorkingAddress != 0 && named) {
                rows += entry.Name + QLatin1Char(' ') + Digits(entry.Value, 5) + QStringLiteral("\r\n");
                load.Entries.push_back(std::move(entry));
            } else {
                rows +=
                    entry.Name + QLatin1Char(' ') + Digits(entry.Value, 5) + QStringLiteral("\t") +
                    (!named ? QStringLiteral("(dropped: no name)") : QStringLiteral("(dropped: working address 000)")) +
                    QStringLiteral("\r\n");
            }
        }
    } catch (const NumberFormatError& error) {
        load.ReadFailed = true;
        load.Summary = summary;
        load.Memo = summary + rows;
        load.Error = QStringLiteral("Invalid numeric format (line %1)").arg(error.Line);
        return load;
    }
    load.Memo = load.Summary + rows;

    const auto accepted = static_cast<qsizetype>(load.Entries.size());
    if (accepted < 1 || accepted != load.DeclaredCount) {
        load.Error = CountMessage(language, accepted, load.DeclaredCount);
    } else if (accepted > TFactoryLoad::kCapacity) {
        load.Error = CountMessage(language, accepted, TFactoryLoad::kCapacity);
    }
    return load;
}

TFactoryLoad LoadFactoryFile(const QString& path, const TLanguage& language) {
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    // Only a regular file of a size a factory file can have is read: a device, a fifo or a folder
    // would block or never end.
    const auto refused = [&](const QString& why) {
        TFactoryLoad load;
        load.FileName = fileName;
        load.ReadFailed = true;
        load.Error = path + QStringLiteral(": ") + why;
        return load;
    };
    if (info.exists() && !info.isFile()) {
        return refused(QStringLiteral("not a regular file"));
    }
    if (info.size() > kMaxFileBytes) {
        return refused(QStringLiteral("larger than any factory-settings file (%1 KB)").arg(kMaxFileBytes / 1024));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TFactoryLoad load;
        load.FileName = fileName;
        load.ReadFailed = true;
        load.Error = file.errorString();
        return load;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        TFactoryLoad load;
        load.FileName = fileName;
        load.ReadFailed = true;
        load.Error = file.errorString();
        return load;
    }
    return ReadFactoryFile(bytes, fileName, language);
}

QByteArray FactoryFileBytes(const TFactoryFileContent& content) {
    // Line breaks of the description in whatever form it holds them; a "{" would be taken
    // for the start of the kind by every reader, so it is written as "(".
    QString description = content.Description;
    description.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"))
        .replace(QLatin1Char('{'), QLatin1Char('('));
    QString text = content.DescriptionLabel + QLatin1Char(' ') + description + QStringLiteral("\r\n");
    text += QStringLiteral("Generated by WinTorvex32 on ") + content.Generated.toString(QStringLiteral("yyMMdd")) +
            QStringLiteral(" at ") + content.Generated.toString(QStringLiteral("HHmm")) + QStringLiteral("\r\n");
    text += QLatin1Char('{') + content.Kind + QStringLiteral("}\r\n");
    text += QString::number(content.Rows.size()) + QStringLiteral("\r\n");
    for (const TFactoryFileRow& row : content.Rows) {
        text += Digits(row.FactoryAddress, 3) + QLatin1Char('\t') + Digits(row.UserAddress, 3) + QLatin1Char('\t') +
                Digits(row.WorkingAddress, 3) + QLatin1Char('\t') + row.Name + QLatin1Char('\t') + Digits(row.Code, 5) +
                QStringLiteral("\r\n");
    }
    return EncodeText(text);
}

bool WriteFactoryFile(const QString& path, const TFactoryFileContent& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = FactoryFileBytes(content);
    // A full disk may show only at the flush: check it before the file replaces the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
