#pragma once

#include "core/app/ControllerCommands.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// Logs in to the controller's password: one masked entry, Send and Cancel.
class TPasswordPelvorForm : public QDialog {
    Q_OBJECT
public:
    TPasswordPelvorForm(TConfiguration& configuration, Feedback& feedback, Clock& clock, QWidget* parent = nullptr);

    // How the dialog reaches the controller; tests put the simulated one here.
    TControllerAccess& Access() { return m_access; }

private:
    QString Text(int record) const;
    void FormCreate();
    void BtnOkClick();
    void SetControlsEnabled(bool enabled);

    TControllerAccess m_access;
    QLineEdit* m_password;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
