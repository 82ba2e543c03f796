#include "gui/params/TCompareDialog.h"

#include "core/base/Language.h"
#include "core/base/Records.h"
#include "gui/app/SlotGuard.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { ColumnParameter, ColumnController, ColumnSet, ColumnUnit, ColumnCount };

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment);
    return item;
}

} // namespace

TCompareDialog::TCompareDialog(const TSetComparison& comparison, const TLanguage& language, const QString& title,
                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormCompare"));
    setWindowTitle(title + QStringLiteral(": ") + language.Text(Record::Differences));

    m_grid = new QTableWidget(static_cast<int>(comparison.Differences.size()), ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("GridDifferences"));
    m_grid->setHorizontalHeaderLabels({language.Text(Record::ColumnParameter), language.Text(Record::ColumnController),
                                       language.Text(Record::ColumnSet), language.Text(Record::ColumnUnit)});
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    int row = 0;
    for (const TParameterDifference& difference : comparison.Differences) {
        auto* parameter = Cell(difference.Caption + QStringLiteral(" (") + difference.Field + QLatin1Char(')'));
        parameter->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        parameter->setCheckState(Qt::Checked);
        m_grid->setItem(row, ColumnParameter, parameter);
        auto* theirs = Cell(TParameterDifference::ValueText(difference.Theirs), right);
        // A value the set's range allows is no alarm: only the others stand out.
        if (difference.TheirsInRange) {
            theirs->setForeground(grey);
        }
        m_grid->setItem(row, ColumnController, theirs);
        m_grid->setItem(row, ColumnSet, Cell(TParameterDifference::ValueText(difference.Ours), right));
        m_grid->setItem(row, ColumnUnit, Cell(difference.Unit));
        m_fields.push_back(difference.Field);
        ++row;
    }
    m_grid->resizeColumnsToContents();
    m_grid->horizontalHeader()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    if (!comparison.NotOnController.empty()) {
        QStringList names;
        for (const TParameterDifference& missing : comparison.NotOnController) {
            names << missing.Caption;
        }
        auto* apart = new QLabel(
            language.Text(Record::NotOnThisController) + QStringLiteral(": ") + names.join(QStringLiteral(", ")), this);
        apart->setObjectName(QStringLiteral("LabelNotOnController"));
        apart->setWordWrap(true);
        layout->addWidget(apart);
    }
    m_write = new QPushButton(language.Text(Record::WriteTicked), this);
    m_write->setObjectName(QStringLiteral("BtnWriteTicked"));
    auto* cancel = new QPushButton(language.Text(Record::ButtonCancel), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_write);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    GuardedConnect(m_write, &QPushButton::clicked, this, &QDialog::accept);
    GuardedConnect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    GuardedConnect(m_grid, &QTableWidget::itemChanged, this, [this] { UpdateWriteButton(); });
    resize(640, 420);
}

std::set<QString> TCompareDialog::Ticked() const {
    std::set<QString> fields;
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        if (m_grid->item(row, ColumnParameter)->checkState() == Qt::Checked) {
            fields.insert(m_fields[static_cast<std::size_t>(row)]);
        }
    }
    return fields;
}

void TCompareDialog::UpdateWriteButton() {
    m_write->setEnabled(!Ticked().empty()); // nothing ticked: nothing to write
}
