#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/app/SlotGuard.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"
#include "gui/params/DataAware.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace {

QString Up(const TLanguage& language) {
    return QLatin1Char(' ') + language.Text(Record::UpperCaseUp);
}
QString Down(const TLanguage& language) {
    return QLatin1Char(' ') + language.Text(Record::UpperCaseDown);
}
QString Hint(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n')).trimmed();
}

struct ListRow {
    const char* Control;
    const char* Field;
    const char* Lookup;
    int Caption;
};
const ListRow kLists[] = {
    {"DBLookupValveType", "ValveType", "Fact_TableValveType", 57},
    {"DBLookupOpModeDn", "TKXOpDn", "Fact_TableOnOff", 51},
    {"DBLookupSIUType", "SIUType", "Fact_TableSIUType", 58},
    {"DBLookupLanguage", "Language", "Fact_TableLanguage", 4},
    {"DBLookupCmdInput", "CommandInput", "Fact_TableCommandInput_EN", 269},
    {"DBLookupStartDelay", "StartDelay", "Fact_TableStartDelay", 267},
    {"DBLookupRelayFunction", "RelayFunction", "Fact_TableRelayFunction_EN", 268},
    {"DBLookupEdgeDetect", "EdgeDetect", "Fact_TableEdgeDetect_EN", 325},
    {"DBLookupAuxSpeed", "AuxSpeed", "Fact_TableAuxSpeed_EN", 289},
};

// The Results in the order they are listed, with their captions.
std::vector<std::pair<QString, QString>> ResultCaptions(const TLanguage& language) {
    return {{"CheckNo1", language.Text(239) + QStringLiteral(" 1")},
            {"CheckNo2", language.Text(239) + QStringLiteral(" 2")},
            {"ValveType", language.Text(57)},
            {"OpModeDn", language.Text(51)},
            {"SIUType", language.Text(58)},
            {"Language", language.Text(4)},
            {"CmdInput", language.Text(269)},
            {"AccelUp", language.Text(36) + Up(language)},
            {"FastUp", language.Text(37) + Up(language)},
            {"DecelUp", language.Text(38) + Up(language)},
            {"SlowUp", language.Text(39) + Up(language)},
            {"AccelDn", language.Text(36) + Down(language)},
            {"FastDn", language.Text(37) + Down(language)},
            {"DecelDn", language.Text(38) + Down(language)},
            {"SlowDn", language.Text(39) + Down(language)},
            {"K6Speed", language.Text(63)},
            {"K7Speed", language.Text(65)},
            {"K8Speed", language.Text(67)},
            {"AuxSpeed", language.Text(289)},
            {"OffsetSolUp", language.Text(76)},
            {"StartDelay", language.Text(267)},
            {"FlowCalUp", language.Text(Record::CalibrationFactor) + Up(language)},
            {"FlowCalDn", language.Text(Record::CalibrationFactor) + Down(language)},
            {"RelayFunction", language.Text(268)},
            {"EdgeDetect", language.Text(325)}};
}

void MarkRed(QWidget* widget, bool red) {
    widget->setStyleSheet(red ? QStringLiteral("background-color: #ff6060;") : QString());
}

} // namespace

QString TEditFactorySettingsForm::Text(int record) const {
    return m_configuration.Language().Text(record);
}

