#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/app/SlotGuard.h"

#include "core/access/TControllerPassword.h"
#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString TPasswordPelvorChangeForm::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

TPasswordPelvorChangeForm::TPasswordPelvorChangeForm(TConfiguration& configuration, Feedback& feedback, Clock& clock,
                                                     QWidget* parent)
    : QDialog(parent), m_access(configuration, feedback, clock) {
    setObjectName(QStringLiteral("PasswordPelvorChangeForm"));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        m_entries[i] = new QLineEdit(this);
        m_entries[i]->setObjectName(QStringLiteral("EditPassword%1").arg(i + 1));
        m_entries[i]->setEchoMode(QLineEdit::Password);
        m_entries[i]->setMinimumWidth(160);
        m_labels[i]->setBuddy(m_entries[i]);
        grid->addWidget(m_labels[i], i, 0);
        grid->addWidget(m_entries[i], i, 1);
    }
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
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    GuardedConnect(m_ok, &QPushButton::clicked, this, &TPasswordPelvorChangeForm::BtnOkClick);
    GuardedConnect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TPasswordPelvorChangeForm::FormCreate() {
    setWindowTitle(Text(Record::PasswordInput) + QStringLiteral(" (Pelvor)"));
    m_labels[0]->setText(Text(298));
    m_labels[1]->setText(Text(299));
    m_labels[2]->setText(Text(300));
    m_ok->setText(Text(30));
    m_cancel->setText(Text(Record::ButtonCancel));
    for (QLineEdit* entry : m_entries) {
        entry->clear();
    }
}

void TPasswordPelvorChangeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_entries[0]->setFocus();
}

void TPasswordPelvorChangeForm::SetControlsEnabled(bool enabled) {
    for (QLineEdit* entry : m_entries) {
        entry->setEnabled(enabled);
    }
    m_ok->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
}

void TPasswordPelvorChangeForm::BtnOkClick() {
    SetControlsEnabled(false);
    bool closes = false;
    TControllerPassword(m_access).Change(m_entries[0]->text(), m_entries[1]->text(), m_entries[2]->text(), closes);
    SetControlsEnabled(true);
    // A malformed or unconfirmed entry keeps the dialog open with what was typed.
    if (closes) {
        for (QLineEdit* entry : m_entries) {
            entry->clear();
        }
        m_entries[0]->setFocus();
        accept();
    }
}
