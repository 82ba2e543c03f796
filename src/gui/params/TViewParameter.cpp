#include "gui/params/TViewParameter.h"

#include "gui/app/SlotGuard.h"

#include "gui/params/DataAware.h"

#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"

#include "gui/app/TStatusLine.h"
#include "gui/params/TCompareDialog.h"
#include "gui/params/TExportImportForm.h"

#include "core/params/TServiceReport.h"
#include "core/params/TSetCheck.h"
#include "core/params/TSetCompare.h"
#include "core/params/TSetFiles.h"
#include "core/params/TransferRemarks.h"
#include "gui/params/TSetPrinting.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

const TLanguage& TViewParameter::Language() const {
    return m_context.Configuration.Language();
}

QString TViewParameter::Text(int record) const {
    return Language().Text(record);
}

TViewParameter::TViewParameter(TParameterWindowContext context, Family family, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)), m_family(family),
      m_editing(m_context.Database, m_context.Ui, family),
      m_access(m_context.Configuration, m_context.Ui, m_context.Time),
      m_transfer(m_context.Database, m_access, family) {
    m_eepromWriteDelay = m_context.Configuration.GetEepromWriteDelay();
}

TTable& TViewParameter::Sets() {
    return m_context.Database.SetTable(m_family);
}

TDBEdit* TViewParameter::Edit(const QString& control) const {
    const auto it = m_edits.find(control);
    return it == m_edits.end() ? nullptr : it->second;
}

void TViewParameter::SetPort(TCommParameter* port) {
    m_transfer.Port = port;
}

