#include "core/params/TTable.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <cmath>

namespace {

QString Quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace('"', "\"\"") + QLatin1Char('"');
}

// Names sort and match the way a technician reads them: without regard to case,
// umlauts included (SQLite's own NOCASE folds ASCII only).
int CompareNoCase(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const QString left = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString right = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    return left.compare(right, Qt::CaseInsensitive);
}

void BindValue(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement, index);
    } else if (value.typeId() == QMetaType::Double) {
        sqlite3_bind_double(statement, index, value.toDouble());
    } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        sqlite3_bind_int64(statement, index, value.toLongLong());
    } else {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
}

class Statement {
public:
    Statement(sqlite3* db, const QString& sql) {
        const QByteArray text = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Prepared() const { return m_rc == SQLITE_OK && m_stmt != nullptr; }
    sqlite3_stmt* Get() const { return m_stmt; }

    void Bind(int index, const QVariant& value) { BindValue(m_stmt, index, value); }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

QVariant ColumnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
    }
}

} // namespace

TTable::TTable(const TableDef& definition, QObject* parent) : QObject(parent), m_definition(definition) {
    setObjectName(definition.ObjectName);
}

TTable::~TTable() {
    blockSignals(true); // nobody is to hear from a table that is going away
    Close();
}

void TTable::Fail(const QString& what) const {
    throw TableError(m_path + QStringLiteral(": ") + what);
}

void TTable::Open(const QString& directory) {
    Close();
    m_path = directory + QLatin1Char('/') + m_definition.DiskName();
    if (!QFileInfo(m_path).isFile()) {
        Fail(QStringLiteral("table file not found"));
    }
    sqlite3* db = nullptr;
    // Never create: a missing or broken file is reported, not replaced by an empty one.
    if (sqlite3_open_v2(m_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        Fail(message);
    }
    sqlite3_busy_timeout(db, 3000);
    sqlite3_create_collation(db, "TORVEX_NOCASE", SQLITE_UTF8, nullptr, &CompareNoCase);
    m_db = db;
    try {
        Statement info(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(Quoted(m_definition.SqlName())));
        if (!info.Prepared()) {
            Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
        }
        m_columns.clear();
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(info.Get())) == SQLITE_ROW) {
            m_columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.Get(), 1)));
        }
        if (rc != SQLITE_DONE) {
            Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
        }
        if (m_columns.isEmpty()) {
            Fail(QStringLiteral("the file holds no table %1").arg(m_definition.SqlName()));
        }
        m_columnIndex.clear();
        m_columnFields.clear();
        m_autoColumn = -1;
        for (int i = 0; i < m_columns.size(); ++i) {
            m_columnIndex.insert(m_columns[i], i);
            m_columnIndex.insert(m_columns[i].toLower(), i);
            const FieldDef* field = m_definition.Field(m_columns[i]);
            m_columnFields.push_back(field);
            if (field != nullptr && field->Type == FieldType::Auto) {
                m_autoColumn = i;
            }
        }
        m_hasRange = false;
        Load(0, 0);
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        m_columns.clear();
        throw;
    }
    m_cursor = 0;
    m_bof = true;
    m_eof = m_rows.empty();
    SetState(State::Browse);
    Q_EMIT DataChanged();
}

void TTable::Close() {
    if (m_db == nullptr) {
        return;
    }
    sqlite3_finalize(m_insertStatement);
    sqlite3_finalize(m_updateStatement);
    m_insertStatement = m_updateStatement = nullptr;
    sqlite3_close(m_db);
    m_db = nullptr;
    m_rows.clear();
    m_columns.clear();
    m_hasRange = false;
    m_eof = m_bof = true;
    SetState(State::Inactive);
    Q_EMIT DataChanged();
}

void TTable::RequireOpen() const {
    if (m_db == nullptr) {
        throw TableError(m_definition.FileName + QStringLiteral(": table is not open"));
    }
}

void TTable::RequireEditing() const {
    RequireOpen();
    if (m_state != State::Edit && m_state != State::Insert) {
        Fail(QStringLiteral("the record is not being edited"));
    }
}

void TTable::Exec(const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : "unknown error");
        sqlite3_free(error);
        Fail(message);
    }
}

