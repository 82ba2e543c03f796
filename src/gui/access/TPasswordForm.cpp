#include "gui/access/TPasswordForm.h"
#include "gui/app/SlotGuard.h"

#include "gui/app/TitleFit.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/base/TLogger.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPasswordForm::TPasswordForm(const TLanguage& language, Feedback& feedback, TLogger& logger,
                             MenuStateSink applyMenuState, QWidget* parent)
    : QDialog(parent), m_language(language), m_feedback(feedback), m_logger(logger),
      m_applyMenuState(std::move(applyMenuState)) {
    setObjectName(QStringLiteral("PasswordForm"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMinimumWidth(220);
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("FormPasswordBtOk"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("FormPasswordBtCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_password);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    GuardedConnect(m_ok, &QPushButton::clicked, this, &TPasswordForm::FormPasswordBtOkClick);
    GuardedConnect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TPasswordForm::FormCreate() {
    m_level.Activate(); // opening the dialog already logs out
    m_password->clear();
    setWindowTitle(m_language.Text(Record::PasswordInput) + QStringLiteral(" (WinTorvex32)"));
    KeepCaptionWhole(this);
    m_ok->setText(m_language.Text(Record::ButtonOk));
    m_cancel->setText(m_language.Text(Record::ButtonCancel));
}

void TPasswordForm::showEvent(QShowEvent* event) {
    FormCreate();
    m_password->setFocus();
    QDialog::showEvent(event);
}

void TPasswordForm::FormPasswordBtOkClick() {
    const TPasswordLevel::Outcome outcome = m_level.Enter(m_password->text(), m_language);
    m_applyMenuState(outcome.Menu);
    if (!m_logger.Log(outcome.LogText, outcome.LogLevel)) {
        m_feedback.ShowMessage(MessageKind::Error, m_language.Text(Record::Error), m_logger.ErrorString(),
                               MessageButtons::Ok);
    }
    m_feedback.ShowMessage(MessageKind::Plain, QApplication::applicationName(), outcome.Message, MessageButtons::Ok);
    accept();
}
