#include "DataAware.h"

#include "app/Feedback.h"
#include "app/Language.h"
#include "params/TTable.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>

namespace {
// A control that reports nothing when the table cannot give a value: it shows empty.
template <typename F>
auto Safely(F read) -> decltype(read()) {
    try {
        return read();
    } catch (const TableError&) {
        return {};
    }
}
} // namespace

TDBEdit::TDBEdit(const QString& objectName, QWidget* parent) : QLineEdit(parent) { setObjectName(objectName); }

void TDBEdit::Bind(TTable* table, const QString& field) {
    if (m_table != nullptr) {
        disconnect(m_connection);
        disconnect(m_fieldConnection);
    }
    m_table = table;
    m_field = field;
    m_connection = connect(table, &TTable::DataChanged, this, [this] {
        if (!m_writing) {
            Show();
        }
    });
    m_fieldConnection = connect(table, &TTable::FieldChanged, this, [this](const QString& changed) {
        if (!m_writing && changed.compare(m_field, Qt::CaseInsensitive) == 0) {
            Show();
        }
    });
    Show();
}

QString TDBEdit::Format(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 12);
}

bool TDBEdit::Parse(const QString& text, double& value) {
    QString normal = text.trimmed();
    normal.replace(QLocale().decimalPoint(), QStringLiteral("."));
    bool ok = false;
    value = normal.toDouble(&ok);
    return ok;
}

void TDBEdit::Show() {
    if (m_table == nullptr || !m_table->IsOpen() || m_table->IsEmpty()) {
        setText(QString());
        return;
    }
    const bool empty = Safely([this] { return m_table->FieldIsNull(m_field); });
    setText(empty ? QString() : Format(Safely([this] { return m_table->FieldAsFloat(m_field); })));
}

bool TDBEdit::Store() {
    if (m_table == nullptr || !m_table->IsOpen() || !isModified()) {
        return true;
    }
    double value = 0;
    const bool number = Parse(text(), value);
    if (!number && !text().trimmed().isEmpty()) {
        Show();
        return false;
    }
    m_writing = true;
    try {
        m_table->Edit();
        if (number) {
            m_table->SetFieldFloat(m_field, value);
        } else {
            m_table->SetFieldNull(m_field);
        }
    } catch (const TableError&) {
    }
    m_writing = false;
    setModified(false);
    return true;
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && Store()) {
        Q_EMIT ValueEntered();
    }
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (Store()) {
            Q_EMIT ValueEntered();
        }
        return;
    }
    QLineEdit::keyPressEvent(event);
}

TDBMemo::TDBMemo(const QString& objectName, QWidget* parent) : QPlainTextEdit(parent) { setObjectName(objectName); }

void TDBMemo::Bind(TTable* table, const QString& field) {
    m_table = table;
    m_field = field;
    connect(table, &TTable::DataChanged, this, [this] {
        if (!m_writing) {
            Show();
        }
    });
    connect(table, &TTable::FieldChanged, this, [this](const QString& changed) {
        if (!m_writing && changed.compare(m_field, Qt::CaseInsensitive) == 0) {
            Show();
        }
    });
    Show();
}

void TDBMemo::Show() {
    const bool none = m_table == nullptr || !m_table->IsOpen() || m_table->IsEmpty();
    // The memos keep the controller's CR line ends; shown, they are line breaks.
    QString text = none ? QString() : Safely([this] { return m_table->FieldAsText(m_field); });
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (toPlainText() != text) {
        setPlainText(text);
    }
    document()->setModified(false);
}

void TDBMemo::Store() {
    if (m_table == nullptr || !m_table->IsOpen() || !document()->isModified()) {
        return;
    }
    m_writing = true;
    try {
        m_table->Edit();
        QString text = toPlainText();
        m_table->SetFieldText(m_field, text.replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    } catch (const TableError&) {
    }
    m_writing = false;
    document()->setModified(false);
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    Store();
}

TDBLookupComboBox::TDBLookupComboBox(const QString& objectName, QWidget* parent) : QComboBox(parent) {
    setObjectName(objectName);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void TDBLookupComboBox::Bind(TTable* table, const QString& field, TTable* lookup) {
    m_table = table;
    m_field = field;
    clear();
    if (lookup != nullptr && lookup->IsOpen()) {
        for (lookup->First(); !lookup->Eof(); lookup->Next()) {
            addItem(lookup->FieldAsText(QStringLiteral("Text")), lookup->FieldAsFloat(QStringLiteral("Code")));
        }
    }
    connect(table, &TTable::DataChanged, this, [this] {
        if (!m_writing) {
            Show();
        }
    });
    connect(table, &TTable::FieldChanged, this, [this](const QString& changed) {
        if (!m_writing && changed.compare(m_field, Qt::CaseInsensitive) == 0) {
            Show();
        }
    });
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_table == nullptr || !m_table->IsOpen() || index < 0) {
            return;
        }
        m_writing = true;
        try {
            m_table->Edit();
            m_table->SetFieldFloat(m_field, itemData(index).toDouble());
        } catch (const TableError&) {
        }
        m_writing = false;
        Q_EMIT CodeChosen();
    });
    Show();
}

double TDBLookupComboBox::Code() const {
    if (m_table == nullptr || !m_table->IsOpen() || m_table->IsEmpty()) {
        return 0;
    }
    return Safely([this] { return m_table->FieldAsFloat(m_field); });
}