void TTable::Load(qint64 keepRowId, int fallbackIndex) {
    QStringList columns;
    for (const QString& column : m_columns) {
        columns << Quoted(column);
    }
    QString sql =
        QStringLiteral("SELECT rowid, %1 FROM %2").arg(columns.join(QLatin1Char(',')), Quoted(m_definition.SqlName()));
    const bool hasType = m_columns.contains(QStringLiteral("ControllerType"), Qt::CaseInsensitive);
    if (m_hasRange && hasType) {
        sql += QStringLiteral(" WHERE \"ControllerType\" >= ?1 AND \"ControllerType\" <= ?2");
    }
    if (m_definition.Order == TableOrder::Name && m_columns.contains(QStringLiteral("Name"), Qt::CaseInsensitive)) {
        sql += QStringLiteral(" ORDER BY \"Name\" COLLATE TORVEX_NOCASE, rowid");
    } else if (m_definition.Order == TableOrder::ControllerType && hasType) {
        sql += QStringLiteral(" ORDER BY \"ControllerType\", rowid");
    } else {
        sql += QStringLiteral(" ORDER BY rowid");
    }
    Statement query(m_db, sql);
    if (!query.Prepared()) {
        Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    if (m_hasRange && hasType) {
        query.Bind(1, m_rangeLow);
        query.Bind(2, m_rangeHigh);
    }
    std::vector<Row> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query.Get())) == SQLITE_ROW) {
        Row row;
        row.RowId = sqlite3_column_int64(query.Get(), 0);
        row.Values.reserve(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i) {
            row.Values.push_back(ColumnValue(query.Get(), i + 1));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        Fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    m_rows = std::move(rows);
    m_cursor = std::clamp(fallbackIndex, 0, std::max(0, RecordCount() - 1));
    for (int i = 0; keepRowId != 0 && i < RecordCount(); ++i) {
        if (m_rows[i].RowId == keepRowId) {
            m_cursor = i;
            break;
        }
    }
    m_eof = m_bof = m_rows.empty();
}

void TTable::SetState(State state) {
    if (m_state != state) {
        m_state = state;
        Q_EMIT StateChanged();
    }
}

int TTable::FieldIndex(const QString& name) const {
    // Callers mostly spell the name as the file does: try that before folding case.
    const auto exact = m_columnIndex.constFind(name);
    return exact != m_columnIndex.constEnd() ? exact.value() : m_columnIndex.value(name.toLower(), -1);
}

int TTable::RequireField(const QString& name) const {
    RequireOpen();
    const int index = FieldIndex(name);
    if (index < 0) {
        Fail(QStringLiteral("field '%1' not found").arg(name));
    }
    return index;
}

const TTable::Row& TTable::CurrentRow() const {
    if (m_state == State::Edit || m_state == State::Insert) {
        return m_pending;
    }
    static const Row empty;
    return m_rows.empty() ? empty : m_rows[m_cursor];
}

QStringList TTable::ColumnTexts(const QString& name) const {
    const int index = RequireField(name);
    QStringList texts;
    for (int row = 0; row < RecordCount(); ++row) {
        const bool pending = row == m_cursor && (m_state == State::Edit || m_state == State::Insert);
        const QVariant& value = (pending ? m_pending : m_rows[static_cast<std::size_t>(row)]).Values[index];
        texts << (value.isNull() ? QString() : value.toString());
    }
    return texts;
}

bool TTable::FieldIsNull(const QString& name) const {
    const int index = RequireField(name);
    const Row& row = CurrentRow();
    return index >= static_cast<int>(row.Values.size()) || row.Values[index].isNull();
}

double TTable::FieldAsFloat(const QString& name) const {
    const int index = RequireField(name);
    const Row& row = CurrentRow();
    return index < static_cast<int>(row.Values.size()) ? row.Values[index].toDouble() : 0.0;
}

qint64 TTable::FieldAsInteger(const QString& name) const {
    const int index = RequireField(name);
    const Row& row = CurrentRow();
    if (index >= static_cast<int>(row.Values.size())) {
        return 0;
    }
    const QVariant& value = row.Values[index];
    return value.typeId() == QMetaType::Double ? std::llround(value.toDouble()) : value.toLongLong();
}

QString TTable::FieldAsText(const QString& name) const {
    const int index = RequireField(name);
    const Row& row = CurrentRow();
    if (index >= static_cast<int>(row.Values.size()) || row.Values[index].isNull()) {
        return {};
    }
    const QVariant& value = row.Values[index];
    return value.typeId() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 15) : value.toString();
}

void TTable::SetValue(int column, const QVariant& value) {
    RequireEditing();
    m_pending.Values[column] = value;
    Q_EMIT FieldChanged(m_columns[column]);
}

void TTable::SetFieldFloat(const QString& name, double value) {
    const int index = RequireField(name);
    const FieldDef* field = m_columnFields[static_cast<std::size_t>(index)];
    if (field != nullptr && (field->Type == FieldType::Text || field->Type == FieldType::Memo)) {
        SetFieldText(name, QString::number(value, 'g', 15));
        return;
    }
    SetValue(index, QVariant(value));
}