TEditFactorySettingsForm::TEditFactorySettingsForm(TParameterDatabase& database, TConfiguration& configuration,
                                                   Feedback& feedback, Clock& clock, QWidget* parent)
    : QDialog(parent), m_database(database), m_configuration(configuration), m_feedback(feedback) {
    setObjectName(QStringLiteral("EditFactorySettingsForm"));
    setWindowTitle(Text(309));
    m_editor = std::make_unique<TFactoryEditor>(database, feedback, clock, m_configuration.Language().UsImperial());

    auto* inputs = new QGroupBox(Text(312), this);
    auto* results = new QGroupBox(Text(313), this);
    BuildInputs(inputs);
    BuildResults(results);

    m_description = new TDBMemo(QStringLiteral("DBMemoDescription"), this);
    m_description->setMaximumHeight(70);
    m_createFile = new QPushButton(Text(103), this);
    m_createFile->setObjectName(QStringLiteral("BtnCreateFile"));
    m_createFile->setEnabled(false);
    m_cancel = new QPushButton(Text(6), this);
    m_cancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto* columns = new QHBoxLayout;
    columns->addWidget(inputs);
    columns->addWidget(results);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_createFile);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(new QLabel(Text(212) + QLatin1Char('(') + Text(316) + QLatin1Char(')'), this));
    layout->addWidget(m_description);
    layout->addLayout(buttons);

    ChooseFile = [this](const TFileRequest& request) {
        QFileDialog dialog(this, request.Title, request.Directory);
        dialog.setNameFilters(request.Filters);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("fact"));
        dialog.selectFile(request.ProposedName);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    GuardedConnect(m_createFile, &QPushButton::clicked, this, &TEditFactorySettingsForm::BtnCreateFileClick);
    GuardedConnect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_units[QStringLiteral("FlowUp")]->setText(m_editor->FlowUnit());
    m_units[QStringLiteral("FlowDn")]->setText(m_editor->FlowUnit());
    m_units[QStringLiteral("Offset")]->setText(m_editor->PressureUnit());
    m_edits[QStringLiteral("DBEditFlowRateUp")]->setToolTip(Hint(m_editor->FlowHint()));
    m_edits[QStringLiteral("DBEditFlowRateDn")]->setToolTip(Hint(m_editor->FlowHint()));
}

void TEditFactorySettingsForm::showEvent(QShowEvent* event) {
    // Bound at every showing to the database as it is now: one that became available after the
    // window was made, or was reopened in another working directory, is the one edited.
    m_bound = m_configuration.DatabaseAvailable && Guarded(this, [this] { Bind(); });
    QDialog::showEvent(event);
}

TEditFactorySettingsForm::~TEditFactorySettingsForm() = default;

void TEditFactorySettingsForm::BuildInputs(QWidget* box) {
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const ListRow& list : kLists) {
        auto* control = new TDBLookupComboBox(QString::fromLatin1(list.Control), box);
        m_lists[control->objectName()] = control;
        grid->addWidget(new QLabel(Text(list.Caption), box), row, 0);
        grid->addWidget(control, row++, 1, 1, 3);
        GuardedConnect(control, &TDBLookupComboBox::CodeChosen, this, [this, control] { ListCloseUp(control); });
    }
    const auto addEdit = [&](const QString& name, const QString& caption, const QString& unitKey, const QString& unit) {
        auto* edit = new TDBEdit(name, box);
        edit->setMaximumWidth(90);
        edit->installEventFilter(this);
        m_edits[name] = edit;
        grid->addWidget(new QLabel(caption, box), row, 0);
        grid->addWidget(edit, row, 1);
        auto* unitLabel = new QLabel(unit, box);
        if (!unitKey.isEmpty()) {
            m_units[unitKey] = unitLabel;
        }
        grid->addWidget(unitLabel, row++, 2);
        GuardedConnect(edit, &TDBEdit::ValueEntered, this, [this, edit] { EditExit(edit); });
        GuardedConnect(edit, &TDBEdit::ValueRefused, this, &TEditFactorySettingsForm::NotANumber);
        return edit;
    };
    // The two check numbers side by side.
    auto* check1 = new TDBEdit(QStringLiteral("DBEditCheckNo1"), box);
    auto* check2 = new TDBEdit(QStringLiteral("DBEditCheckNo2"), box);
    for (TDBEdit* edit : {check1, check2}) {
        edit->setMaximumWidth(90);
        edit->installEventFilter(this);
        m_edits[edit->objectName()] = edit;
        GuardedConnect(edit, &TDBEdit::ValueEntered, this, [this, edit] { EditExit(edit); });
        GuardedConnect(edit, &TDBEdit::ValueRefused, this, &TEditFactorySettingsForm::NotANumber);
    }
    grid->addWidget(new QLabel(Text(239), box), row, 0);
    grid->addWidget(check1, row, 1);
    grid->addWidget(check2, row++, 2, 1, 2);
    const QString fastFlow = Text(311) + QLatin1Char(' ') + Text(37);
    addEdit(QStringLiteral("DBEditFlowRateUp"), fastFlow + Up(m_configuration.Language()), QStringLiteral("FlowUp"),
            QString());
    addEdit(QStringLiteral("DBEditFlowRateDn"), fastFlow + Down(m_configuration.Language()), QStringLiteral("FlowDn"),
            QString());
    addEdit(QStringLiteral("DBEditOffsetSolUp"), Text(76), QStringLiteral("Offset"), QString());
    addEdit(QStringLiteral("DBEditFlowCalUp"), Text(Record::CalibrationFactor) + Up(m_configuration.Language()),
            QString(), QString());
    addEdit(QStringLiteral("DBEditFlowCalDn"), Text(Record::CalibrationFactor) + Down(m_configuration.Language()),
            QString(), QString());
    addEdit(QStringLiteral("DBEditK6Speed"), Text(63), QString(), QStringLiteral("%"));
    addEdit(QStringLiteral("DBEditK7Speed"), Text(65), QString(), QStringLiteral("%"));
    addEdit(QStringLiteral("DBEditK8Speed"), Text(67), QString(), QStringLiteral("%"));
    grid->setRowStretch(row, 1);
}

