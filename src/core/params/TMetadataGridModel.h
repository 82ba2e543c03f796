#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class Feedback;
class TParameterDatabase;
class TTable;

// The metadata table as the parameter list shows it: the rows of the family last
// restricted to, the seven columns in order, edits saved at once so every window
// that reads the metadata sees them. Values that would make later checks wrong are
// refused with a message instead of stored.
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

    // A new row of the family shown, saved at once; its name is typed afterwards.
    bool AppendRow();
    // Deletes a row once the user has confirmed it.
    bool DeleteRow(int row);
    // The text the last refused edit gave and why it was refused.
    QString LastRefusal() const { return m_lastRefusal; }

    // Checks a row as it would be stored: the message to show, or empty when it is fine.
    static QString CheckRow(double minimum, double maximum, qint64 passwordLevel);

private:
    TTable& Table() const;
    void Reload() const;
    bool Refuse(const QString& message);

    TParameterDatabase& m_database;
    Feedback& m_ui;
    mutable std::vector<QStringList> m_columns; // the shown texts, by column
    mutable int m_rows = 0;
    mutable bool m_dirty = false;
    QString m_lastRefusal;
};
