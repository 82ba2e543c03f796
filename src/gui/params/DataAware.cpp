#include "gui/params/DataAware.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TTable.h"
#include "gui/app/SlotGuard.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>

namespace {
// A control that reports nothing when the table cannot give a value: it shows empty.
template <typename F> auto Safely(F read) -> decltype(read()) {
    try {
        return read();
    } catch (const TableError&) {
        return {};
    }
}
} // namespace

void TFieldLink::Bind(QObject* owner, TTable* table, const QString& field, std::function<void()> show) {
    QObject::disconnect(m_record);
    QObject::disconnect(m_value);
    m_owner = owner;
    m_table = table;
    m_field = field;
    m_record = GuardedConnect(table, &TTable::DataChanged, owner, [this, show] {
        if (!m_writing) {
            show();
        }
    });
    m_value = GuardedConnect(table, &TTable::FieldChanged, owner, [this, show](const QString& changed) {
        if (!m_writing && changed.compare(m_field, Qt::CaseInsensitive) == 0) {
            show();
        }
    });
    show();
}

bool TFieldLink::IsOpen() const {
    return m_table != nullptr && m_table->IsOpen();
}

bool TFieldLink::HasRecord() const {
    return IsOpen() && !m_table->IsEmpty();
}

void TFieldLink::Write(const std::function<void(TTable&)>& write) {
    if (!IsOpen()) {
        return;
    }
    m_writing = true;
    Guarded(m_owner, [&] {
        m_table->Edit();
        write(*m_table);
    });
    m_writing = false;
}

TDBEdit::TDBEdit(const QString& objectName, QWidget* parent) : QLineEdit(parent) {
    setObjectName(objectName);
    // The first typed character puts the record into edit state, so Save and Cancel are
    // there for it at once.
    GuardedConnect(this, &QLineEdit::textEdited, this, [this] {
        if (m_link.HasRecord()) {
            m_link.Write([](TTable&) {});
        }
    });
}

void TDBEdit::Bind(TTable* table, const QString& field) {
    m_link.Bind(this, table, field, [this] { Show(); });
}

QString TDBEdit::Format(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 12);
}

bool TDBEdit::Parse(const QString& text, double& value) {
    QString normal = text.trimmed();
    if (normal.contains(QLatin1Char(',')) && normal.contains(QLatin1Char('.'))) {
        return false; // a thousands separator and a decimal point: which is which cannot be told
    }
    normal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = QLocale::c().toDouble(normal, &ok);
    return ok;
}

void TDBEdit::Show() {
    if (!m_link.HasRecord()) {
        setText(QString());
        return;
    }
    TTable& table = *m_link.Table();
    const bool empty = Safely([&] { return table.FieldIsNull(Field()); });
    setText(empty ? QString() : Format(Safely([&] { return table.FieldAsFloat(Field()); })));
}

bool TDBEdit::Store() {
    if (!m_link.IsOpen() || !isModified()) {
        return true;
    }
    double value = 0;
    const bool number = Parse(text(), value);
    if (!number && !text().trimmed().isEmpty()) {
        const QString typed = text();
        Show();
        setModified(false);
        Q_EMIT ValueRefused(typed);
        return false;
    }
    m_link.Write([&](TTable& table) {
        if (number) {
            table.SetFieldFloat(Field(), value);
        } else {
            table.SetFieldNull(Field());
        }
    });
    setModified(false);
    return true;
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
    // Only a field the user changed is checked: leaving an untouched one, or losing the
    // focus to the message box of a check, must not check (and clamp) it again.
    const bool changed = isModified();
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && Store() && changed) {
        Q_EMIT ValueEntered(false);
    }
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (Store()) {
            Q_EMIT ValueEntered(true);
        }
        return;
    }
    QLineEdit::keyPressEvent(event);
}

TDBMemo::TDBMemo(const QString& objectName, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(objectName);
}

void TDBMemo::Bind(TTable* table, const QString& field) {
    m_link.Bind(this, table, field, [this] { Show(); });
}

void TDBMemo::Show() {
    // The memos keep the controller's CR line ends; shown, they are line breaks.
    QString text =
        m_link.HasRecord() ? Safely([this] { return m_link.Table()->FieldAsText(m_link.Field()); }) : QString();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (toPlainText() != text) {
        setPlainText(text);
    }
    document()->setModified(false);
}

void TDBMemo::Store() {
    if (!m_link.IsOpen() || !document()->isModified()) {
        return;
    }
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    m_link.Write([&](TTable& table) { table.SetFieldText(m_link.Field(), text); });
    document()->setModified(false);
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    Store();
}

TDBLookupComboBox::TDBLookupComboBox(const QString& objectName, QWidget* parent) : QComboBox(parent) {
    setObjectName(objectName);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    GuardedConnect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_link.IsOpen() || index < 0) {
            return;
        }
        m_link.Write([&](TTable& table) { table.SetFieldFloat(m_link.Field(), itemData(index).toDouble()); });
        Q_EMIT CodeChosen();
    });
}

void TDBLookupComboBox::Bind(TTable* table, const QString& field, TTable* lookup) {
    clear();
    if (lookup != nullptr && lookup->IsOpen()) {
        // A list table that fails half-way offers what it gave so far.
        Guarded(this, [this, lookup] {
            for (lookup->First(); !lookup->Eof(); lookup->Next()) {
                addItem(lookup->FieldAsText(QStringLiteral("Text")), lookup->FieldAsFloat(QStringLiteral("Code")));
            }
        });
    }
    m_link.Bind(this, table, field, [this] { Show(); });
}

