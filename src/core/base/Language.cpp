#include "core/base/Language.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <vector>

extern const unsigned char kLanguageTable[];
extern const std::size_t kLanguageTable_size;

namespace {

using Record = std::array<QString, Language::ColumnCount>;

QString Unescape(const QByteArray& cell) {
    QByteArray out;
    out.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (cell[i] == '\\' && i + 1 < cell.size()) {
            const char next = cell[++i];
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += cell[i];
        }
    }
    return QString::fromUtf8(out);
}

// The table is built into the program as the UTF-8 text of data/language.tsv:
// a header line, then one line per record: number, then the eight columns.
std::vector<Record> ParseTable() {
    std::vector<Record> table(Language::RecordCount);
    const QByteArray data(reinterpret_cast<const char*>(kLanguageTable), static_cast<qsizetype>(kLanguageTable_size));
    const QList<QByteArray> lines = data.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        const QList<QByteArray> cells = line.split('\t');
        bool ok = false;
        const int number = cells.value(0).toInt(&ok);
        if (!ok || number < 0 || number >= Language::RecordCount) {
            continue;
        }
        for (int column = 0; column < Language::ColumnCount && column + 1 < cells.size(); ++column) {
            table[number][column] = Unescape(cells[column + 1]);
        }
    }
    return table;
}

const std::vector<Record>& Table() {
    static const std::vector<Record> table = ParseTable();
    return table;
}

} // namespace

QString Text(int record, int languageIndex) {
    if (record < 0 || record >= Language::RecordCount) {
        return {};
    }
    if (languageIndex < 1 || languageIndex > Language::ColumnCount) {
        languageIndex = Language::English;
    }
    return Table()[record][languageIndex - 1];
}

QString RecordSlot(int record, int slot) {
    if (slot == 0) {
        // Record 0 has always carried a single blank before its number.
        return record == 0 ? QStringLiteral(" 0") : QString::number(record).rightJustified(3, QLatin1Char(' '));
    }
    if (slot < 1 || slot > Language::ColumnCount || record < 0 || record >= Language::RecordCount) {
        return {};
    }
    return Table()[record][slot - 1];
}
