#include "core/params/TSetFiles.h"

#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TSetCheck.h"
#include "core/params/VersionGates.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"
#include "core/base/SaveFile.h"
#include "core/base/TextCodec.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <optional>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString Int4(qint64 value) {
    return QString::number(value).rightJustified(4, QLatin1Char(' '));
}
QString Fix82(double value) {
    return QString::number(value, 'f', 2).rightJustified(8, QLatin1Char(' '));
}

// Every character but the last goes through the table; the last one is written as it is.
QString Translate(const QString& text, const QString& from, const QString& to) {
    QString out = text;
    for (qsizetype i = 0; i + 1 < out.size(); ++i) {
        const qsizetype at = from.indexOf(out[i]);
        if (at >= 0) {
            out[i] = to[at];
        }
    }
    return out;
}

// The text of a file, saved in one piece at the end (all or nothing).
class Output {
public:
    explicit Output(QString fileName) : m_fileName(std::move(fileName)) {}
    void Line(const QString& text) { m_text += text + kCrLf; }
    void Raw(const QString& text) { m_text += text; }
    bool Commit(QString& reason) { return SaveWholeFile(m_fileName, EncodeText(m_text), reason); }

private:
    QString m_fileName;
    QString m_text;
};

} // namespace

TSetFiles::TSetFiles(TParameterDatabase& database, Feedback& feedback, Family family)
    : m_database(database), m_feedback(feedback), m_family(family), m_gates(database.Language()) {}

QString TSetFiles::Text(int record) const {
    return m_database.Language().Text(record);
}

QString TSetFiles::Marker() const {
    return m_family == Family::VfTkx ? QStringLiteral("{VF-TKX}") : QStringLiteral("{TKX---}");
}
QString TSetFiles::OtherMarker() const {
    return m_family == Family::VfTkx ? QStringLiteral("{TKX---}") : QStringLiteral("{VF-TKX}");
}
double TSetFiles::Step() const {
    return m_family == Family::VfTkx ? 100.0 / 65.0 : 1.25;
}

void TSetFiles::SetProgress(double counter) const {
    if (Progress) {
        Progress(static_cast<int>(counter));
    }
}

QString TSetFiles::EncodeMemo(const QString& text) {
    return Translate(text, QStringLiteral("\t\r\n"), QStringLiteral("{[]"));
}
QString TSetFiles::DecodeMemo(const QString& text) {
    return Translate(text, QStringLiteral("{[]"), QStringLiteral("\t\r\n"));
}
// A TAB in a description would end its column: it travels as "{", as in the memos.
QString TSetFiles::EncodeDescription(const QString& text) {
    return Translate(text, QStringLiteral("\t\r\n"), QStringLiteral("{[]"));
}
QString TSetFiles::DecodeDescription(const QString& text) {
    return Translate(text, QStringLiteral("{[]"), QStringLiteral("\t\r\n"));
}

std::vector<TSetFiles::MetadataLine> TSetFiles::MetadataLines() {
    std::vector<MetadataLine> rows;
    TTable& metadata = m_database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        const QString field = metadata.FieldAsText("FieldName");
        rows.push_back(
            {field, Int4(metadata.FieldAsInteger("EpromAddress")) + QLatin1Char('\t') + field + QLatin1Char('\t')});
    }
    return rows;
}

void TSetFiles::WriteSet(QString& out, const std::vector<MetadataLine>& rows, bool withMarker, double& counter,
                         int& lines) {
    TTable& sets = m_database.SetTable(m_family);
    out += Int4(0) + QLatin1Char('\t') + (withMarker ? Marker() : QString()) + sets.FieldAsText("Name") +
           QLatin1Char('\t') + Fix82(0) + kCrLf;
    for (const MetadataLine& row : rows) {
        counter += Step();
        SetProgress(counter);
        out += row.Prefix;
        out += Fix82(sets.FieldAsFloat(row.Field));
        out += kCrLf;
        ++lines;
    }
    out += QStringLiteral("9997\t") + EncodeMemo(sets.FieldAsText("InfoMemo")) + QLatin1Char('\t') + Fix82(counter) +
           kCrLf;
    out += QStringLiteral("9998\t") + EncodeMemo(sets.FieldAsText("ErrorMemo")) + QLatin1Char('\t') + Fix82(counter) +
           kCrLf;
    out += QStringLiteral("9999\t") + EncodeDescription(sets.FieldAsText("Description")) + QStringLiteral("[]") +
           Marker() + QLatin1Char('\t') + Fix82(lines) + kCrLf;
}