void TEditFactorySettingsForm::BuildResults(QWidget* box) {
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const auto& [name, caption] : ResultCaptions(m_configuration.Language())) {
        ResultRow result;
        result.Value = new QLineEdit(box);
        result.Value->setObjectName(QStringLiteral("Result") + name);
        result.Value->setReadOnly(true);
        result.Value->setFocusPolicy(Qt::NoFocus);
        result.Value->setMinimumWidth(110);
        result.Unit = new QLabel(box);
        result.Unit->setObjectName(QStringLiteral("Unit") + name);
        result.Unit->setMinimumWidth(30);
        result.Code = new QLabel(box);
        result.Code->setObjectName(QStringLiteral("Code") + name);
        result.Code->setMinimumWidth(50);
        grid->addWidget(new QLabel(caption, box), row, 0);
        grid->addWidget(result.Value, row, 1);
        grid->addWidget(result.Unit, row, 2);
        grid->addWidget(result.Code, row++, 3);
        m_results[name] = result;
    }
    grid->setRowStretch(row, 1);
}

void TEditFactorySettingsForm::Bind() {
    TTable& sets = m_editor->Sets();
    for (const ListRow& list : kLists) {
        m_lists[QString::fromLatin1(list.Control)]->Bind(&sets, QString::fromLatin1(list.Field),
                                                         &m_database.Table(QString::fromLatin1(list.Lookup)));
    }
    const std::pair<const char*, QString> edits[] = {
        {"DBEditCheckNo1", QStringLiteral("CheckNo1")},   {"DBEditCheckNo2", QStringLiteral("CheckNo2")},
        {"DBEditFlowRateUp", m_editor->FlowUpField()},    {"DBEditFlowRateDn", m_editor->FlowDnField()},
        {"DBEditOffsetSolUp", m_editor->OffsetField()},   {"DBEditFlowCalUp", QStringLiteral("FlowCalUp")},
        {"DBEditFlowCalDn", QStringLiteral("FlowCalDn")}, {"DBEditK6Speed", QStringLiteral("K6Speed")},
        {"DBEditK7Speed", QStringLiteral("K7Speed")},     {"DBEditK8Speed", QStringLiteral("K8Speed")}};
    for (const auto& [control, field] : edits) {
        m_edits[QString::fromLatin1(control)]->Bind(&sets, field);
    }
    m_description->Bind(&sets, QStringLiteral("Description"));
    // Posted when the user leaves it: a post on every key would put the text back under the cursor.
    m_description->installEventFilter(this);

    m_lists[QStringLiteral("DBLookupValveType")]->setToolTip(Hint(m_editor->ValveHint()));
    for (const auto& [field, hint] : m_editor->RangeHints()) {
        for (const auto& [control, bound] : edits) {
            if (bound == field) {
                m_edits[QString::fromLatin1(control)]->setToolTip(Hint(hint));
            }
        }
    }
    m_editor->Start();
    ShowState();
}

void TEditFactorySettingsForm::ListCloseUp(TDBLookupComboBox* list) {
    Guarded(this, [&] {
        if (list->objectName() == QLatin1String("DBLookupValveType")) {
            m_editor->ValveTypeChange(list->Code());
        } else {
            m_editor->ListChanged();
        }
    });
    ShowState();
}

