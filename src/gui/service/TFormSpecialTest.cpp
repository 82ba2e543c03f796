#include "gui/service/TFormSpecialTest.h"
#include "gui/app/SlotGuard.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/TLogger.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kRecordSend = 30;
constexpr int kRecordChange = 184;
constexpr int kRecordConnectionFailed = 186;
constexpr int kRecordNotConnected = 187;
constexpr int kRecordSendUnchecked = 225;
constexpr int kRecordTitle = 229;

template <typename T> T* Named(QWidget* parent, const char* name, const QString& caption = {}) {
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    if constexpr (std::is_base_of_v<QAbstractButton, T>) {
        widget->setText(caption);
    }
    return widget;
}
} // namespace

QString TFormSpecialTest::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

TFormSpecialTest::TFormSpecialTest(TConfiguration& configuration, Feedback& feedback, Clock& clock, TLogger& logger,
                                   QWidget* parent)
    : QDialog(parent), m_access(configuration, feedback, clock), m_logger(logger), m_test(m_access) {
    setObjectName(QStringLiteral("FormSpecialTest"));
    setWindowTitle(Text(kRecordTitle));
    BuildControls();
    // FormCreate: disconnected, and the log's level as it is now.
    EnterDisconnectedState();
    m_traceLevel->setText(QString::number(m_logger.GetTraceLevel()));
}