void TTable::SetFieldText(const QString& name, const QString& value) {
    const int index = RequireField(name);
    const FieldDef* field = m_columnFields[static_cast<std::size_t>(index)];
    if (field != nullptr && (field->Type == FieldType::Float || field->Type == FieldType::Integer)) {
        if (value.trimmed().isEmpty()) {
            SetValue(index, QVariant());
            return;
        }
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (!ok) {
            Fail(QStringLiteral("'%1' is not a valid number for field %2").arg(value, m_columns[index]));
        }
        SetValue(index, QVariant(number));
        return;
    }
    // Text longer than its field keeps its first characters (a set name its first 32).
    SetValue(index,
             field != nullptr && field->Type == FieldType::Text && field->Size > 0 ? value.left(field->Size) : value);
}

void TTable::SetFieldNull(const QString& name) {
    SetValue(RequireField(name), QVariant());
}

void TTable::Edit() {
    RequireOpen();
    if (m_state == State::Edit || m_state == State::Insert) {
        return;
    }
    if (m_rows.empty()) {
        Insert(); // editing an empty table starts its first record
        return;
    }
    m_pending = m_rows[m_cursor];
    SetState(State::Edit);
}

void TTable::Insert() {
    RequireOpen();
    SavePending();
    m_pending = Row{0, std::vector<QVariant>(m_columns.size())};
    const int position = m_rows.empty() ? 0 : m_cursor;
    m_rows.insert(m_rows.begin() + position, m_pending);
    m_cursor = position;
    m_eof = m_bof = false;
    SetState(State::Insert);
    Q_EMIT DataChanged();
}

sqlite3_stmt* TTable::PostStatement(bool insert) {
    sqlite3_stmt*& statement = insert ? m_insertStatement : m_updateStatement;
    if (statement != nullptr) {
        return statement; // made once while the table is open: its columns do not change
    }
    QStringList names;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (i != m_autoColumn) {
            names << Quoted(m_columns[i]);
        }
    }
    const QString table = Quoted(m_definition.SqlName());
    QString sql;
    if (insert) {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i) {
            marks << QStringLiteral("?");
        }
        sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    } else {
        QStringList sets;
        for (const QString& name : names) {
            sets << name + QStringLiteral("=?");
        }
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(table, sets.join(QLatin1Char(',')));
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    return statement;
}

