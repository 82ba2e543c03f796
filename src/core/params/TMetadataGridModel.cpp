#include "core/params/TMetadataGridModel.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"

#include <cmath>
#include <limits>

namespace {

bool IsWholeNumberColumn(int column) {
    return column == TMetadataGridModel::EpromAddress || column == TMetadataGridModel::PasswordLevel;
}

// A number in the C locale or with the user's decimal separator; whole columns take
// 0..65535 as the controller and the levels use 16 bits.
bool ParseCell(int column, const QString& text, double& value) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return false;
    }
    if (IsWholeNumberColumn(column)) {
        return value == std::floor(value) && value >= 0 && value <= 65535;
    }
    return true;
}

} // namespace

QString TMetadataGridModel::ColumnField(int column) {
    static const char* const names[] = {"ControllerType", "FieldName", "EpromAddress", "Minimum",
                                        "Maximum",        "Default",   "PasswordLevel"};
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(names[column]) : QString();
}

TMetadataGridModel::TMetadataGridModel(TParameterDatabase& database, Feedback& ui, QObject* parent)
    : QAbstractTableModel(parent), m_database(database), m_ui(ui) {
    Reload();
    // Whoever changes the table (a parameter window, this grid), the grid shows it. Walks
    // of the metadata move its cursor often, so the texts are read again only when shown.
    connect(&Table(), &TTable::DataChanged, this, [this] {
        m_dirty = true;
        if (Table().RecordCount() != m_rows) {
            beginResetModel();
            Reload();
            endResetModel();
        } else if (m_rows > 0) {
            Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
        }
    });
}

TTable& TMetadataGridModel::Table() const {
    return m_database.TableParameterDBSettings();
}

void TMetadataGridModel::Reload() const {
    m_dirty = false;
    m_columns.clear();
    TTable& table = Table();
    if (!table.IsOpen()) {
        m_rows = 0;
        return;
    }
    for (int column = 0; column < ColumnCount; ++column) {
        m_columns.push_back(table.ColumnTexts(ColumnField(column)));
    }
    m_rows = table.RecordCount();
}

int TMetadataGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows + (m_pending ? 1 : 0);
}

int TMetadataGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TMetadataGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    if (m_dirty) {
        Reload();
    }
    if (m_pending && index.row() == m_rows) {
        return m_pending->value(index.column());
    }
    const auto& column = m_columns[static_cast<std::size_t>(index.column())];
    return index.row() < column.size() ? column[index.row()] : QString();
}

QVariant TMetadataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    // Rows are counted in the indicator column so the current row can be told at a glance.
    return orientation == Qt::Horizontal ? QVariant(ColumnField(section)) : QVariant(section + 1);
}

Qt::ItemFlags TMetadataGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const bool newName = index.column() == FieldName && data(index, Qt::EditRole).toString().isEmpty();
    if (index.isValid() && (!IsReadOnly(index.column()) || newName)) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QString TMetadataGridModel::CheckRow(double minimum, double maximum, double defaultValue, qint64 passwordLevel) {
    if (minimum > maximum) {
        return QStringLiteral("Minimum %1 is above Maximum %2.\rEvery range check of this parameter would refuse "
                              "its values; the row is not stored.")
            .arg(minimum)
            .arg(maximum);
    }
    if (defaultValue < minimum || defaultValue > maximum) {
        return QStringLiteral("Default %1 lies outside %2 ... %3.\rA set holding the default could not be "
                              "written; the row is not stored.")
            .arg(defaultValue)
            .arg(minimum)
            .arg(maximum);
    }
    if (passwordLevel < 1 || passwordLevel > 5) {
        return QStringLiteral("PasswordLevel must be 1 to 5, not %1; the row is not stored.").arg(passwordLevel);
    }
    return {};
}

bool TMetadataGridModel::Refuse(const QString& message) {
    m_lastRefusal = message;
    m_ui.ShowMessage(MessageKind::Error, m_database.Language().Text(Record::Error), message, MessageButtons::Ok);
    return false;
}

QString TMetadataGridModel::NameProblem(const QString& name, const QString& type, int row) const {
    TTable& sets = m_database.SetTable(type == QLatin1String("ITKX") ? Family::VfTkx : Family::Tkx);
    if (name.isEmpty() || !sets.HasField(name) || name == QLatin1String("Id") || name == QLatin1String("Name") ||
        name.endsWith(QLatin1String("Memo")) || name == QLatin1String("Description")) {
        return QStringLiteral("'%1' is not a parameter of the %2 sets.").arg(name, type);
    }
    if (m_dirty) {
        Reload();
    }
    for (int other = 0; other < m_rows; ++other) {
        if (other != row && m_columns[ControllerType].value(other) == type &&
            m_columns[FieldName].value(other).compare(name, Qt::CaseInsensitive) == 0) {
            return QStringLiteral("%1 has a row of its %2 already (row %3): a second one would make every write "
                                  "refuse the set.")
                .arg(name, type)
                .arg(other + 1);
        }
    }
    return {};
}

