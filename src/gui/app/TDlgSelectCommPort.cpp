#include "gui/app/TDlgSelectCommPort.h"
#include "gui/app/SlotGuard.h"

#include "gui/app/TitleFit.h"

#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TDlgSelectCommPort::TDlgSelectCommPort(const TLanguage& language, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgSelectCommPort"));
    setWindowTitle(language.Text(247));
    KeepCaptionWhole(this);
    m_label = new QLabel(language.Text(128), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBoxAvailableCommPorts"));
    m_label->setBuddy(m_list);
    m_ok = new QPushButton(language.Text(Record::ButtonOk), this);
    m_ok->setObjectName(QStringLiteral("BtnOK"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(language.Text(Record::ButtonCancel), this);
    m_cancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    GuardedConnect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    GuardedConnect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    GuardedConnect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_ok->isEnabled()) {
            accept();
        }
    });
}

void TDlgSelectCommPort::SetPorts(const QStringList& names) {
    m_list->clear();
    m_list->addItems(names);
}

std::optional<QString> TDlgSelectCommPort::SelectedPort() const {
    const QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr) {
        return std::nullopt;
    }
    return item->text();
}

void TDlgSelectCommPort::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_list->count() > 0) {
        m_ok->setEnabled(true);
        m_list->setCurrentRow(0);
        m_list->setFocus();
    }
}

void TDlgSelectCommPort::hideEvent(QHideEvent* event) {
    m_ok->setEnabled(false);
    QDialog::hideEvent(event);
}
