#include "gui/params/TExportImportForm.h"
#include "gui/app/SlotGuard.h"

#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TExportImportForm::TExportImportForm(const TLanguage& language, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExportImportForm"));
    setWindowTitle(language.Text(137));
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint); // closed by its buttons only
    auto* group = new QGroupBox(language.Text(138), this);
    group->setObjectName(QStringLiteral("GroupeToSelectType"));
    m_activeSet = new QRadioButton(language.Text(139), group);
    m_activeSet->setObjectName(QStringLiteral("ActiveSet"));
    m_allSets = new QRadioButton(language.Text(140), group);
    m_allSets->setObjectName(QStringLiteral("AllSets"));
    m_textFile = new QRadioButton(language.Text(210), group);
    m_textFile->setObjectName(QStringLiteral("RdBtnTextfile"));
    m_activeSet->setChecked(true);
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(m_activeSet);
    radios->addWidget(m_allSets);
    radios->addWidget(m_textFile);

    auto* ok = new QPushButton(language.Text(Record::ButtonOk), this);
    ok->setObjectName(QStringLiteral("BitBtnOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(language.Text(Record::ButtonCancel), this);
    cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    GuardedConnect(ok, &QPushButton::clicked, this, &TExportImportForm::BitBtnOkClick);
    GuardedConnect(cancel, &QPushButton::clicked, this, &TExportImportForm::BitBtnCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TExportImportForm::OfferTextFile(bool offer) {
    m_textFile->setVisible(offer);
    if (!offer && m_textFile->isChecked()) {
        // A hidden choice cannot stay the chosen one: nothing is chosen until the user picks.
        m_textFile->setAutoExclusive(false);
        m_textFile->setChecked(false);
        m_textFile->setAutoExclusive(true);
    }
}

void TExportImportForm::BitBtnOkClick() {
    m_choice = m_activeSet->isChecked()                             ? CurrentSet
               : m_allSets->isChecked()                             ? AllSets
               : m_textFile->isChecked() && m_textFile->isVisible() ? TextFile
                                                                    : Nothing;
    accept();
}

void TExportImportForm::BitBtnCancelClick() {
    m_choice = Cancelled;
    reject();
}

void TExportImportForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        BitBtnCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