void TFormSpecialTest::BuildControls() {
    m_connect = Named<QPushButton>(this, "BitBtnConnect", QStringLiteral("Connect"));
    m_disconnect = Named<QPushButton>(this, "BitBtnDisconnect", QStringLiteral("Disconnect"));
    m_ledUp = Named<QCheckBox>(this, "CheckBoxLedUp", QStringLiteral("Up LED"));
    m_ledRun = Named<QCheckBox>(this, "CheckBoxLedRun", QStringLiteral("Run LED"));
    m_ledDown = Named<QCheckBox>(this, "CheckBoxLedDown", QStringLiteral("Down LED"));
    m_ledError = Named<QCheckBox>(this, "CheckBoxLedError", QStringLiteral("Error LED"));
    m_ledSiu1 = Named<QCheckBox>(this, "CheckBoxLedSIU1", QStringLiteral("SIU1 LED"));
    m_relay = Named<QCheckBox>(this, "CheckBoxRelay", QStringLiteral("Relay"));
    m_miniTerminal = Named<QGroupBox>(this, "GroupBoxMiniTerminal");
    m_miniTerminal->setTitle(QStringLiteral("Mini-Terminal"));
    m_segmentsOn = Named<QRadioButton>(m_miniTerminal, "RadioButtonAllSegOn", QStringLiteral("All segments on"));
    m_segmentsOff = Named<QRadioButton>(m_miniTerminal, "RadioButtonAllSegOff", QStringLiteral("All segments off"));
    m_getValveType = Named<QPushButton>(this, "ButtonGetValveType", QStringLiteral("GetValveType"));
    m_valveType = Named<QLineEdit>(this, "EditValveType");
    m_getControllerType = Named<QPushButton>(this, "ButtonGetControllerType", QStringLiteral("GetControllerType"));
    m_controllerType = Named<QLineEdit>(this, "EditControllerType");
    m_actualValue = Named<QPushButton>(this, "ButtonActualValue", QStringLiteral("Actual Value"));
    m_actualValueShown = Named<QLineEdit>(this, "EditActualValue");
    m_getParameter = Named<QPushButton>(this, "ButtonGetParameter", QStringLiteral("Get Parameter   Nr."));
    m_paramNr = Named<QLineEdit>(this, "EditParamNr");
    m_paramName = Named<QLineEdit>(this, "EditParamName");
    m_paramValue = Named<QLineEdit>(this, "EditParamValue");
    m_paramUnit = Named<QLineEdit>(this, "EditParamUnit");
    m_first = Named<QPushButton>(this, "BitBtnFirst", QStringLiteral("|\u25C0"));
    m_prev = Named<QPushButton>(this, "BitBtnPrev", QStringLiteral("\u25C0"));
    m_next = Named<QPushButton>(this, "BitBtnNext", QStringLiteral("\u25B6"));
    m_last = Named<QPushButton>(this, "BitBtnLast", QStringLiteral("\u25B6|"));
    m_change = Named<QPushButton>(this, "ButtonChange");
    m_progress = Named<QProgressBar>(this, "ProgressBarSpecialTest");
    m_progress->setRange(0, 100);
    m_traceLevel = Named<QLineEdit>(this, "EditTraceLevel");
    m_traceLevel->setMaximumWidth(60);
    for (QLineEdit* shown : {m_valveType, m_controllerType, m_actualValueShown, m_paramName, m_paramUnit}) {
        shown->setReadOnly(true);
    }
    m_paramNr->setMaximumWidth(80);
    m_paramValue->setMaximumWidth(110);
    m_paramUnit->setMaximumWidth(80);

    auto* segments = new QVBoxLayout(m_miniTerminal);
    segments->addWidget(m_segmentsOn);
    segments->addWidget(m_segmentsOff);

    auto* left = new QVBoxLayout;
    left->addWidget(m_connect);
    left->addWidget(m_disconnect);
    left->addSpacing(8);
    for (QCheckBox* box : {m_ledUp, m_ledRun, m_ledDown, m_ledError, m_ledSiu1, m_relay}) {
        left->addWidget(box);
    }
    left->addWidget(m_miniTerminal);
    left->addStretch();

    auto* right = new QGridLayout;
    int row = 0;
    for (auto [button, shown] :
         {std::pair{m_getValveType, m_valveType}, std::pair{m_getControllerType, m_controllerType},
          std::pair{m_actualValue, m_actualValueShown}}) {
        right->addWidget(button, row, 0);
        right->addWidget(shown, row++, 1, 1, 3);
    }
    right->addWidget(m_getParameter, row, 0);
    right->addWidget(m_paramNr, row++, 1);
    right->addWidget(m_paramName, row++, 0, 1, 4);
    right->addWidget(m_paramValue, row, 0);
    right->addWidget(m_paramUnit, row++, 1);
    auto* browse = new QHBoxLayout;
    for (QPushButton* button : {m_first, m_prev, m_next, m_last}) {
        button->setMaximumWidth(44);
        browse->addWidget(button);
    }
    browse->addStretch();
    browse->addWidget(m_change);
    right->addLayout(browse, row++, 0, 1, 4);
    right->addWidget(m_progress, row++, 0, 1, 4);
    auto* trace = new QHBoxLayout;
    trace->addWidget(new QLabel(QStringLiteral("TraceLevel"), this));
    trace->addWidget(m_traceLevel);
    trace->addStretch();
    right->addLayout(trace, row++, 0, 1, 4);
    right->setRowStretch(row, 1);
    right->setColumnStretch(3, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addSpacing(12);
    layout->addLayout(right, 1);
    setMinimumWidth(620);

    GuardedConnect(m_connect, &QPushButton::clicked, this, &TFormSpecialTest::BitBtnConnectClick);
    GuardedConnect(m_disconnect, &QPushButton::clicked, this, &TFormSpecialTest::BitBtnDisconnectClick);
    // clicked, not toggled: boxes cleared by the program send nothing.
    const std::pair<QCheckBox*, TSpecialTest::Output> switches[] = {
        {m_ledUp, TSpecialTest::Output::Up},     {m_ledRun, TSpecialTest::Output::Run},
        {m_ledDown, TSpecialTest::Output::Down}, {m_ledError, TSpecialTest::Output::Error},
        {m_ledSiu1, TSpecialTest::Output::Siu1}, {m_relay, TSpecialTest::Output::Relay}};
    for (const auto& [box, output] : switches) {
        GuardedConnect(box, &QCheckBox::clicked, this,
                       [this, box = box, output = output] { SwitchClick(box, output); });
    }
    GuardedConnect(m_segmentsOn, &QRadioButton::clicked, this, [this] { AfterCommand(m_test.Segments(true)); });
    GuardedConnect(m_segmentsOff, &QRadioButton::clicked, this, [this] { AfterCommand(m_test.Segments(false)); });
    GuardedConnect(m_getValveType, &QPushButton::clicked, this,
                   [this] { AskClick(TSpecialTest::Question::ValveType, m_valveType, true); });
    GuardedConnect(m_getControllerType, &QPushButton::clicked, this,
                   [this] { AskClick(TSpecialTest::Question::ControllerType, m_controllerType, false); });
    GuardedConnect(m_actualValue, &QPushButton::clicked, this,
                   [this] { AskClick(TSpecialTest::Question::ActualValue, m_actualValueShown, true); });
    GuardedConnect(m_getParameter, &QPushButton::clicked, this, &TFormSpecialTest::ButtonGetParameterClick);
    GuardedConnect(m_first, &QPushButton::clicked, this, &TFormSpecialTest::BitBtnFirstClick);
    GuardedConnect(m_prev, &QPushButton::clicked, this, &TFormSpecialTest::BitBtnPrevClick);
    GuardedConnect(m_next, &QPushButton::clicked, this, &TFormSpecialTest::BitBtnNextClick);
    GuardedConnect(m_last, &QPushButton::clicked, this, &TFormSpecialTest::BitBtnLastClick);
    GuardedConnect(m_change, &QPushButton::clicked, this, &TFormSpecialTest::ButtonChangeClick);
    // Judged once the field is left: "-" or an empty field on the way to a number is no error.
    GuardedConnect(m_traceLevel, &QLineEdit::editingFinished, this, &TFormSpecialTest::EditTraceLevelChange);
}

void TFormSpecialTest::SetConnectedControlsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ledUp, m_ledRun, m_ledDown, m_ledError, m_ledSiu1, m_relay, m_getValveType, m_getControllerType,
             m_actualValue, m_getParameter, m_first, m_prev, m_next, m_last, m_change}) {
        control->setEnabled(enabled);
    }
}