void TViewParameter::Build(const std::vector<TParameterPage>& pages) {
    setWindowTitle(CaptionText());
    const bool database = m_context.Configuration.DatabaseAvailable;
    TTable* sets = database ? &Sets() : nullptr;

    m_navigator = new TDBNavigator(QStringLiteral("DBNavigator"), Language(), m_context.Ui, this);
    m_names = new TDBNameGrid(QStringLiteral("DBGridNameList"), Language(), m_context.Ui, this);
    m_description = new TDBMemo(QStringLiteral("DBMemoDescription"), this);
    m_description->setFixedWidth(250);
    m_locator = new QLineEdit(this);
    m_locator->setObjectName(QStringLiteral("EditLocator"));
    m_locator->setMaxLength(32);
    GuardedConnect(m_locator, &QLineEdit::textChanged, this, &TViewParameter::EditLocatorChange);

    const auto label = [this](const QString& name, const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setBuddy(buddy);
        if (Language().IsChinese()) {
            l->setFixedWidth(100);
        }
        return l;
    };
    auto* left = new QVBoxLayout;
    left->addWidget(label(Prefix() + QStringLiteral("Name"), Text(22), m_names));
    left->addWidget(m_names, 3);
    left->addWidget(label(Prefix() + QStringLiteral("Description"), Text(23), m_description));
    left->addWidget(m_description, 2);
    auto* find = new QLabel(Text(24), this);
    find->setObjectName(Prefix() + QStringLiteral("Find"));
    find->setBuddy(m_locator);
    left->addWidget(find);
    left->addWidget(m_locator);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(m_family == Family::VfTkx ? QStringLiteral("PageControlITKX")
                                                     : QStringLiteral("PageControlTKX"));
    const std::map<QString, QString> hints =
        database ? m_editing.RangeHints(Language().UsImperial()) : std::map<QString, QString>{};
    const QString suffix = Schema::LanguageSuffix(Language().Index());
    for (const TParameterPage& pageSpec : pages) {
        auto* page = new QWidget(m_pages);
        page->setObjectName(pageSpec.Name);
        auto* grid = new QGridLayout(page);
        grid->setHorizontalSpacing(8);
        // A long page reads in two columns: caption, field and unit side by side.
        const int perColumn = pageSpec.Controls.size() > 16 ? static_cast<int>((pageSpec.Controls.size() + 1) / 2)
                                                            : static_cast<int>(pageSpec.Controls.size());
        int index = 0;
        for (const TParameterControl& c : pageSpec.Controls) {
            const int row = index % perColumn;
            const int column = index / perColumn * 4;
            ++index;
            const QString& control = c.Control;
            const QString& field = c.Field;
            const QString caption = c.CaptionRecord != 0 ? Text(c.CaptionRecord) : c.Caption;
            QWidget* widget = nullptr;
            if (c.List.isEmpty()) {
                auto* edit = new TDBEdit(control, page);
                edit->setMaximumWidth(110);
                edit->setAlignment(Qt::AlignRight);
                if (sets != nullptr) {
                    edit->Bind(sets, field);
                }
                // The calibration values carry no range hint.
                static const QStringList calibration{"HWZero", "FBFactor", "PSFactor", "IFactor", "UFactor"};
                const auto hint = hints.find(field);
                if (hint != hints.end() && !calibration.contains(field)) {
                    edit->setToolTip(QString(hint->second).replace(QLatin1Char('\r'), QLatin1Char('\n')));
                }
                GuardedConnect(edit, &TDBEdit::ValueEntered, this,
                               [this, edit](bool byEnter) { EditChange(edit, byEnter); });
                GuardedConnect(edit, &TDBEdit::ValueRefused, this, [this](const QString& typed) {
                    // Never replaced silently: the stored value is back, and the technician is told.
                    m_context.Ui.ShowMessage(MessageKind::Warning, Text(Record::Remark),
                                             Text(Record::NotANumber) + typed, MessageButtons::Ok);
                });
                m_edits[control] = edit;
                widget = edit;
            } else {
                auto* list = new TDBLookupComboBox(control, page);
                QString table = c.List;
                if (table.endsWith(QLatin1Char('_'))) {
                    table += suffix;
                }
                if (sets != nullptr) {
                    list->Bind(sets, field, &m_context.Database.Table(QStringLiteral("Table") + table));
                }
                m_lists[control] = list;
                widget = list;
                if (field == QLatin1String("ValveType")) {
                    GuardedConnect(list, &TDBLookupComboBox::ListEntered, this, [this, list] {
                        m_rememberedValveType = static_cast<int>(list->Code());
                        m_valveTypeEntered = true;
                    });
                    GuardedConnect(list, &TDBLookupComboBox::ListLeft, this, [this] { m_valveTypeEntered = false; });
                    GuardedConnect(list, &TDBLookupComboBox::CodeChosen, this, &TViewParameter::ValveTypeChange);
                }
            }
            if (c.Leveled) {
                m_leveled.emplace_back(widget, field);
            }
            m_captions[control] = caption;
            auto* captionLabel = new QLabel(caption, page);
            captionLabel->setBuddy(widget);
            grid->addWidget(captionLabel, row, column);
            if (!c.List.isEmpty()) {
                grid->addWidget(widget, row, column + 1, 1, 2); // a list has no unit: it may use the room
            } else {
                auto* unit = new QLabel(c.Unit, page);
                unit->setObjectName(control + QStringLiteral("Unit"));
                unit->setMinimumWidth(30);
                grid->addWidget(widget, row, column + 1);
                grid->addWidget(unit, row, column + 2);
            }
        }
        for (int column = 3; column < 8; column += 4) {
            grid->setColumnMinimumWidth(column, 16);
        }
        grid->setColumnStretch(7, 1);
        grid->setRowStretch(perColumn, 1);
        m_pages->addTab(page, Text(pageSpec.TitleRecord));
    }
    // The information page: what the controller told about itself, read-only.
    auto* information = new QWidget(m_pages);
    information->setObjectName(QStringLiteral("TabSheetInformation"));
    m_info = new TDBMemo(QStringLiteral("DBInfoMemo"), information);
    m_errors = new TDBMemo(QStringLiteral("DBErrorMemo"), information);
    // Read-only but not disabled: black text the technician can select and copy, in a
    // fixed pitch with tab stops so that the value columns line up.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (TDBMemo* memo : {m_info, m_errors}) {
        memo->setReadOnly(true);
        memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        memo->setFont(fixed);
        memo->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(QLatin1Char('0')) * 24);
        // A line wider than the memo wraps: no horizontal scroll bar, which the trailing tab
        // of every entry would otherwise bring up for lines that fit.
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    }
    auto* infoLayout = new QGridLayout(information);
    infoLayout->addWidget(new QLabel(Text(73), information), 0, 0);
    auto* errorLabel = new QLabel(Text(74), information);
    errorLabel->setObjectName(ErrorLabelName());
    if (Language().IsChinese()) {
        errorLabel->setFixedWidth(100);
    }
    infoLayout->addWidget(errorLabel, 0, 1);
    infoLayout->addWidget(m_info, 1, 0);
    infoLayout->addWidget(m_errors, 1, 1);
    m_pages->addTab(information, Text(28));

    m_infoController = new QLabel(this);
    m_infoController->setObjectName(QStringLiteral("LabelInfoController"));

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBarTransmit"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    const std::pair<const char*, int> buttons[] = {{"BtnRead", 29},   {"BtnWrite", 30},  {"BtnImport", 31},
                                                   {"BtnExport", 32}, {"BtnPrint", 223}, {"BtnExit", 33}};
    auto* bottom = new QHBoxLayout;
    for (const auto& [name, record] : buttons) {
        auto* button = new QPushButton(Text(record), this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        m_buttons.push_back(button);
        bottom->addWidget(button);
        if (QLatin1String(name) == QLatin1String("BtnWrite")) {
            // Off unless chosen: reads the controller back after Send and lists what differs.
            m_verify = new QCheckBox(VerifyCheckText(Language()), this);
            m_verify->setObjectName(QStringLiteral("CheckVerify"));
            m_verify->setToolTip(VerifyCheckHint(Language()));
            m_verify->setChecked(m_context.Configuration.IsVerifyAfterWrite());
            GuardedConnect(m_verify, &QCheckBox::toggled, this,
                           [this](bool on) { m_context.Configuration.SetVerifyAfterWrite(on); });
            auto* compare = new QPushButton(Text(Record::Compare), this);
            compare->setObjectName(QStringLiteral("BtnCompare"));
            compare->setAutoDefault(false);
            bottom->addWidget(compare);
            bottom->addWidget(m_verify);
            bottom->addWidget(m_progress, 1);
        }
    }
    GuardedConnect(m_buttons[0], &QPushButton::clicked, this, &TViewParameter::BtnReadClick);
    GuardedConnect(m_buttons[1], &QPushButton::clicked, this, &TViewParameter::BtnWriteClick);
    GuardedConnect(m_buttons[2], &QPushButton::clicked, this, &TViewParameter::BtnImportClick);
    GuardedConnect(m_buttons[3], &QPushButton::clicked, this, &TViewParameter::BtnExportClick);
    GuardedConnect(m_buttons[4], &QPushButton::clicked, this, &TViewParameter::BtnPrintClick);
    GuardedConnect(m_buttons[5], &QPushButton::clicked, this, &QDialog::close);
    auto* report =
        new QPushButton(TServiceReport::HeadingText(TServiceReport::Heading::Title, Language().Index()), this);
    report->setObjectName(QStringLiteral("BtnServiceReport"));
    report->setAutoDefault(false);
    bottom->insertWidget(bottom->indexOf(m_buttons[4]) + 1, report);
    m_buttons.push_back(report);
    GuardedConnect(report, &QPushButton::clicked, this, &TViewParameter::BtnServiceReportClick);
    auto* compare = findChild<QPushButton*>(QStringLiteral("BtnCompare"));
    m_buttons.push_back(compare);
    GuardedConnect(compare, &QPushButton::clicked, this, &TViewParameter::BtnCompareClick);
    ChooseDifferences = [this](const TSetComparison& comparison) -> std::optional<std::set<QString>> {
        TCompareDialog dialog(comparison, Language(), CaptionText(), this);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.Ticked();
    };
    ChoosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setObjectName(QStringLiteral("PrintParameterDialog"));
        return dialog.exec() == QDialog::Accepted;
    };
    ChooseFile = [this](const TFileRequest& request) {
        QFileDialog dialog(this, request.Title, request.Directory);
        dialog.setNameFilters(request.Filters);
        if (request.FilterIndex >= 1 && request.FilterIndex <= request.Filters.size()) {
            dialog.selectNameFilter(request.Filters[request.FilterIndex - 1]);
        }
        dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("set"));
        dialog.selectFile(request.ProposedName);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };

    m_navigator->BeforeAction = [this] { CommitPendingEdit(); };
    if (sets != nullptr) {
        m_navigator->Bind(sets);
        m_names->Bind(sets);
        m_description->Bind(sets, QStringLiteral("Description"));
        m_info->Bind(sets, QStringLiteral("InfoMemo"));
        m_errors->Bind(sets, QStringLiteral("ErrorMemo"));
    }

    auto* right = new QVBoxLayout;
    right->addWidget(m_pages, 1);
    right->addWidget(m_infoController);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addLayout(right, 1);
    m_statusLine = new TStatusLine(Language(), m_context.Status, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_navigator);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    layout->addWidget(m_statusLine);
    if (sets != nullptr) {
        // A set appearing or going decides whether there is anything to send.
        GuardedConnect(sets, &TTable::DataChanged, this, &TViewParameter::UpdateTransferButtons);
    }

    m_transfer.Progress = [this](int position) { m_progress->setValue(std::clamp(position, 0, 100)); };
    m_transfer.ButtonsEnabled = [this](bool enabled) { SetButtonsEnabled(enabled); };
}

