#pragma once

#include "core/app/TServiceLogbook.h"

#include <QDialog>

#include <functional>

class Feedback;
class QComboBox;
class QTableWidget;
class TConfiguration;

// The service logbook: every entry, newest first, narrowed to one serial number if chosen,
// and exported as CSV.
class TFormLogbook : public QDialog {
    Q_OBJECT
public:
    TFormLogbook(TConfiguration& configuration, Feedback& feedback, QWidget* parent = nullptr);

    // Reads the logbook again; the serial number chosen stays chosen while the logbook has it.
    void Refresh();
    // The file to export into; empty when cancelled. Replaceable so the window runs without a person.
    std::function<QString()> ChooseCsvFile;
    void BtnExportCsvClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowEntries();
    QString Text(int record) const;

    TConfiguration& m_configuration;
    Feedback& m_feedback;
    std::vector<TLogbookEntry> m_entries; // shown now
    QComboBox* m_serial = nullptr;
    QTableWidget* m_grid = nullptr;
};