void TFormSpecialTest::EnterDisconnectedState() {
    m_connect->setEnabled(true);
    m_disconnect->setEnabled(false);
    SetConnectedControlsEnabled(false);
    for (QCheckBox* box : {m_ledUp, m_ledRun, m_ledDown, m_ledError, m_ledSiu1, m_relay}) {
        box->setChecked(false);
    }
    m_miniTerminal->setEnabled(false);
    // Both radio buttons cleared: switch off exclusivity for a moment, or one would stay checked.
    for (QRadioButton* radio : {m_segmentsOn, m_segmentsOff}) {
        radio->setEnabled(false);
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
    m_change->setText(Text(kRecordChange));
    m_paramValue->setReadOnly(true);
    m_progress->setValue(0);
}

void TFormSpecialTest::BitBtnConnectClick() {
    if (m_port == nullptr) {
        m_access.Ui.ShowMessage(MessageKind::Error, windowTitle(), Text(kRecordConnectionFailed), MessageButtons::Ok);
        EnterDisconnectedState();
        return;
    }
    m_access.Ui.SetBusy(true);
    const std::optional<QString> type =
        m_test.Connect(*m_port, [this](int position) { m_progress->setValue(position); });
    if (!type) {
        m_access.Ui.SetBusy(false);
        EnterDisconnectedState(); // the line failed, and the user has been told
        return;
    }
    m_disconnect->setEnabled(true);
    m_connect->setEnabled(false);
    SetConnectedControlsEnabled(true);
    m_change->setText(Text(kRecordChange));
    // Only the standard controller has the display the segment commands drive.
    const bool segments = *type == QLatin1String("TKX");
    m_miniTerminal->setEnabled(segments);
    m_segmentsOn->setEnabled(segments);
    m_segmentsOff->setEnabled(segments);
    AfterCommand(m_test.FlashRunLed(m_ledRun->isChecked()));
    m_access.Ui.SetBusy(false);
}

void TFormSpecialTest::AfterCommand(bool done) {
    // A command fails only when the line failed: the special test has told the user and closed
    // the session, so the window shows it disconnected.
    if (!done && !m_test.Connected()) {
        EnterDisconnectedState();
    }
}

void TFormSpecialTest::BitBtnDisconnectClick() {
    if (m_test.Connected()) {
        // Nothing the technician switched on stays on (a failed line has been told).
        m_test.SwitchOffAll();
        m_test.Disconnect();
    } else {
        m_access.Ui.ShowMessage(MessageKind::Error, windowTitle(), Text(kRecordNotConnected), MessageButtons::Ok);
    }
    EnterDisconnectedState();
}

void TFormSpecialTest::SwitchClick(QCheckBox* box, TSpecialTest::Output output) {
    AfterCommand(m_test.Switch(output, box->isChecked()));
}

void TFormSpecialTest::AskClick(TSpecialTest::Question question, QLineEdit* shownIn, bool flash) {
    // An unanswered query leaves the field empty.
    const std::optional<QString> reply = m_test.Ask(question);
    shownIn->setText(reply.value_or(QString()));
    if (!m_test.Connected()) {
        EnterDisconnectedState();
        return;
    }
    if (flash) {
        AfterCommand(m_test.FlashRunLed(m_ledRun->isChecked()));
    }
}

std::optional<int> TFormSpecialTest::IntegerOf(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) {
        m_access.Ui.ShowMessage(MessageKind::Error, windowTitle(),
                                QStringLiteral("'%1' is not a valid integer value").arg(text), MessageButtons::Ok);
        return std::nullopt;
    }
    return value;
}