void TTable::Post() {
    RequireOpen();
    if (m_state != State::Edit && m_state != State::Insert) {
        return;
    }
    sqlite3_stmt* statement = PostStatement(m_state == State::Insert);
    // Within a batch every record is still all or nothing: a savepoint of its own.
    Exec(m_batchDepth > 0 ? QStringLiteral("SAVEPOINT post") : QStringLiteral("BEGIN IMMEDIATE"));
    qint64 rowId = m_pending.RowId;
    bool ok = statement != nullptr;
    if (ok) {
        int index = 1;
        for (int i = 0; i < m_columns.size(); ++i) {
            if (i != m_autoColumn) {
                BindValue(statement, index++, m_pending.Values[i]);
            }
        }
        if (m_state == State::Edit) {
            BindValue(statement, index, QVariant(rowId));
        }
        ok = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
    if (!ok) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_exec(m_db, m_batchDepth > 0 ? "ROLLBACK TO post; RELEASE post" : "ROLLBACK", nullptr, nullptr, nullptr);
        Fail(message); // the record stays pending: the user may correct it or cancel
    }
    if (m_state == State::Insert) {
        rowId = sqlite3_last_insert_rowid(m_db);
    }
    if (sqlite3_exec(m_db, m_batchDepth > 0 ? "RELEASE post" : "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        Fail(message);
    }
    // The row is now what the file holds: put it in its place without reading the table again.
    m_pending.RowId = rowId;
    if (m_autoColumn >= 0) {
        m_pending.Values[m_autoColumn] = QVariant(rowId);
    }
    m_rows.erase(m_rows.begin() + m_cursor);
    const int type = FieldIndex(QStringLiteral("ControllerType"));
    if (m_hasRange && type >= 0 &&
        (m_pending.Values[type].toString() < m_rangeLow || m_pending.Values[type].toString() > m_rangeHigh)) {
        // Saved, but outside the range the table shows.
        m_cursor = std::clamp(m_cursor, 0, std::max(0, RecordCount() - 1));
        m_eof = m_bof = m_rows.empty();
        SetState(State::Browse);
        Q_EMIT DataChanged();
        return;
    }
    const auto position = std::upper_bound(m_rows.begin(), m_rows.end(), m_pending,
                                           [this](const Row& a, const Row& b) { return Before(a, b); });
    m_cursor = static_cast<int>(position - m_rows.begin());
    m_rows.insert(position, m_pending);
    SetState(State::Browse);
    Q_EMIT DataChanged();
}

bool TTable::Before(const Row& a, const Row& b) const {
    const auto column = [this](const char* name) { return FieldIndex(QLatin1String(name)); };
    if (m_definition.Order == TableOrder::Name) {
        const int name = column("Name");
        if (name >= 0) {
            const int order = a.Values[name].toString().compare(b.Values[name].toString(), Qt::CaseInsensitive);
            if (order != 0) {
                return order < 0;
            }
        }
    } else if (m_definition.Order == TableOrder::ControllerType) {
        const int type = column("ControllerType");
        if (type >= 0) {
            const int order = a.Values[type].toString().compare(b.Values[type].toString());
            if (order != 0) {
                return order < 0;
            }
        }
    }
    return a.RowId < b.RowId;
}

void TTable::Cancel() {
    if (m_state == State::Insert) {
        m_rows.erase(m_rows.begin() + m_cursor);
        m_cursor = std::clamp(m_cursor, 0, std::max(0, RecordCount() - 1));
        m_eof = m_bof = m_rows.empty();
    }
    if (m_state == State::Edit || m_state == State::Insert) {
        SetState(State::Browse);
        Q_EMIT DataChanged();
    }
}

void TTable::Delete() {
    RequireOpen();
    if (m_state == State::Insert) {
        Cancel();
        return;
    }
    if (m_rows.empty()) {
        return;
    }
    SetState(State::Browse);
    Exec(QStringLiteral("DELETE FROM %1 WHERE rowid=%2")
             .arg(Quoted(m_definition.SqlName()))
             .arg(m_rows[m_cursor].RowId));
    Load(0, m_cursor);
    Q_EMIT DataChanged();
}

void TTable::SavePending() {
    if (m_state == State::Edit || m_state == State::Insert) {
        Post();
    }
}

void TTable::Refresh() {
    RequireOpen();
    SavePending();
    Load(m_rows.empty() ? 0 : m_rows[m_cursor].RowId, m_cursor);
    Q_EMIT DataChanged();
}

void TTable::First() {
    RequireOpen();
    SavePending();
    m_cursor = 0;
    m_bof = true;
    m_eof = m_rows.empty();
    Q_EMIT DataChanged();
}

void TTable::Next() {
    RequireOpen();
    SavePending();
    if (m_rows.empty() || m_cursor >= RecordCount() - 1) {
        m_eof = true;
        return;
    }
    ++m_cursor;
    m_bof = false;
    Q_EMIT DataChanged();
}

void TTable::Prior() {
    RequireOpen();
    SavePending();
    if (m_rows.empty() || m_cursor == 0) {
        m_bof = true;
        return;
    }
    --m_cursor;
    m_eof = false;
    Q_EMIT DataChanged();
}

void TTable::Last() {
    RequireOpen();
    SavePending();
    m_cursor = std::max(0, RecordCount() - 1);
    m_eof = true;
    m_bof = m_rows.empty();
    Q_EMIT DataChanged();
}

void TTable::MoveTo(int recordIndex) {
    RequireOpen();
    SavePending();
    if (m_rows.empty()) {
        return;
    }
    m_cursor = std::clamp(recordIndex, 0, RecordCount() - 1);
    m_eof = m_bof = false;
    Q_EMIT DataChanged();
}

bool TTable::FindName(const QString& name) {
    const int column = RequireField(QStringLiteral("Name"));
    SavePending();
    for (int i = 0; i < RecordCount(); ++i) {
        if (m_rows[i].Values[column].toString().compare(name, Qt::CaseInsensitive) == 0) {
            m_cursor = i;
            m_eof = m_bof = false;
            Q_EMIT DataChanged();
            return true;
        }
    }
    return false;
}

void TTable::SetRange(const QString& low, const QString& high) {
    RequireOpen();
    SavePending();
    m_hasRange = true;
    m_rangeLow = low;
    m_rangeHigh = high;
    Load(0, 0);
    m_bof = true;
    Q_EMIT DataChanged();
}

void TTable::CancelRange() {
    RequireOpen();
    SavePending();
    m_hasRange = false;
    Load(0, 0);
    m_bof = true;
    Q_EMIT DataChanged();
}

void TTable::BeginBatch() {
    RequireOpen();
    if (m_batchDepth++ == 0) {
        Exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
}

void TTable::EndBatch() {
    if (m_batchDepth == 0 || --m_batchDepth > 0 || m_db == nullptr) {
        return;
    }
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        Fail(message);
    }
}