void TViewParameter::PrepareWindow() {
    m_context.Database.SetParameterFamily(m_family);
    const int level = m_context.PasswordLevel ? m_context.PasswordLevel() : 1;
    for (const auto& [widget, field] : m_leveled) {
        // An edit is judged by the field it shows right now (the pressure may show psi).
        const auto* edit = qobject_cast<TDBEdit*>(widget);
        widget->setEnabled(m_editing.LevelAllows(edit != nullptr ? edit->Field() : field, level));
    }
}

void TViewParameter::showEvent(QShowEvent* event) {
    m_context.Database.SetParameterFamily(m_family);
    m_busy = false;
    m_transferRemark.clear(); // what the last opening moved is no news now
    UpdateTransferButtons();
    setWindowTitle(CaptionText());
    m_infoController->clear();
    m_progress->setValue(0);
    QDialog::showEvent(event);
}

void TViewParameter::SetButtonsEnabled(bool enabled) {
    m_busy = !enabled;
    for (QPushButton* button : m_buttons) {
        button->setEnabled(enabled);
    }
    UpdateTransferButtons();
}

void TViewParameter::UpdateTransferButtons() {
    if (m_buttons.size() < 2 || m_statusLine == nullptr) {
        return;
    }
    const bool port = m_transfer.Port != nullptr;
    bool set = false;
    if (m_context.Configuration.DatabaseAvailable) {
        const TTable& sets = Sets();
        set = sets.IsOpen() && !sets.IsEmpty();
    }
    // Writing no set at all would put zero into every parameter of the controller.
    m_buttons[0]->setEnabled(!m_busy && port);
    m_buttons[1]->setEnabled(!m_busy && port && set);
    if (m_buttons.size() > 7) {
        m_buttons[7]->setEnabled(!m_busy && port && set);
    }
    const TTransferBlock block = m_busy  ? TTransferBlock::Busy
                                 : !port ? TTransferBlock::NoPort
                                 : !set  ? TTransferBlock::NoSet
                                         : TTransferBlock::None;
    // A disabled button says why; otherwise the line keeps what the last transfer did.
    m_statusLine->SetRemark(block != TTransferBlock::None ? TransferBlockText(block, Language()) : m_transferRemark);
}