double TDBLookupComboBox::Code() const {
    if (!m_link.HasRecord()) {
        return 0;
    }
    return Safely([this] { return m_link.Table()->FieldAsFloat(m_link.Field()); });
}

void TDBLookupComboBox::Show() {
    setCurrentIndex(m_link.HasRecord() ? findData(Code()) : -1);
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

TDBNameGrid::TDBNameGrid(const QString& objectName, const TLanguage& language, Feedback& feedback, QWidget* parent)
    : QTableWidget(parent), m_language(language), m_feedback(feedback) {
    setObjectName(objectName);
    setColumnCount(1);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnWidth(0, 150);
    horizontalHeader()->setStretchLastSection(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab moves the focus on, as in every other field: walking the list with it would make
    // another lift's set the current one, and the next Send would write that set.
    setTabKeyNavigation(false);
    GuardedConnect(this, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_updating && m_table != nullptr && row >= 0 && row != m_table->RecNo()) {
            m_table->MoveTo(row);
        }
    });
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    GuardedConnect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_updating || m_table == nullptr) {
            return;
        }
        // Read the new name before moving the table: the move shows the stored names again.
        const QString name = item->text();
        const int row = item->row();
        m_table->MoveTo(row);
        m_table->Edit();
        m_table->SetFieldText(QStringLiteral("Name"), name);
        m_table->Post();
    });
}

void TDBNameGrid::Bind(TTable* table) {
    m_table = table;
    GuardedConnect(table, &TTable::DataChanged, this, &TDBNameGrid::Show);
    GuardedConnect(table, &TTable::FieldChanged, this, [this](const QString& field) {
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

void TDBNameGrid::EditCurrentName() {
    if (QTableWidgetItem* cell = currentItem()) {
        setFocus();
        editItem(cell); // the line editor opens with its whole text selected
    }
}

void TDBNameGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && m_table != nullptr && !m_table->IsEmpty() && state() != EditingState) {
        if (m_feedback.ShowMessage(MessageKind::Warning, m_language.Text(Record::Warning),
                                   m_language.Text(156) + QStringLiteral("?"),
                                   MessageButtons::YesNo) == MessageAnswer::Yes) {
            Guarded(this, [this] { m_table->Delete(); });
        }
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TDBNameGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    if (!next && hint != QAbstractItemDelegate::EditPreviousItem) {
        QTableWidget::closeEditor(editor, hint);
        return;
    }
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
    focusNextPrevChild(next);
}

TDBNavigator::TDBNavigator(const QString& objectName, const TLanguage& language, Feedback& feedback, QWidget* parent)
    : QWidget(parent), m_language(language), m_feedback(feedback) {
    setObjectName(objectName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const struct {
        const char* name;
        const char* symbol;
        int hint;
        void (TTable::*action)();
    } buttons[] = {{"NavFirst", "|<", 151, &TTable::First},       {"NavPrior", "<", 152, &TTable::Prior},
                   {"NavNext", ">", 153, &TTable::Next},          {"NavLast", ">|", 154, &TTable::Last},
                   {"NavInsert", "+", 155, &TTable::Insert},      {"NavDelete", "-", 156, &TTable::Delete},
                   {"NavEdit", "^", 157, &TTable::Edit},          {"NavPost", "\u2713", 158, &TTable::Post},
                   {"NavCancel", "\u2717", 159, &TTable::Cancel}, {"NavRefresh", "\u21bb", 160, &TTable::Refresh}};
    for (const auto& b : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QString::fromUtf8(b.symbol));
        button->setToolTip(m_language.Text(b.hint));
        button->setAutoRaise(true);
        const auto action = b.action;
        const bool asks = action == &TTable::Delete;
        GuardedConnect(button, &QToolButton::clicked, this, [this, action, asks] {
            if (m_table == nullptr || !m_table->IsOpen()) {
                return;
            }
            if (BeforeAction) {
                BeforeAction();
            }
            if (asks && m_feedback.ShowMessage(MessageKind::Warning, m_language.Text(Record::Warning),
                                               m_language.Text(156) + QStringLiteral("?"),
                                               MessageButtons::YesNo) != MessageAnswer::Yes) {
                return;
            }
            (m_table->*action)();
        });
        layout->addWidget(button);
        m_buttons.push_back(button);
    }
    layout->addStretch();
}

void TDBNavigator::Bind(TTable* table) {
    m_table = table;
    GuardedConnect(table, &TTable::StateChanged, this, &TDBNavigator::UpdateButtons);
    GuardedConnect(table, &TTable::DataChanged, this, &TDBNavigator::UpdateButtons);
    UpdateButtons();
}

void TDBNavigator::UpdateButtons() {
    const bool open = m_table != nullptr && m_table->IsOpen();
    const bool editing =
        open && (m_table->GetState() == TTable::State::Edit || m_table->GetState() == TTable::State::Insert);
    const bool any = open && !m_table->IsEmpty();
    const bool enabled[] = {any, any, any, any, open, any, any && !editing, editing, editing, open};
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setEnabled(enabled[i]);
    }
}
