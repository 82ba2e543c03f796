#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>

class Feedback;
class TParameterDatabase;
class TTable;

// The metadata table as the parameter list shows it: the rows of the family last
// restricted to, the seven columns in order, edits saved at once so every window
// that reads the metadata sees them. Values that would make later checks wrong are
// refused with a message instead of stored. A new row is shown at the end but stored only
// once it has a field name the family's set table has and no other row of the family uses:
// a row without one would break every read, write, print and export of the family.
class TMetadataGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ControllerType, FieldName, EpromAddress, Minimum, Maximum, Default, PasswordLevel, ColumnCount };
    static QString ColumnField(int column);

    TMetadataGridModel(TParameterDatabase& database, Feedback& ui, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stores one cell; false (with the message shown) when the text or the row is refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The name and family columns are the row's identity; only a new row's name may be typed.
    static bool IsReadOnly(int column) { return column == ControllerType || column == FieldName; }

    // A new row of the family shown, at the end; stored once its name is typed (see above).
    bool AppendRow();
    bool HasPendingRow() const { return m_pending.has_value(); }
    // The new row is given up (the user left it without a name).
    void DropPendingRow();
    // Deletes a row once the user has confirmed it.
    bool DeleteRow(int row);
    // The text the last refused edit gave and why it was refused.
    QString LastRefusal() const { return m_lastRefusal; }

    // Checks a row as it would be stored: the message to show, or empty when it is fine.
    static QString CheckRow(double minimum, double maximum, double defaultValue, qint64 passwordLevel);

private:
    TTable& Table() const;
    void Reload() const;
    bool Refuse(const QString& message);
    // Why `name` cannot be the field of a row of `type` (other than `row`); empty when it can.
    QString NameProblem(const QString& name, const QString& type, int row) const;
    bool SetPendingCell(int column, const QString& text);

    TParameterDatabase& m_database;
    Feedback& m_ui;
    mutable std::vector<QStringList> m_columns; // the shown texts, by column
    mutable int m_rows = 0;
    mutable bool m_dirty = false;
    QString m_lastRefusal;
    // The new row not stored yet: its shown texts by column.
    std::optional<QStringList> m_pending;
};