QString TViewParameter::CaptionOf(const QString& control) const {
    const auto it = m_captions.find(control);
    return it == m_captions.end() ? QString() : QString(it->second).remove(QLatin1Char('&'));
}

void TViewParameter::EditChange(TDBEdit* edit, bool byEnter) {
    if (byEnter) {
        m_names->setFocus();
    }
    if (edit->text().trimmed().isEmpty()) {
        m_context.Ui.ShowMessage(MessageKind::Warning, Text(Record::Remark), Text(Record::EmptyField),
                                 MessageButtons::Ok);
        return;
    }
    double value = 0;
    if (!TDBEdit::Parse(edit->text(), value)) {
        return;
    }
    Guarded(this, [&] {
        const double checked = m_editing.CheckParameterValue(edit->Field(), value, CaptionOf(edit->objectName()));
        if (checked != value) {
            Sets().Edit();
            Sets().SetFieldFloat(edit->Field(), checked);
        }
        ValueStored(edit);
    });
}

void TViewParameter::CommitPendingEdit() {
    QWidget* focused = focusWidget();
    if (auto* edit = qobject_cast<TDBEdit*>(focused); edit != nullptr && edit->isModified() && edit->Store()) {
        EditChange(edit);
    } else if (auto* memo = qobject_cast<TDBMemo*>(focused)) {
        memo->Store();
    }
}

