#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QWidget>

#include <functional>

class Feedback;
class TLanguage;
class TTable;

// Controls bound to a field of a table's current record: they show it, follow the
// cursor through the table's change signals, and write what the user typed back into
// the record (putting it into edit state) when the user leaves them. Changes they
// make themselves do not bounce back into them.

// The binding of one control to one field: it follows the cursor and the field's own
// changes, and a change the control writes itself is not shown back to it.
class TFieldLink {
public:
    // show: how the control puts the field's value on screen.
    void Bind(QObject* owner, TTable* table, const QString& field, std::function<void()> show);
    const QString& Field() const { return m_field; }
    TTable* Table() const { return m_table; }
    bool IsOpen() const;
    // There is a record to show: the table is open and not empty.
    bool HasRecord() const;
    // Writes into the current record, putting it into edit state.
    void Write(const std::function<void(TTable&)>& write);

private:
    QObject* m_owner = nullptr;
    TTable* m_table = nullptr;
    QString m_field;
    bool m_writing = false;
    QMetaObject::Connection m_record;
    QMetaObject::Connection m_value;
};

// A numeric field. Shown in the locale's number form; "." is taken as well as the locale's separator.
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(const QString& objectName, QWidget* parent = nullptr);
    void Bind(TTable* table, const QString& field);
    const QString& Field() const { return m_link.Field(); }
    // Writes the text into the record; false when it is not a number (the record keeps its value,
    // the field shows it again and ValueRefused tells what was typed).
    bool Store();
    static QString Format(double value);
    // A number with "," or "." as its decimal separator, whichever the technician's keyboard
    // and language give; text with both, or anything else, is no number.
    static bool Parse(const QString& text, double& value);

Q_SIGNALS:
    // Enter was pressed, or the user left a field he had changed; sent after the value was stored.
    void ValueEntered(bool byEnter);
    // Typed text that is no number was refused: the field shows the stored value again.
    void ValueRefused(const QString& typed);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Show();
    TFieldLink m_link;
};

// A text field of any length.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(const QString& objectName, QWidget* parent = nullptr);
    void Bind(TTable* table, const QString& field);
    void Store();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Show();
    TFieldLink m_link;
};

// A coded field: shows the Text of the lookup row whose Code the field holds, stores the
// Code of the row chosen. A code without a row shows nothing and stays as it is.
class TDBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBLookupComboBox(const QString& objectName, QWidget* parent = nullptr);
    void Bind(TTable* table, const QString& field, TTable* lookup);
    const QString& Field() const { return m_link.Field(); }
    double Code() const;

Q_SIGNALS:
    // The list was closed on a choice (after the code was stored).
    void CodeChosen();
    void ListEntered();
    void ListLeft();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Show();
    TFieldLink m_link;
};

// The names of every set of a table, one row each, the current set selected. A name is
// edited in place; Delete asks before the set goes.
class TDBNameGrid : public QTableWidget {
    Q_OBJECT
public:
    TDBNameGrid(const QString& objectName, const TLanguage& language, Feedback& feedback, QWidget* parent = nullptr);
    void Bind(TTable* table);
    // Opens the current set's name for editing, its text selected.
    void EditCurrentName();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Tab out of a name being edited leaves the list instead of opening the next set's name.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void Show();
    TTable* m_table = nullptr;
    const TLanguage& m_language;
    Feedback& m_feedback;
    bool m_updating = false;
};

// First, previous, next, last, insert, delete, edit, save, cancel and refresh.
class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    TDBNavigator(const QString& objectName, const TLanguage& language, Feedback& feedback, QWidget* parent = nullptr);
    void Bind(TTable* table);
    // Runs before every button's action: the buttons take no focus, so the window hands
    // over what is still being typed before the cursor moves or the record is saved.
    std::function<void()> BeforeAction;

private:
    void UpdateButtons();
    TTable* m_table = nullptr;
    const TLanguage& m_language;
    Feedback& m_feedback;
    std::vector<QWidget*> m_buttons;
};