void TDBLookupComboBox::Show() {
    if (m_table == nullptr || !m_table->IsOpen() || m_table->IsEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    setCurrentIndex(findData(Code()));
}

void TDBLookupComboBox::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    Q_EMIT ListEntered();
}

void TDBLookupComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason) {
        Q_EMIT ListLeft();
    }
}

TDBNameGrid::TDBNameGrid(const QString& objectName, Feedback& feedback, QWidget* parent)
    : QTableWidget(parent), m_feedback(feedback) {
    setObjectName(objectName);
    setColumnCount(1);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnWidth(0, 150);
    horizontalHeader()->setStretchLastSection(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_updating && m_table != nullptr && row >= 0 && row != m_table->RecNo()) {
            try {
                m_table->MoveTo(row);
            } catch (const TableError& error) {
                m_feedback.ShowMessage(MessageKind::Error, Text(166), error.Message(), MessageButtons::Ok);
            }
        }
    });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_updating || m_table == nullptr) {
            return;
        }
        try {
            m_table->MoveTo(item->row());
            m_table->Edit();
            m_table->SetFieldText(QStringLiteral("Name"), item->text());
            m_table->Post();
        } catch (const TableError& error) {
            m_feedback.ShowMessage(MessageKind::Error, Text(166), error.Message(), MessageButtons::Ok);
        }
    });
}

void TDBNameGrid::Bind(TTable* table) {
    m_table = table;
    connect(table, &TTable::DataChanged, this, &TDBNameGrid::Show);
    connect(table, &TTable::FieldChanged, this, [this](const QString& field) {
        if (field.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
            Show();
        }
    });
    Show();
}

void TDBNameGrid::Show() {
    m_updating = true;
    const bool open = m_table != nullptr && m_table->IsOpen();
    const int count = open ? m_table->RecordCount() : 0;
    setRowCount(count);
    if (open && count > 0) {
        const int current = m_table->RecNo();
        // The names of every row, read without moving the table's cursor.
        const QStringList names = m_table->ColumnTexts(QStringLiteral("Name"));
        for (int row = 0; row < count; ++row) {
            QTableWidgetItem* cell = item(row, 0);
            if (cell == nullptr) {
                cell = new QTableWidgetItem;
                setItem(row, 0, cell);
            }
            cell->setText(names.value(row));
        }
        setCurrentCell(current, 0);
    }
    m_updating = false;
}

void TDBNameGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && m_table != nullptr && !m_table->IsEmpty() && state() != EditingState) {
        if (m_feedback.ShowMessage(MessageKind::Warning, Text(208), Text(156) + QStringLiteral("?"),
                                   MessageButtons::YesNo) == MessageAnswer::Yes) {
            m_table->Delete();
        }
        return;
    }
    QTableWidget::keyPressEvent(event);
}

TDBNavigator::TDBNavigator(const QString& objectName, Feedback& feedback, QWidget* parent)
    : QWidget(parent), m_feedback(feedback) {
    setObjectName(objectName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const struct {
        const char* name;
        const char* symbol;
        int hint;
        void (TTable::*action)();
    } buttons[] = {{"NavFirst", "|<", 151, &TTable::First},    {"NavPrior", "<", 152, &TTable::Prior},
                   {"NavNext", ">", 153, &TTable::Next},       {"NavLast", ">|", 154, &TTable::Last},
                   {"NavInsert", "+", 155, &TTable::Insert},   {"NavDelete", "-", 156, &TTable::Delete},
                   {"NavEdit", "^", 157, &TTable::Edit},       {"NavPost", "\u2713", 158, &TTable::Post},
                   {"NavCancel", "\u2717", 159, &TTable::Cancel}, {"NavRefresh", "\u21bb", 160, &TTable::Refresh}};
    for (const auto& b : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QString::fromUtf8(b.symbol));
        button->setToolTip(Text(b.hint));
        button->setAutoRaise(true);
        const auto action = b.action;
        const bool asks = action == &TTable::Delete;
        connect(button, &QToolButton::clicked, this, [this, action, asks] {
            if (m_table == nullptr || !m_table->IsOpen()) {
                return;
            }
            if (asks && m_feedback.ShowMessage(MessageKind::Warning, Text(208), Text(156) + QStringLiteral("?"),
                                               MessageButtons::YesNo) != MessageAnswer::Yes) {
                return;
            }
            try {
                (m_table->*action)();
            } catch (const TableError& error) {
                m_feedback.ShowMessage(MessageKind::Error, Text(166), error.Message(), MessageButtons::Ok);
            }
        });
        layout->addWidget(button);
        m_buttons.push_back(button);
    }
    layout->addStretch();
}

void TDBNavigator::Bind(TTable* table) {
    m_table = table;
    connect(table, &TTable::StateChanged, this, &TDBNavigator::UpdateButtons);
    connect(table, &TTable::DataChanged, this, &TDBNavigator::UpdateButtons);
    UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
    const bool open = m_table != nullptr && m_table->IsOpen();
    const bool editing = open && (m_table->GetState() == TTable::State::Edit || m_table->GetState() == TTable::State::Insert);
    const bool any = open && !m_table->IsEmpty();
    const bool enabled[] = {any, any, any, any, open, any, any && !editing, editing, editing, open};
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setEnabled(enabled[i]);
    }
}