void TViewParameter::done(int result) {
    CommitPendingEdit();
    if (m_context.Configuration.DatabaseAvailable) {
        Guarded(this, [this] {
            TTable& sets = Sets();
            if (sets.IsOpen() && (sets.GetState() == TTable::State::Edit || sets.GetState() == TTable::State::Insert)) {
                sets.Post(); // what the technician typed is kept when the window goes
            }
        });
    }
    QDialog::done(result);
}

void TViewParameter::ValveTypeChange() {
    TDBLookupComboBox* list = m_lists[QStringLiteral("DBLookupComboBoxValveType")];
    const int code = static_cast<int>(std::nearbyint(list->Code()));
    if (!m_valveTypeEntered || code == m_rememberedValveType) {
        return;
    }
    const auto restore = [this] {
        Sets().Edit();
        Sets().SetFieldFloat(QStringLiteral("ValveType"), m_rememberedValveType);
    };
    try {
        const double checked = m_editing.CheckParameterValue(QStringLiteral("ValveType"), code);
        if (checked != code) {
            restore();
            return;
        }
        if (m_context.Ui.ShowMessage(MessageKind::Warning, windowTitle(), Text(224), MessageButtons::YesNo) !=
            MessageAnswer::Yes) {
            restore();
            return;
        }
        const int level = m_context.PasswordLevel ? m_context.PasswordLevel() : 1;
        m_transfer.ChangeValveType(level, Language().UsImperial(), m_eepromWriteDelay);
        BtnReadClick(); // the controller's new values come back as a new set
    } catch (const TableError&) {
        m_context.Ui.ShowMessage(MessageKind::Error, Text(Record::Error), Text(175), MessageButtons::Ok);
        SetButtonsEnabled(true);
        m_progress->setValue(0);
        m_names->setFocus();
    }
}

void TViewParameter::BtnReadClick() {
    CommitPendingEdit();
    const int before = m_context.Configuration.DatabaseAvailable ? Sets().RecordCount() : 0;
    m_transfer.Read();
    const bool arrived = m_context.Configuration.DatabaseAvailable && Sets().RecordCount() > before;
    if (arrived) {
        SetsArrived();
    }
    m_infoController->setText(m_transfer.InfoLabel());
    if (m_context.Status != nullptr) {
        m_context.Status->SetController(m_transfer.InfoLabel());
    }
    m_transferRemark = ReceiveSummary(m_transfer.LastOutcome(), m_transfer.LastCounts(), Language());
    UpdateTransferButtons();
    if (arrived) {
        m_names->EditCurrentName(); // the technician names the new set at once
    } else {
        m_names->setFocus();
    }
}

void TViewParameter::BtnWriteClick() {
    CommitPendingEdit();
    FollowUnit(); // what is sent is what the window shows
    if (!m_context.Configuration.DatabaseAvailable || Sets().IsEmpty()) {
        return; // nothing to send: the button is disabled, a shortcut must not get round it
    }
    const int level = m_context.PasswordLevel ? m_context.PasswordLevel() : 1;
    const bool psi = Language().UsImperial();
    // The whole set is checked before the data view lets go of the port: one message lists
    // every empty field and every value outside its range, and nothing is sent.
    std::vector<TValueProblem> problems;
    if (!Guarded(this, [&] { problems = m_transfer.CheckCurrentSet(level, psi); })) {
        return;
    }
    if (!problems.empty()) {
        m_context.Ui.ShowMessage(MessageKind::Error, Text(Record::RangeError),
                                 DescribeValueProblems(problems, Language()), MessageButtons::Ok);
        m_transferRemark = SendSummary(TTransferOutcome::Refused, {}, Language());
        UpdateTransferButtons();
        m_names->setFocus();
        return;
    }
    m_transfer.Verify = m_verify->isChecked();
    m_transfer.Write(level, psi, m_eepromWriteDelay);
    m_infoController->setText(m_transfer.InfoLabel());
    if (m_context.Status != nullptr) {
        m_context.Status->SetController(m_transfer.InfoLabel());
    }
    m_transferRemark = SendSummary(m_transfer.LastOutcome(), m_transfer.LastCounts(), Language());
    UpdateTransferButtons();
    m_names->setFocus();
}

