#pragma once

#include "core/params/TSetCompare.h"

#include <QDialog>

#include <set>

class QLabel;
class QPushButton;
class QTableWidget;
class TLanguage;

// The differences between the window's set and the controller: one row per parameter with a
// tick box (all ticked), the controller's value beside the set's, and the parameters the
// controller's version lacks listed apart. "Write ticked" accepts with the ticked rows.
class TCompareDialog : public QDialog {
    Q_OBJECT
public:
    TCompareDialog(const TSetComparison& comparison, const TLanguage& language, const QString& title,
                   QWidget* parent = nullptr);

    // The fields whose rows are ticked now.
    std::set<QString> Ticked() const;

private:
    void UpdateWriteButton();

    std::vector<QString> m_fields; // by row
    QTableWidget* m_grid = nullptr;
    QPushButton* m_write = nullptr;
};