TSetFiles::Result TSetFiles::Write(const QString& fileName, bool allSets) {
    SetProgress(0);
    m_reason.clear();
    m_database.SetParameterFamily(m_family);
    TTable& sets = m_database.SetTable(m_family);
    double counter = 0; // neither counter restarts per set: the 9999 lines hold running totals
    int lines = 0;
    QString text;
    try {
        const std::vector<MetadataLine> rows = MetadataLines();
        // About 20 characters a line: one allocation for the whole file.
        text.reserve((allSets ? qsizetype(sets.RecordCount()) : 1) * qsizetype(rows.size() + 4) * 24);
        if (!allSets) {
            WriteSet(text, rows, true, counter, lines);
        } else {
            // At least one set, also from an empty table: one with an empty name and zero values.
            sets.First();
            bool first = true;
            do {
                WriteSet(text, rows, first, counter, lines);
                first = false;
                sets.Next();
                SetProgress(0);
            } while (!sets.Eof());
        }
    } catch (const TableError& error) {
        SetProgress(0);
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error), error.Message(), MessageButtons::Ok);
        return CannotOpen;
    }
    SetProgress(0);
    return SaveWholeFile(fileName, EncodeText(text), m_reason) ? Ok : CannotOpen;
}

TSetFiles::Result TSetFiles::WriteSetFile(const QString& fileName) {
    return Write(fileName, false);
}
TSetFiles::Result TSetFiles::WriteAllSetsFile(const QString& fileName) {
    return Write(fileName, true);
}

TSetFiles::Result TSetFiles::WriteTextFile(const QString& fileName) {
    SetProgress(0);
    m_reason.clear();
    Output out(fileName);
    m_database.SetParameterFamily(m_family);
    TTable& metadata = m_database.TableParameterDBSettings();
    TTable& sets = m_database.SetTable(m_family);
    const QDateTime now = QDateTime::currentDateTime();
    const auto indented = [](QString text) { return text.replace(QLatin1Char('\r'), QStringLiteral("\r\n\t")); };
    try {
        out.Line(Text(211) + QLatin1Char('\t') + LocaleDateText(now.date()) + QLatin1Char('\t') +
                 LocaleTimeText(now.time()));
        out.Line(Text(233) + QLatin1Char('\t') + sets.FieldAsText("Name"));
        out.Line(QString());
        double counter = 0;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            counter += Step();
            SetProgress(counter);
            const QString field = metadata.FieldAsText("FieldName");
            out.Line(Int4(metadata.FieldAsInteger("EpromAddress")) + QLatin1Char('\t') +
                     ParameterCaption(field, 0, m_database.Language().Index()) + QLatin1Char('\t') +
                     Fix82(sets.FieldAsFloat(field)) + QLatin1Char('\t') +
                     ParameterCaption(field, 1, m_database.Language().Index()));
        }
        // In the description a CR stands with its LF: the LF is dropped after the indent.
        QString description;
        const QString text = sets.FieldAsText("Description");
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\r')) {
                description += QStringLiteral("\r\n\t");
                ++i;
            } else {
                description += text[i];
            }
        }
        out.Raw(kCrLf + Text(212) + kCrLf + QLatin1Char('\t') + description + kCrLf);
        out.Raw(kCrLf + Text(73) + kCrLf + QLatin1Char('\t') +
                indented(
                    sets.FieldAsText("InfoMemo").chopped(std::min<qsizetype>(1, sets.FieldAsText("InfoMemo").size()))) +
                kCrLf);
        out.Raw(
            kCrLf + Text(74) + kCrLf + QLatin1Char('\t') +
            indented(
                sets.FieldAsText("ErrorMemo").chopped(std::min<qsizetype>(1, sets.FieldAsText("ErrorMemo").size()))));
    } catch (const TableError& error) {
        SetProgress(0);
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error), error.Message(), MessageButtons::Ok);
        return CannotOpen;
    }
    SetProgress(0);
    return out.Commit(m_reason) ? Ok : CannotOpen;
}

// Reads a set file as a stream of characters: columns end at a TAB, lines at a LF,
// and a memo may hold a raw CR as its last character.
class TSetFiles::Reader {
public:
    explicit Reader(QString text) : m_text(std::move(text)) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    // The line the reader is on, counted on from where it was last asked.
    int Line() {
        for (; m_countedTo < m_pos && m_countedTo < m_text.size(); ++m_countedTo) {
            if (m_text[m_countedTo] == QLatin1Char('\n')) {
                ++m_line;
            }
        }
        return m_line;
    }

