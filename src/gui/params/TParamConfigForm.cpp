#include "gui/params/TParamConfigForm.h"
#include "gui/app/SlotGuard.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TMetadataGridModel.h"
#include "core/params/TParameterDatabase.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The grid's colours: the row's identity columns in light yellow.
class TMetadataGridColours : public TMetadataGridModel {
public:
    using TMetadataGridModel::TMetadataGridModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::BackgroundRole && index.isValid() && IsReadOnly(index.column())) {
            return QBrush(QColor(255, 255, 128));
        }
        return TMetadataGridModel::data(index, role);
    }
};

// A refused text stays in its cell's editor so the user can put it right.
class TRefusalKeepingDelegate : public QStyledItemDelegate {
public:
    explicit TRefusalKeepingDelegate(QTableView* view) : QStyledItemDelegate(view), m_view(view) {}

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line != nullptr && m_refused.isValid() && m_refused == index) {
            line->setText(m_refusedText);
            m_refused = QPersistentModelIndex();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        const QString text = line != nullptr ? line->text() : QString();
        if (line == nullptr || model->setData(index, text, Qt::EditRole)) {
            return;
        }
        m_refused = QPersistentModelIndex(index);
        m_refusedText = text;
        QPointer<QTableView> view = m_view;
        const QPersistentModelIndex again(index);
        QTimer::singleShot(0, view, [view, again] {
            if (view && again.isValid()) {
                view->setCurrentIndex(again);
                view->edit(again);
            }
        });
    }

private:
    QTableView* m_view;
    mutable QPersistentModelIndex m_refused;
    mutable QString m_refusedText;
};

} // namespace

TParamConfigForm::TParamConfigForm(TParameterDatabase& database, Feedback& ui, QWidget* parent)
    : QDialog(parent), m_database(database), m_ui(ui) {
    setObjectName(QStringLiteral("ParamConfigForm"));
    setWindowTitle(QStringLiteral("Parameter ")); // fixed, never translated
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setItemDelegate(new TRefusalKeepingDelegate(m_grid));
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->verticalHeader()->setVisible(true); // the row indicator
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    resize(760, 520);
}

TParamConfigForm::~TParamConfigForm() = default;

void TParamConfigForm::SetUpColumns() {
    if (m_model) {
        m_model->DropPendingRow(); // a row left unnamed at the last closing
    }
    if (!m_model) {
        // Without the database the grid stays empty.
        if (!Guarded(this, [this] { m_model = std::make_unique<TMetadataGridColours>(m_database, m_ui); })) {
            return;
        }
        m_grid->setModel(m_model.get());
        // A new row left without a name is given up: the table never holds a row without one.
        GuardedConnect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                       [this](const QModelIndex& current, const QModelIndex& previous) {
                           if (m_model->HasPendingRow() && previous.isValid() &&
                               previous.row() == m_model->rowCount() - 1 && current.row() != previous.row()) {
                               QTimer::singleShot(0, this, [this] { m_model->DropPendingRow(); });
                           }
                       });
    }
    m_grid->setColumnWidth(TMetadataGridModel::ControllerType, 35);
    m_grid->setColumnWidth(TMetadataGridModel::FieldName, 120);
    for (int column = TMetadataGridModel::EpromAddress; column < TMetadataGridModel::ColumnCount; ++column) {
        m_grid->setColumnWidth(column, m_grid->horizontalHeader()->defaultSectionSize());
    }
}

bool TParamConfigForm::eventFilter(QObject* watched, QEvent* event) {
    // Keys typed into a cell's editor go to the editor, not here.
    if (watched != m_grid || event->type() != QEvent::KeyPress || !m_model) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QModelIndex current = m_grid->currentIndex();
    const bool belowLast = key->key() == Qt::Key_Down && current.isValid() && current.row() == m_model->rowCount() - 1;
    if (key->key() == Qt::Key_Insert || belowLast) {
        if (m_model->AppendRow()) {
            // A new row sorts to the end of its family.
            const int row = m_model->rowCount() - 1;
            m_grid->setCurrentIndex(m_model->index(row, TMetadataGridModel::FieldName));
        }
        return true;
    }
    if (key->key() == Qt::Key_Delete && current.isValid()) {
        m_model->DeleteRow(current.row());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