void TFormSpecialTest::ShowParameter(const TTorvexParameter& parameter) {
    m_paramName->setText(parameter.Name);
    m_paramValue->setText(QString::number(parameter.Value));
    m_paramUnit->setText(parameter.Unit);
}

void TFormSpecialTest::ShowBrowseResult(const TSpecialTest::BrowseResult& result) {
    if (!result.Found && result.Number > 0) {
        // An empty list: nothing to show anywhere.
        m_paramName->clear();
        m_paramValue->clear();
        m_paramUnit->clear();
        return;
    }
    m_paramNr->setText(QString::number(result.Number));
    ShowParameter(result.Parameter);
}

void TFormSpecialTest::ButtonGetParameterClick() {
    if (const std::optional<int> n = IntegerOf(m_paramNr->text())) {
        ShowParameter(m_test.Find(static_cast<quint16>(*n)));
    }
}

void TFormSpecialTest::BitBtnFirstClick() {
    m_paramNr->setText(QStringLiteral("0"));
    BitBtnNextClick();
}

void TFormSpecialTest::BitBtnNextClick() {
    const QString text = m_paramNr->text().isEmpty() ? QStringLiteral("0") : m_paramNr->text();
    if (const std::optional<int> n = IntegerOf(text)) {
        ShowBrowseResult(m_test.Next(static_cast<quint16>(*n)));
    }
}

void TFormSpecialTest::BitBtnLastClick() {
    m_paramNr->setText(QString::number(TSpecialTest::kHighestNumber));
    BitBtnPrevClick();
}

void TFormSpecialTest::BitBtnPrevClick() {
    QString text = m_paramNr->text().isEmpty() ? QStringLiteral("2") : m_paramNr->text();
    if (text.trimmed() == QLatin1String("1")) {
        text = QString::number(TSpecialTest::kHighestNumber); // from the first number round to the last
    }
    if (const std::optional<int> n = IntegerOf(text)) {
        ShowBrowseResult(m_test.Prev(static_cast<quint16>(*n)));
    }
}

void TFormSpecialTest::ButtonChangeClick() {
    if (m_change->text() == Text(kRecordChange)) {
        m_change->setText(Text(kRecordSend));
        m_paramValue->setReadOnly(false);
        m_paramValue->setFocus();
        return;
    }
    const MessageAnswer answer =
        m_access.Ui.ShowMessage(MessageKind::Warning, windowTitle(), Text(kRecordSendUnchecked), MessageButtons::YesNo);
    if (answer != MessageAnswer::No) {
        const std::optional<int> value = IntegerOf(m_paramValue->text());
        if (!value) {
            return; // the value stays open for correction
        }
        const std::optional<int> number = IntegerOf(m_paramNr->text());
        if (!number) {
            return;
        }
        if (!m_test.Change(static_cast<quint16>(*number), *value, m_paramValue->text())) {
            AfterCommand(false);
            return;
        }
    }
    m_change->setText(Text(kRecordChange));
    m_paramValue->setReadOnly(true);
}

void TFormSpecialTest::EditTraceLevelChange() {
    if (const std::optional<int> level = IntegerOf(m_traceLevel->text())) {
        m_logger.SetTraceLevel(*level);
    }
    m_traceLevel->setText(QString::number(m_logger.GetTraceLevel()));
}

void TFormSpecialTest::done(int result) {
    if (m_test.Connected()) {
        m_test.SwitchOffAll(); // Esc and Close alike: nothing stays switched on
        m_test.Disconnect();
    }
    EnterDisconnectedState();
    QDialog::done(result);
}