    // Up to and including the next TAB; false when the text ends (or an end-of-file mark comes) first.
    bool SkipPastTab() {
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c == QLatin1Char('\t')) {
                return true;
            }
            if (c.unicode() == 26) {
                m_pos = m_text.size();
                return false;
            }
        }
        return false;
    }
    std::optional<QString> UpToTab() {
        const qsizetype tab = m_text.indexOf(QLatin1Char('\t'), m_pos);
        if (tab < 0) {
            m_pos = m_text.size();
            return std::nullopt;
        }
        QString column = m_text.mid(m_pos, tab - m_pos);
        m_pos = tab + 1;
        return column;
    }
    void SkipLine() {
        const qsizetype lf = m_text.indexOf(QLatin1Char('\n'), m_pos);
        m_pos = lf < 0 ? m_text.size() : lf + 1;
    }
    void SkipBlanks() {
        while (m_pos < m_text.size() && (m_text[m_pos].isSpace() || m_text[m_pos].unicode() == 26)) {
            if (m_text[m_pos].unicode() == 26) {
                m_pos = m_text.size();
                return;
            }
            ++m_pos;
        }
    }
    // A number as a reader of numbers takes it: blanks, then sign, digits, fraction, exponent.
    std::optional<double> Number() {
        SkipBlanks();
        qsizetype end = m_pos;
        while (end < m_text.size() && QStringLiteral("+-.0123456789eE").contains(m_text[end])) {
            ++end;
        }
        const QByteArray token = m_text.mid(m_pos, end - m_pos).toLatin1();
        double value = 0;
        const char* first = token.constData() + (token.startsWith('+') ? 1 : 0);
        const auto [last, error] = std::from_chars(first, token.constData() + token.size(), value);
        if (error != std::errc() || last != token.constData() + token.size() || !std::isfinite(value)) {
            return std::nullopt;
        }
        m_pos = end;
        return value;
    }

private:
    QString m_text;
    qsizetype m_pos = 0;
    qsizetype m_countedTo = 0;
    int m_line = 1;
};

namespace {
// In filter order; Kind's values index it.
const TSetFiles::KindInfo kKinds[] = {
    {TSetFiles::Kind::Set, "set", "Parameter Set (*.set)", true},
    {TSetFiles::Kind::AllSets, "prm", "Parameter Database (*.prm)", true},
    {TSetFiles::Kind::Text, "txt", "Text File (*.txt)", false},
};
} // namespace

const TSetFiles::KindInfo& TSetFiles::Info(Kind kind) {
    return kKinds[static_cast<int>(kind)];
}

std::optional<TSetFiles::Kind> TSetFiles::KindOf(const QString& fileName) {
    for (const KindInfo& info : kKinds) {
        if (fileName.endsWith(QLatin1Char('.') + QLatin1String(info.Extension))) {
            return info.Which;
        }
    }
    return std::nullopt;
}

QStringList TSetFiles::Filters(bool withText) {
    QStringList filters;
    for (const KindInfo& info : kKinds) {
        if (info.Which != Kind::Text || withText) {
            filters << QLatin1String(info.Filter);
        }
    }
    filters << QStringLiteral("Any Files (*.*)");
    return filters;
}

TSetFiles::Result TSetFiles::Export(Kind kind, const QString& fileName) {
    return kind == Kind::Set       ? WriteSetFile(fileName)
           : kind == Kind::AllSets ? WriteAllSetsFile(fileName)
                                   : WriteTextFile(fileName);
}

TSetFiles::Result TSetFiles::Import(Kind kind, const QString& fileName) {
    return kind == Kind::Set ? ReadSetFile(fileName) : kind == Kind::AllSets ? ReadAllSetsFile(fileName) : CannotOpen;
}

QString TSetFiles::FailureText(Result result, bool exporting, const QString& fileName, const TLanguage& language,
                               const QString& reason) {
    if (result == Ok || result == BadContent) {
        return {};
    }
    const QString why = reason.isEmpty() ? QString() : QStringLiteral("\r(") + reason + QLatin1Char(')');
    if (exporting) {
        return language.Text(Record::WriteFileError) + fileName + why;
    }
    const int record = result == CannotOpen ? 197 : result == WrongCount ? 199 : 200;
    return language.Text(record) + fileName + why;
}