bool TMetadataGridModel::SetPendingCell(int column, const QString& text) {
    QStringList& cells = *m_pending;
    if (column == FieldName) {
        const QString name = text.trimmed();
        const QString problem = NameProblem(name, cells[ControllerType], -1);
        if (!problem.isEmpty()) {
            return Refuse(problem);
        }
        const QString type = cells[ControllerType];
        TTable& table = Table();
        try {
            table.Insert();
            table.SetFieldText(QStringLiteral("ControllerType"), type);
            table.SetFieldText(QStringLiteral("FieldName"), name);
            table.SetFieldFloat(QStringLiteral("Factor"), 1);
            for (const int c : {EpromAddress, Minimum, Maximum, Default, PasswordLevel}) {
                table.SetFieldFloat(ColumnField(c), cells[c].toDouble());
            }
            table.Post();
        } catch (const TableError& error) {
            if (table.GetState() != TTable::State::Browse) {
                table.Cancel();
            }
            return Refuse(error.Message());
        }
        beginResetModel();
        m_pending.reset();
        Reload();
        endResetModel();
        return true;
    }
    double number = 0;
    if (!ParseCell(column, text, number)) {
        return Refuse(QStringLiteral("'%1' is not a valid value for %2.").arg(text, ColumnField(column)));
    }
    QStringList next = cells;
    next[column] = QString::number(number);
    const QString problem = CheckRow(next[Minimum].toDouble(), next[Maximum].toDouble(), next[Default].toDouble(),
                                     next[PasswordLevel].toLongLong());
    if (!problem.isEmpty()) {
        return Refuse(problem);
    }
    cells = next;
    Q_EMIT dataChanged(index(m_rows, column), index(m_rows, column));
    return true;
}

bool TMetadataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const int row = index.row();
    const int column = index.column();
    const QString text = value.toString();
    if (m_pending && row == m_rows) {
        return SetPendingCell(column, text);
    }
    TTable& table = Table();
    try {
        table.MoveTo(row);
        if (column == FieldName) {
            const QString name = text.trimmed();
            const QString problem = NameProblem(name, table.FieldAsText(QStringLiteral("ControllerType")), row);
            if (!problem.isEmpty()) {
                return Refuse(problem);
            }
            table.Edit();
            table.SetFieldText(QStringLiteral("FieldName"), name);
            table.Post();
            return true;
        }
        double number = 0;
        if (!ParseCell(column, text, number)) {
            return Refuse(IsWholeNumberColumn(column)
                              ? QStringLiteral("'%1' is not a valid value for %2: a whole number from 0 to 65535.")
                                    .arg(text, ColumnField(column))
                              : QStringLiteral("'%1' is not a valid value for %2: a number is needed.")
                                    .arg(text, ColumnField(column)));
        }
        double minimum = table.FieldAsFloat(QStringLiteral("Minimum"));
        double maximum = table.FieldAsFloat(QStringLiteral("Maximum"));
        double defaultValue = table.FieldAsFloat(QStringLiteral("Default"));
        qint64 level = table.FieldAsInteger(QStringLiteral("PasswordLevel"));
        if (column == Minimum) {
            minimum = number;
        } else if (column == Maximum) {
            maximum = number;
        } else if (column == Default) {
            defaultValue = number;
        } else if (column == PasswordLevel) {
            level = static_cast<qint64>(number);
        }
        const QString problem = CheckRow(minimum, maximum, defaultValue, level);
        if (!problem.isEmpty()) {
            return Refuse(problem);
        }
        table.Edit();
        table.SetFieldFloat(ColumnField(column), number);
        table.Post();
        return true;
    } catch (const TableError& error) {
        if (table.GetState() != TTable::State::Browse) {
            table.Cancel();
        }
        return Refuse(error.Message());
    }
}

bool TMetadataGridModel::AppendRow() {
    TTable& table = Table();
    if (!table.IsOpen() || m_pending) {
        return m_pending.has_value(); // one new row at a time: the cursor goes to it
    }
    if (m_dirty) {
        Reload();
    }
    const Family family = m_database.ParameterFamily();
    QString type = family == Family::VfTkx ? QStringLiteral("ITKX") : QStringLiteral("TKX");
    if (family == Family::None && m_rows > 0) {
        type = m_columns[ControllerType].value(m_rows - 1);
    }
    beginInsertRows({}, m_rows, m_rows);
    m_pending = QStringList{type,
                            QString(),
                            QStringLiteral("0"),
                            QStringLiteral("0"),
                            QStringLiteral("0"),
                            QStringLiteral("0"),
                            QStringLiteral("1")};
    endInsertRows();
    return true;
}

void TMetadataGridModel::DropPendingRow() {
    if (!m_pending) {
        return;
    }
    beginRemoveRows({}, m_rows, m_rows);
    m_pending.reset();
    endRemoveRows();
}

bool TMetadataGridModel::DeleteRow(int row) {
    if (m_pending && row == m_rows) {
        DropPendingRow();
        return true;
    }
    if (row < 0 || row >= m_rows) {
        return false;
    }
    if (m_dirty) {
        Reload();
    }
    const QString name = m_columns[FieldName].value(row);
    if (m_ui.ShowMessage(MessageKind::Warning, m_database.Language().Text(Record::Warning),
                         QStringLiteral("Delete the row of %1 %2?").arg(m_columns[ControllerType].value(row), name),
                         MessageButtons::YesNo) != MessageAnswer::Yes) {
        return false;
    }
    try {
        Table().MoveTo(row);
        Table().Delete();
        return true;
    } catch (const TableError& error) {
        return Refuse(error.Message());
    }
}