void TViewParameter::BtnCompareClick() {
    CommitPendingEdit();
    FollowUnit(); // compared is what the window shows
    if (!m_context.Configuration.DatabaseAvailable || Sets().IsEmpty() || m_transfer.Port == nullptr) {
        return;
    }
    const bool psi = Language().UsImperial();
    std::vector<TSetValue> ours;
    if (!Guarded(this, [&] { ours = TSetCompare::CurrentValues(m_context.Database, m_family); })) {
        return;
    }
    // The comparison reads the controller: a collecting data view lets go of the port meanwhile.
    if (m_transfer.DataView != nullptr) {
        m_transfer.DataView->StopCollecting();
    }
    SetButtonsEnabled(false);
    std::optional<TSetComparison> comparison;
    Guarded(this, [&] {
        comparison = TSetCompare::AgainstController(m_context.Database, m_access, m_family, ours, m_transfer.Port, psi,
                                                    m_transfer.Progress);
    });
    if (m_transfer.DataView != nullptr) {
        m_transfer.DataView->RestartCollecting();
    }
    SetButtonsEnabled(true);
    m_progress->setValue(0);
    if (!comparison) {
        m_names->setFocus();
        return;
    }
    if (comparison->Differences.empty()) {
        m_context.Ui.ShowMessage(MessageKind::Information, Text(Record::Remark), Text(Record::NothingDiffers),
                                 MessageButtons::Ok);
        m_names->setFocus();
        return;
    }
    const std::optional<std::set<QString>> ticked = ChooseDifferences(*comparison);
    if (!ticked || ticked->empty()) {
        m_names->setFocus();
        return;
    }
    // Sent as Send sends, with its checks, pauses, progress and verification, but only the ticked rows.
    m_transfer.OnlyFields = *ticked;
    for (const TParameterDifference& difference : comparison->Differences) {
        m_transfer.Before[difference.Field] = TParameterDifference::ValueText(difference.Theirs);
    }
    m_transfer.SerialNumber = comparison->SerialNumber;
    m_transfer.SoftwareVersion = comparison->SoftwareVersion;
    // Send goes back to the whole set however this write ends.
    struct Whole {
        TParameterTransfer& Transfer;
        ~Whole() {
            Transfer.OnlyFields.reset();
            Transfer.Before.clear();
            Transfer.SerialNumber.clear();
            Transfer.SoftwareVersion.clear();
        }
    } whole{m_transfer};
    BtnWriteClick();
}

void TViewParameter::EditLocatorChange(const QString& text) {
    Guarded(this, [this, &text] { Sets().FindName(text); });
}

QStringList TViewParameter::ExportFilters() const {
    return TSetFiles::Filters(false);
}

int TViewParameter::ChooseKind(bool forExport) {
    TExportImportForm* form = m_context.ChoiceForm ? m_context.ChoiceForm() : nullptr;
    if (form == nullptr) {
        return TExportImportForm::Cancelled;
    }
    form->OfferTextFile(forExport);
    form->exec();
    while (form->ExportImportChoice() == TExportImportForm::Nothing) {
        const MessageKind kind = !forExport && m_family == Family::VfTkx ? MessageKind::Error : MessageKind::Warning;
        m_context.Ui.ShowMessage(kind, CaptionText(), Text(209), MessageButtons::Ok);
        form->exec();
    }
    return form->ExportImportChoice();
}

