#pragma once

#include "core/params/TableSchema.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A failure of the table engine or a wrong field name; the message names the file.
class TableError : public std::runtime_error {
public:
    explicit TableError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

// One table of the parameter database with a cursor on its current record.
// The records of the current order (and range) are held in memory; every post
// is written to the file in one transaction, so a power cut never leaves half a
// record. Windows follow the cursor through the change signals.
class TTable : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit TTable(const TableDef& definition, QObject* parent = nullptr);
    ~TTable() override;

    const TableDef& Definition() const { return m_definition; }
    QString FilePath() const { return m_path; }

    // Opens the table's file in the directory; the file must exist and hold the table.
    void Open(const QString& directory);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    State GetState() const { return m_state; }

    // Walking the records; moving the cursor saves a pending edit or insert first.
    void First();
    void Next();
    void Prior();
    void Last();
    void MoveTo(int recordIndex);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const { return m_rows.empty(); }
    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    int RecNo() const { return m_rows.empty() ? -1 : m_cursor; }

    // Field access by name, without regard to case; an unknown name throws.
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    // One field of every record in the current order, without moving the cursor (a list of names).
    QStringList ColumnTexts(const QString& name) const;
    QStringList FieldNames() const { return m_columns; }
    double FieldAsFloat(const QString& name) const;
    qint64 FieldAsInteger(const QString& name) const;
    QString FieldAsText(const QString& name) const;
    bool FieldIsNull(const QString& name) const;
    void SetFieldFloat(const QString& name, double value);
    void SetFieldText(const QString& name, const QString& value);
    void SetFieldNull(const QString& name);

    void Edit();
    void Insert();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();

    // Exact match of Name without regard to case, in name order; the first match
    // becomes current. The cursor stays where it was when nothing matches.
    bool FindName(const QString& name);

    // Many posts in one file transaction (an import): each record stays all or nothing,
    // and the file is synced once at the end instead of once per record.
    void BeginBatch();
    void EndBatch();
    class Batch {
    public:
        explicit Batch(TTable& table) : m_table(table) { m_table.BeginBatch(); }
        // Ends the batch now; a failure to save is the caller's to report.
        void Commit() {
            m_done = true;
            m_table.EndBatch();
        }
        // A batch left early keeps what was posted so far; the caller reports why it left, and a
        // failure to end the batch on the way out goes to the log (a destructor must not throw).
        ~Batch() {
            try {
                if (!m_done) {
                    m_table.EndBatch();
                }
            } catch (const TableError& error) {
                qWarning("ending a batch of table writes failed: %s", error.what());
            }
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TTable& m_table;
        bool m_done = false;
    };

    // Only rows whose ControllerType lies between the bounds (inclusive).
    void SetRange(const QString& low, const QString& high);
    void CancelRange();
    bool HasRange() const { return m_hasRange; }

Q_SIGNALS:
    // The current record or the set of records changed.
    void DataChanged();
    // One field of the record being edited changed.
    void FieldChanged(const QString& field);
    // Browse, edit or insert.
    void StateChanged();

private:
    struct Row {
        qint64 RowId = 0; // 0: not yet in the file
        std::vector<QVariant> Values;
    };

    int FieldIndex(const QString& name) const;
    // The table's order, as the file would give it (name without regard to case, then age).
    bool Before(const Row& a, const Row& b) const;
    int RequireField(const QString& name) const;
    const Row& CurrentRow() const;
    void RequireOpen() const;
    void RequireEditing() const;
    void Load(qint64 keepRowId, int fallbackIndex);
    void Exec(const QString& sql);
    void SetValue(int column, const QVariant& value);
    void SetState(State state);
    void SavePending();
    sqlite3_stmt* PostStatement(bool insert);
    [[noreturn]] void Fail(const QString& what) const;

    const TableDef m_definition;
    QString m_path;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insertStatement = nullptr;
    sqlite3_stmt* m_updateStatement = nullptr;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex; // lower-case name -> column
    int m_autoColumn = -1;
    int m_batchDepth = 0;
    std::vector<const FieldDef*> m_columnFields; // the definition of each column, if it has one
    std::vector<Row> m_rows;
    Row m_pending;
    int m_cursor = 0;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
    bool m_hasRange = false;
    QString m_rangeLow;
    QString m_rangeHigh;
};
