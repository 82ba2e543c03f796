#pragma once

#include "core/app/ControllerCommands.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Changes the controller's password: current, new and confirmed new password.
// Stays open until its entries are well-formed and the confirmation matches.
class TPasswordPelvorChangeForm : public QDialog {
    Q_OBJECT
public:
    TPasswordPelvorChangeForm(TConfiguration& configuration, Feedback& feedback, Clock& clock,
                              QWidget* parent = nullptr);

    TControllerAccess& Access() { return m_access; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString Text(int record) const;
    void FormCreate();
    void BtnOkClick();
    void SetControlsEnabled(bool enabled);

    TControllerAccess m_access;
    QLabel* m_labels[3];
    QLineEdit* m_entries[3];
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