void TViewParameter::BtnExportClick() {
    CommitPendingEdit();
    const int choice = ChooseKind(true);
    const std::optional<TSetFiles::Kind> kind = KindOfChoice(choice);
    if (!kind) {
        return;
    }
    const QString chosen = ChooseSetFile(true, *kind);
    if (chosen.isEmpty()) {
        return;
    }
    const QFileInfo info(chosen);
    m_lastBaseName = info.path() + QLatin1Char('/') + info.completeBaseName();
    if (!HasExtensionOf(chosen, *kind)) {
        return;
    }
    TSetFiles files(m_context.Database, m_context.Ui, m_family);
    files.Progress = [this](int position) { m_progress->setValue(std::clamp(position, 0, 100)); };
    const TSetFiles::Result result = files.Export(*kind, chosen);
    const QString failure = TSetFiles::FailureText(result, true, chosen, Language(), files.ErrorReason());
    if (!failure.isEmpty()) {
        m_context.Ui.ShowMessage(MessageKind::Error, CaptionText(), failure, MessageButtons::Ok);
        return;
    }
    // Only a file that was written names the window.
    setWindowTitle(info.fileName() + QStringLiteral(" - WinTorvex32"));
}

std::optional<TSetFiles::Kind> TViewParameter::KindOfChoice(int choice) {
    switch (choice) {
    case TExportImportForm::CurrentSet:
        return TSetFiles::Kind::Set;
    case TExportImportForm::AllSets:
        return TSetFiles::Kind::AllSets;
    case TExportImportForm::TextFile:
        return TSetFiles::Kind::Text;
    default:
        return std::nullopt;
    }
}

QString TViewParameter::ChooseSetFile(bool forExport, TSetFiles::Kind kind) {
    const QString extension = QLatin1String(TSetFiles::Info(kind).Extension);
    const TFileRequest request{
        forExport,
        forExport ? QStringLiteral("Export Data to .....") : QStringLiteral("Read Parameters from ...."),
        m_context.Configuration.GetWorkDirectory(),
        (m_lastFileName.isEmpty() ? QStringLiteral("*") : m_lastBaseName) + QLatin1Char('.') + extension,
        forExport ? ExportFilters() : TSetFiles::Filters(false),
        TSetFiles::FilterIndex(kind)};
    const QString chosen = ChooseFile(request);
    if (chosen.isEmpty()) {
        m_lastFileName.clear();
    } else {
        m_lastFileName = chosen;
    }
    return chosen;
}

bool TViewParameter::HasExtensionOf(const QString& fileName, TSetFiles::Kind kind) {
    if (TSetFiles::KindOf(fileName) == kind) {
        return true;
    }
    m_context.Ui.ShowMessage(MessageKind::Error, CaptionText(), Text(Record::FileNameNotValid) + fileName,
                             MessageButtons::Ok);
    return false;
}

void TViewParameter::BtnImportClick() {
    const std::optional<TSetFiles::Kind> kind = KindOfChoice(ChooseKind(false));
    if (!kind || !TSetFiles::Info(*kind).Importable) {
        return;
    }
    const QString chosen = ChooseSetFile(false, *kind);
    if (chosen.isEmpty()) {
        return;
    }
    setWindowTitle(QFileInfo(chosen).fileName() + QStringLiteral(" - WinTorvex32"));
    if (!HasExtensionOf(chosen, *kind)) {
        return;
    }
    TSetFiles files(m_context.Database, m_context.Ui, m_family);
    files.Progress = [this](int position) { m_progress->setValue(std::clamp(position, 0, 100)); };
    const TSetFiles::Result result = files.Import(*kind, chosen);
    if (result == TSetFiles::Ok) {
        SetsArrived();
    } else {
        setWindowTitle(CaptionText());
        const QString failure = TSetFiles::FailureText(result, false, chosen, Language(), files.ErrorReason());
        if (!failure.isEmpty()) {
            m_context.Ui.ShowMessage(MessageKind::Error, CaptionText(), failure, MessageButtons::Ok);
        }
    }
    m_names->setFocus();
}