bool TSetFiles::ValuesAcceptable(std::vector<TSetValue>& values, const QString& fileName, const QString& kept) {
    // The minimum pressure is checked in bar: its psi form follows from it in the windows.
    const std::vector<TValueProblem> problems = CheckSetForWriting(m_database, m_family, values, false);
    values.clear();
    if (problems.empty()) {
        return true;
    }
    m_feedback.ShowMessage(MessageKind::Error, Text(Record::RangeError),
                           fileName + QStringLiteral("\r\r") + DescribeValueProblems(problems, m_database.Language()) +
                               kept,
                           MessageButtons::Ok);
    return false;
}

TSetFiles::Result TSetFiles::ReadSetFile(const QString& fileName) {
    return Read(fileName, false);
}
TSetFiles::Result TSetFiles::ReadAllSetsFile(const QString& fileName) {
    return Read(fileName, true);
}

TSetFiles::Result TSetFiles::Read(const QString& fileName, bool allSets) {
    SetProgress(5);
    const auto& allGroups = m_gates.Groups(m_family);
    std::vector<const TVersionGroup*> groups; // the groups an older file may lack values of
    for (const TVersionGroup& group : allGroups) {
        if (group.Fields != QStringList{QStringLiteral("FUError")}) {
            groups.push_back(&group);
        }
    }
    std::vector<bool> missing(groups.size(), true);
    m_reason.clear();
    // Only a regular file of a size a set file can have is read whole: a device or a
    // huge file is refused before it is read.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        m_reason = QStringLiteral("not a regular file");
        SetProgress(0);
        return CannotOpen;
    }
    if (info.size() > kMaxFileBytes) {
        m_reason = QStringLiteral("larger than %1 MB: not a set file").arg(kMaxFileBytes / (1024 * 1024));
        SetProgress(0);
        return CannotOpen;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_reason = file.errorString();
        SetProgress(0);
        return CannotOpen;
    }
    SetProgress(10);
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileBytes) {
        m_reason = file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("file too large");
        SetProgress(0);
        return CannotOpen;
    }
    Reader in(DecodeText(bytes));
    file.close();

    TTable& sets = m_database.SetTable(m_family);
    m_database.SetParameterFamily(m_family);
    TTable::Batch batch(sets);
    bool inserted = false;
    bool setComplete = false; // the set being inserted has had its end line
    // A set that could not be read completely is not left behind to be saved by the next move;
    // a complete one of a .prm is kept whatever the lines after it hold.
    const auto fail = [&](Result result) {
        if (inserted && sets.GetState() == TTable::State::Insert) {
            if (setComplete && result == BadContent) {
                sets.Post();
            } else {
                sets.Cancel();
            }
        }
        SetProgress(0);
        return result;
    };
    const auto storeDefaults = [&] {
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (missing[g]) {
                for (qsizetype i = 0; i < groups[g]->Fields.size(); ++i) {
                    sets.SetFieldFloat(groups[g]->Fields[i], groups[g]->Substitutes[static_cast<std::size_t>(i)]);
                }
            }
        }
    };

    int stored = 0; // sets of a .prm saved before the line being read
    const auto storedBefore = [&](int line) {
        return allSets ? QStringLiteral("\r%1 sets stored before line %2.").arg(stored).arg(line) : QString();
    };
    // The file's name and line, what was wrong there, and what has been kept.
    const auto contentError = [&](int line, const QString& detail) {
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error),
                               Text(Record::FileFormatNotValid) + fileName + QStringLiteral(" (line %1)").arg(line) +
                                   (detail.isEmpty() ? QString() : QLatin1Char('\r') + detail) + storedBefore(line),
                               MessageButtons::Ok);
        return fail(BadContent);
    };

    try {
        in.SkipPastTab();
        const QString header = in.UpToTab().value_or(QString());
        in.SkipLine();
        const QString marker = header.left(8);
        if (marker == OtherMarker()) {
            return fail(OtherFamily);
        }
        sets.Insert();
        inserted = true;
        sets.SetFieldText("Name", marker == Marker() ? header.mid(8) : header);

        double counter = 0;
        double expected = -1;
        int read = 0;
        std::vector<TSetValue> values; // of the set being read, for the range check
        bool ended = false;
        bool newSetPending = false;
        while (!in.AtEnd() && !(ended && !allSets)) {
            const std::optional<double> number = in.Number();
            if (!number && in.AtEnd()) {
                break;
            }
            if (!number) {
                return contentError(in.Line(), QString());
            }
            const int line = in.Line();
            if (!in.SkipPastTab()) {
                break; // the file ends inside a line
            }
            counter += allSets ? 0.5 : Step();
            SetProgress(counter);
            if (newSetPending) {
                sets.Insert();
                newSetPending = false;
                setComplete = false;
            }
            const std::optional<QString> column2 = in.UpToTab();
            if (!column2) {
                break;
            }
            const std::optional<double> value = in.Number();
            if (!value) {
                return contentError(in.Line(), QString());
            }
            in.SkipLine();
            // Only the small codes mean something; anything else is a parameter line.
            const int code = std::abs(*number) < 1e6 ? static_cast<int>(*number) : -1;
            if (code == 0 && allSets) {
                sets.SetFieldText("Name", *column2);
            } else if (code == 9997) {
                sets.SetFieldText("InfoMemo", DecodeMemo(*column2));
            } else if (code == 9998) {
                sets.SetFieldText("ErrorMemo", DecodeMemo(*column2));
            } else if (code == 9999) {
                QString description = *column2;
                // The writer closes the description with "[]" and the family marker; it is
                // not part of what the user wrote.
                for (const QString& mark : {Marker(), OtherMarker()}) {
                    if (description.endsWith(QStringLiteral("[]") + mark)) {
                        description.chop(2 + mark.size());
                    }
                }
                sets.SetFieldText("Description", DecodeDescription(description));
                expected = *value;
                ended = true;
                if (!ValuesAcceptable(values, fileName, storedBefore(line))) {
                    return fail(BadContent);
                }
                if (allSets) {
                    storeDefaults();
                    newSetPending = true;
                    setComplete = true;
                    ++stored;
                }
            } else {
                QString field = *column2;
                for (std::size_t g = 0; g < groups.size(); ++g) {
                    const bool alias =
                        m_family == Family::Tkx && ((field == QLatin1String("LivTkxType") &&
                                                     groups[g]->Fields.contains(QStringLiteral("StartDelay"))) ||
                                                    (field == QLatin1String("CmdInputType") &&
                                                     groups[g]->Fields.contains(QStringLiteral("CommandInput"))));
                    if (groups[g]->Fields.contains(field) || alias) {
                        missing[g] = false;
                    }
                }
                QString target = field;
                double storedValue = *value;
                if (m_family == Family::Tkx && field == QLatin1String("LivTkxType")) {
                    target = QStringLiteral("StartDelay");
                    storedValue = *value == 1 ? 4 : 1;
                } else if (m_family == Family::Tkx && field == QLatin1String("Compatibility")) {
                    target = QStringLiteral("RelayFunction");
                } else if (m_family == Family::Tkx && field == QLatin1String("CmdInputType")) {
                    target = QStringLiteral("CommandInput");
                }
                if (!sets.HasField(target)) {
                    return contentError(line, QStringLiteral("unknown parameter: ") + target);
                }
                sets.SetFieldFloat(target, storedValue);
                values.push_back({target, storedValue, line});
                ++read;
            }
        }
        if (std::abs(expected - read) > 0.5) {
            if (allSets) {
                m_reason = QStringLiteral("%1 sets stored before line %2").arg(stored).arg(in.Line());
            }
            return fail(WrongCount);
        }
        if (!ended && !ValuesAcceptable(values, fileName, QString())) {
            return fail(BadContent);
        }
        QString lines;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (missing[g]) {
                for (const QString& line : groups[g]->ListLines) {
                    lines += line + QLatin1Char('\r');
                }
            }
        }
        if (!allSets) {
            storeDefaults();
        }
        batch.Commit();
        if (!lines.isEmpty()) {
            m_feedback.ShowMessage(MessageKind::Information, Text(Record::Remark),
                                   Text(258) + QLatin1Char('\r') + lines + QLatin1Char('\r') +
                                       Text(Record::NoImpactOnFunction) + QLatin1Char('\r') +
                                       Text(Record::DefaultsInsertedInstead) + QStringLiteral(".\r"),
                                   MessageButtons::Ok);
        }
    } catch (const TableError& error) {
        // The table's own words name the database file; the user needs the import's file and line.
        return contentError(in.Line(), error.Message());
    }
    if (!allSets) {
        SetProgress(100);
    }
    SetProgress(0);
    return Ok;
}