void TEditFactorySettingsForm::EditExit(TDBEdit* edit) {
    Guarded(this, [&] {
        double value = 0;
        if (edit->text().trimmed().isEmpty() || !TDBEdit::Parse(edit->text(), value)) {
            m_editor->InputCheck(edit->Field(), std::nullopt);
        } else {
            m_editor->InputCheck(edit->Field(), m_editor->Sets().FieldAsFloat(edit->Field()));
        }
    });
    ShowState();
}

void TEditFactorySettingsForm::NotANumber(const QString& typed) {
    // The field shows its stored value again; the technician learns why.
    m_feedback.ShowMessage(MessageKind::Warning, Text(Record::Remark), Text(Record::NotANumber) + typed,
                           MessageButtons::Ok);
}

void TEditFactorySettingsForm::StoreDescription() {
    Guarded(this, [this] {
        m_description->Store();
        m_editor->DescriptionChanged();
    });
}

bool TEditFactorySettingsForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_description && event->type() == QEvent::FocusOut) {
        StoreDescription();
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && qobject_cast<TDBEdit*>(watched) != nullptr) {
            // Leaving the input runs its check; then the file button, if the check allows it.
            m_description->setFocus();
            if (m_createFile->isEnabled()) {
                m_createFile->setFocus();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TEditFactorySettingsForm::ShowState() {
    const TFactoryEditor& editor = *m_editor;
    for (auto& [name, row] : m_results) {
        const TFactoryResult* result = FactoryMath::FindResult(editor.Results(), name);
        row.Value->setText(result != nullptr ? result->Shown : QString());
        row.Unit->setText(result != nullptr ? result->Unit : QString());
        row.Code->setText(result != nullptr ? result->CodeText() : QString());
    }
    m_createFile->setEnabled(editor.CanCreateFile());
    // An input whose range could not be looked up is marked, and the file button says why it waits.
    const auto failed = [&](const QString& field) { return editor.LookupFailures().count(field) > 0; };
    QStringList failures;
    for (const auto& [name, edit] : m_edits) {
        if (failed(edit->Field())) {
            failures << edit->Field();
        }
    }
    for (const auto& [name, list] : m_lists) {
        if (failed(list->Field())) {
            failures << list->Field();
        }
    }
    m_createFile->setToolTip(failures.isEmpty() ? QString() : Text(Record::RangeNotFound) + failures.join(", "));
    MarkRed(m_edits[QStringLiteral("DBEditFlowRateUp")], editor.UpFlowMark() || failed(editor.FlowUpField()));
    MarkRed(m_edits[QStringLiteral("DBEditFlowRateDn")], editor.DownFlowMark() || failed(editor.FlowDnField()));
    MarkRed(m_lists[QStringLiteral("DBLookupValveType")],
            editor.UpFlowMark() || editor.DownFlowMark() || failed(QStringLiteral("ValveType")));
    if (editor.ValveLoaded()) {
        const bool tkx = editor.Valve().Kind == QLatin1String("TKX");
        m_lists[QStringLiteral("DBLookupOpModeDn")]->setEnabled(!tkx);
        m_lists[QStringLiteral("DBLookupAuxSpeed")]->setEnabled(!tkx);
        m_edits[QStringLiteral("DBEditOffsetSolUp")]->setEnabled(tkx);
    }
}

void TEditFactorySettingsForm::BtnCreateFileClick() {
    TFileRequest request;
    request.Save = true;
    // Where the sender's Open dialog starts: the files the editor makes are found there at once.
    request.Directory = m_configuration.GetWorkDirectory() + QStringLiteral("/FactorySets");
    QDir().mkpath(request.Directory);
    request.ProposedName = m_editor->ProposedFileName();
    request.Filters = {QStringLiteral("Factory settings (*.fact)")};
    request.FilterIndex = 1;
    const QString path = ChooseFile(request);
    if (path.isEmpty()) {
        return;
    }
    StoreDescription(); // what is being typed belongs in the file
    setWindowTitle(TFactoryEditor::FileTitle(path));
    Guarded(this, [&] { m_editor->CreateFile(path); });
}

void TEditFactorySettingsForm::done(int result) {
    // Only the tables this showing was bound to: never stale imperial fields into another database.
    if (m_bound && m_configuration.DatabaseAvailable) {
        StoreDescription();
        Guarded(this, [this] { m_editor->ConvertToMetric(); });
    }
    m_bound = false;
    QDialog::done(result);
}
