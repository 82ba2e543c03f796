#include "gui/service/TFormLogbook.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "gui/app/SlotGuard.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

TFormLogbook::TFormLogbook(TConfiguration& configuration, Feedback& feedback, QWidget* parent)
    : QDialog(parent), m_configuration(configuration), m_feedback(feedback) {
    setObjectName(QStringLiteral("FormLogbook"));
    setWindowTitle(Text(Record::Logbook));
    m_serial = new QComboBox(this);
    m_serial->setObjectName(QStringLiteral("ComboBoxSerial"));
    m_grid = new QTableWidget(0, 8, this);
    m_grid->setObjectName(QStringLiteral("GridLogbook"));
    m_grid->setHorizontalHeaderLabels({Text(Record::ColumnTime), Text(Record::ColumnType), Text(Record::ColumnSerial),
                                       Text(Record::ColumnAction), Text(Record::ColumnParameter),
                                       Text(Record::ColumnBefore), Text(Record::ColumnAfter),
                                       Text(Record::ColumnOutcome)});
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    auto* exportCsv = new QPushButton(Text(Record::ExportCsv), this);
    exportCsv->setObjectName(QStringLiteral("BtnExportCsv"));
    exportCsv->setAutoDefault(false);
    auto* close = new QPushButton(Text(33), this);
    close->setObjectName(QStringLiteral("BtnClose"));
    close->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(Text(Record::ColumnSerial) + QLatin1Char(':'), this));
    top->addWidget(m_serial, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(exportCsv);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);

    GuardedConnect(m_serial, &QComboBox::currentIndexChanged, this, [this] { ShowEntries(); });
    GuardedConnect(exportCsv, &QPushButton::clicked, this, &TFormLogbook::BtnExportCsvClick);
    GuardedConnect(close, &QPushButton::clicked, this, &QDialog::close);
    ChooseCsvFile = [this] {
        return QFileDialog::getSaveFileName(this, Text(Record::ExportCsv),
                                            m_configuration.GetWorkDirectory() + QStringLiteral("/logbook.csv"),
                                            QStringLiteral("CSV (*.csv)"));
    };
    resize(900, 480);
}

QString TFormLogbook::Text(int record) const {
    return m_configuration.Language().Text(record);
}

void TFormLogbook::showEvent(QShowEvent* event) {
    Guarded(this, [this] { Refresh(); });
    QDialog::showEvent(event);
}

void TFormLogbook::Refresh() {
    const QString chosen = m_serial->currentData().toString();
    std::vector<TLogbookEntry> all;
    try {
        all = TServiceLogbook(m_configuration.GetDatabaseDirectory()).Entries();
    } catch (const LogbookError& error) {
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error), error.Message(), MessageButtons::Ok);
    }
    std::set<QString> serials;
    for (const TLogbookEntry& entry : all) {
        if (!entry.SerialNumber.isEmpty()) {
            serials.insert(entry.SerialNumber);
        }
    }
    const QSignalBlocker quiet(m_serial);
    m_serial->clear();
    m_serial->addItem(Text(Record::AllSerials), QString());
    for (const QString& serial : serials) {
        m_serial->addItem(serial, serial);
    }
    m_serial->setCurrentIndex(std::max(0, m_serial->findData(chosen)));
    m_entries = std::move(all);
    ShowEntries();
}

void TFormLogbook::ShowEntries() {
    const QString serial = m_serial->currentData().toString();
    std::vector<TLogbookEntry> shown;
    for (const TLogbookEntry& entry : m_entries) {
        if (serial.isEmpty() || entry.SerialNumber == serial) {
            shown.push_back(entry);
        }
    }
    const std::vector<QStringList> rows = TServiceLogbook::Rows(shown);
    m_grid->setRowCount(static_cast<int>(rows.size()));
    const TLanguage& language = m_configuration.Language();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        QStringList cells = rows[static_cast<std::size_t>(row)];
        cells[3] = TServiceLogbook::Shown(cells[3], language);
        cells[7] = TServiceLogbook::Shown(cells[7], language);
        for (int column = 0; column < cells.size(); ++column) {
            m_grid->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    m_grid->resizeColumnsToContents();
}

void TFormLogbook::BtnExportCsvClick() {
    const QString path = ChooseCsvFile ? ChooseCsvFile() : QString();
    if (path.isEmpty()) {
        return;
    }
    const QString serial = m_serial->currentData().toString();
    std::vector<TLogbookEntry> shown;
    for (const TLogbookEntry& entry : m_entries) {
        if (serial.isEmpty() || entry.SerialNumber == serial) {
            shown.push_back(entry);
        }
    }
    QString reason;
    if (!TServiceLogbook(m_configuration.GetDatabaseDirectory()).SaveCsv(path, shown, reason)) {
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error),
                               Text(Record::WriteFileError) + path + QStringLiteral("\r") + reason, MessageButtons::Ok);
    }
}
