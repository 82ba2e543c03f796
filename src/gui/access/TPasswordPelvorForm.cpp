#include "gui/access/TPasswordPelvorForm.h"
#include "gui/app/SlotGuard.h"

#include "core/access/TControllerPassword.h"
#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString TPasswordPelvorForm::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

TPasswordPelvorForm::TPasswordPelvorForm(TConfiguration& configuration, Feedback& feedback, Clock& clock,
                                         QWidget* parent)
    : QDialog(parent), m_access(configuration, feedback, clock) {
    setObjectName(QStringLiteral("PasswordPelvorForm"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("EditPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMinimumWidth(240);
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("BtnOk"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_password);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    GuardedConnect(m_ok, &QPushButton::clicked, this, &TPasswordPelvorForm::BtnOkClick);
    GuardedConnect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TPasswordPelvorForm::FormCreate() {
    setWindowTitle(Text(Record::PasswordInput) + QStringLiteral(" (Pelvor)"));
    m_ok->setText(Text(30));
    m_cancel->setText(Text(Record::ButtonCancel));
    m_password->clear();
}

void TPasswordPelvorForm::SetControlsEnabled(bool enabled) {
    m_password->setEnabled(enabled);
    m_ok->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
}

void TPasswordPelvorForm::BtnOkClick() {
    SetControlsEnabled(false);
    TControllerPassword(m_access).Login(m_password->text());
    SetControlsEnabled(true);
    m_password->clear();
    m_password->setFocus();
    accept(); // whatever the controller said
}