namespace ParameterRows {

TParameterControl Edit(const QString& field, int captionRecord, const QString& unit, bool leveled) {
    return {QStringLiteral("Edit") + field, field, captionRecord, QString(), unit, QString(), leveled};
}

TParameterControl List(const QString& control, const QString& field, int captionRecord, const QString& list,
                       bool leveled) {
    return {control, field, captionRecord, QString(), QString(), list, leveled};
}

std::vector<TParameterControl> Ramps(const QString& direction) {
    return {Edit(QStringLiteral("Accel") + direction, 36, QStringLiteral("V/s")),
            Edit(QStringLiteral("Fast") + direction, 37, QStringLiteral("V")),
            Edit(QStringLiteral("Decel") + direction, 38, QStringLiteral("V/s")),
            Edit(QStringLiteral("Slow") + direction, 39, QStringLiteral("V")),
            Edit(QStringLiteral("SoftStop") + direction, 40, QStringLiteral("V/s")),
            Edit(QStringLiteral("Relevel") + direction, 41, QStringLiteral("V"))};
}

std::vector<TParameterControl> Loop(const QString& actuator, const QString& direction) {
    // Captions: solenoid #52..#56, inverter #42..#46.
    const int first = actuator == QLatin1String("Inv") ? 42 : 52;
    const QString middle = actuator + direction;
    return {Edit(QStringLiteral("PSetting") + middle + QLatin1Char('S'), first, QString()),
            Edit(QStringLiteral("ISetting") + middle + QLatin1Char('S'), first + 1, QStringLiteral("ms")),
            Edit(QStringLiteral("DSetting") + middle, first + 2, QStringLiteral("ms")),
            Edit(QStringLiteral("PSetting") + middle + QLatin1Char('D'), first + 3, QString()),
            Edit(QStringLiteral("ISetting") + middle + QLatin1Char('D'), first + 4, QStringLiteral("ms"))};
}

std::vector<TParameterControl> Supervision() {
    return {{"EditSIUDiff", "SIUDiff1", 59, "", "%", "", true},
            {"EditSIUDiff2", "SIUDiff4", 60, "", "V", "", true},
            Edit("PulsSol", 70, "Hz"),
            Edit("InspectionAccel", 271, "V/s", false),
            Edit("InspectionSpeed", 61, "%"),
            Edit("InspectionDecel", 62, "V/s"),
            Edit("EmergDecel", 69, "V/s")};
}

std::vector<TParameterControl> IntermediateSpeeds(const QStringList& accelControls) {
    std::vector<TParameterControl> rows;
    const QStringList suffixes{QString(), QStringLiteral("2"), QStringLiteral("3")};
    for (int k = 0; k < 3; ++k) {
        const QString speed = QStringLiteral("K%1").arg(6 + k);
        rows.push_back({accelControls.value(k), speed + QStringLiteral("Accel"), 272 + k, QString(),
                        QStringLiteral("V/s"), QString(), false});
        rows.push_back({QStringLiteral("EditKSpeed") + suffixes[k], speed + QStringLiteral("Speed"), 63 + 2 * k,
                        QString(), QStringLiteral("%"), QString(), true});
        rows.push_back({QStringLiteral("EditKDecel") + suffixes[k], speed + QStringLiteral("Decel"), 64 + 2 * k,
                        QString(), QStringLiteral("V/s"), QString(), true});
    }
    return rows;
}

std::vector<TParameterControl> Functions() {
    return {List("DBLookupComboBoxDemandRedType", "DemandRedType", 263, "DemandRedType_"),
            List("DBLookupComboBoxStartDelay", "StartDelay", 267, "StartDelay"),
            List("DBLookupComboBoxRelayFunction", "RelayFunction", 268, "RelayFunction_"),
            List("DBLookupComboBoxCommandInput", "CommandInput", 269, "CommandInput_")};
}

void Append(std::vector<TParameterControl>& to, const std::vector<TParameterControl>& rows) {
    to.insert(to.end(), rows.begin(), rows.end());
}

} // namespace ParameterRows

void TViewParameter::BtnPrintClick() {
    PrintPages(false);
}

void TViewParameter::BtnServiceReportClick() {
    PrintPages(true);
}

void TViewParameter::PrintPages(bool report) {
    CommitPendingEdit();
    m_progress->setValue(0);
    if (Sets().IsEmpty()) {
        return; // no set to print
    }
    m_progress->setValue(5);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!ChoosePrinter || !ChoosePrinter(printer)) {
        m_progress->setValue(0);
        return;
    }
    TSetPrinting::Print(report ? TSetPrinting::Pages::Report : TSetPrinting::Pages::Printout, m_context.Database,
                        m_family, printer, m_context.Configuration.DataDirectory + QStringLiteral("Logo.svg"),
                        m_context.Ui, m_context.Time, [this](int position) { m_progress->setValue(position); });
}
