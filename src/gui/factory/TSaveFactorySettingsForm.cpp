#include "gui/factory/TSaveFactorySettingsForm.h"
#include "gui/app/SlotGuard.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace {
QString Lines(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
} // namespace

QString TSaveFactorySettingsForm::Text(int record) const {
    return m_configuration.Language().Text(record);
}

TSaveFactorySettingsForm::TSaveFactorySettingsForm(TConfiguration& configuration, Feedback& feedback, Clock& clock,
                                                   QWidget* parent)
    : QDialog(parent), m_configuration(configuration), m_feedback(feedback), m_access(configuration, feedback, clock) {
    setObjectName(QStringLiteral("SaveFactorySettingsForm"));
    setWindowTitle(Text(276));
    m_open = new QPushButton(Text(102), this);
    m_open->setObjectName(QStringLiteral("BtnOpenFile"));
    m_send = new QPushButton(Text(30), this);
    m_send->setObjectName(QStringLiteral("BtnSend"));
    m_send->setEnabled(false);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setTabStopDistance(m_memo->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    m_panel->setAutoFillBackground(true);
    m_panel->setFixedSize(28, 28);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_open);
    bottom->addWidget(m_send);
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_panel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_memo, 1);
    layout->addLayout(bottom);
    resize(760, 520);
    SetLamp(TFactoryLamp::Idle);

    ChooseFile = [this](const TFileRequest& request) {
        QFileDialog dialog(this, request.Title, request.Directory);
        dialog.setNameFilters(request.Filters);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("fact"));
        dialog.selectFile(request.ProposedName);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    GuardedConnect(m_open, &QPushButton::clicked, this, &TSaveFactorySettingsForm::BtnOpenFileClick);
    GuardedConnect(m_send, &QPushButton::clicked, this, &TSaveFactorySettingsForm::BtnSendClick);
}

void TSaveFactorySettingsForm::ShowFailed() {
    m_progress->setValue(0);
    m_open->setEnabled(true);
    SetLamp(TFactoryLamp::Red);
}

void TSaveFactorySettingsForm::SetLamp(TFactoryLamp lamp) {
    m_lamp = lamp;
    QPalette palette = m_panel->palette();
    const QColor colour = lamp == TFactoryLamp::Red     ? QColor(Qt::red)
                          : lamp == TFactoryLamp::Green ? QColor(Qt::green)
                                                        : palette.color(QPalette::Button);
    palette.setColor(QPalette::Window, colour);
    m_panel->setPalette(palette);
}

void TSaveFactorySettingsForm::ShowMemo(const QString& text) {
    m_memo->setPlainText(Lines(text));
}

void TSaveFactorySettingsForm::BtnOpenFileClick() {
    const bool done = Guarded(this, [this] {
        m_progress->setValue(0);
        SetLamp(TFactoryLamp::Idle);
        m_open->setEnabled(false);
        TFileRequest request;
        request.Title = QStringLiteral("Open file with factory settings...");
        request.Directory = m_configuration.GetWorkDirectory() + QStringLiteral("/FactorySets");
        request.ProposedName = m_lastFileName.isEmpty() ? QStringLiteral("*.fact") : m_lastFileName;
        request.Filters = {QStringLiteral("Factory Settings (*.fact)"), QStringLiteral("Any Files (*)")};
        request.FilterIndex = 1;
        const QString path = ChooseFile(request);
        m_lastFileName = path;
        if (!path.isEmpty()) {
            setWindowTitle(TFactorySender::WindowTitle(path, m_configuration.Language()));
            // Nothing old may be sent after a file that failed to load.
            m_send->setEnabled(false);
            const bool sendable = TFactorySender::LoadChecked(path, m_configuration.Language(), m_feedback, m_load);
            ShowMemo(m_load.Memo);
            m_send->setEnabled(sendable);
            if (sendable) {
                m_send->setFocus();
            }
        }
        m_open->setEnabled(true);
        m_progress->setValue(0);
    });
    if (!done) {
        ShowFailed();
    }
}

void TSaveFactorySettingsForm::BtnSendClick() {
    const bool done = Guarded(this, [this] {
        TFactorySender sender(m_access);
        sender.Progress = [this](int position) { m_progress->setValue(position); };
        sender.ShowMemo = [this](const QString& text) { ShowMemo(text); };
        sender.ButtonsEnabled = [this](bool enabled) {
            m_open->setEnabled(enabled);
            m_send->setEnabled(enabled);
        };
        SetLamp(TFactoryLamp::Idle);
        SetLamp(sender.Send(m_load, m_configuration.GetEepromWriteDelay()));
        ShowMemo(sender.Memo());
        m_open->setFocus();
    });
    if (!done) {
        ShowFailed();
    }
}

void TSaveFactorySettingsForm::FormClose() {
    m_progress->setValue(0);
    m_send->setEnabled(false);
    SetLamp(TFactoryLamp::Idle);
    m_memo->clear();
}

void TSaveFactorySettingsForm::done(int result) {
    FormClose();
    QDialog::done(result);
}
