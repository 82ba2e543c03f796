#include "gui/app/TDlgConfiguration.h"
#include "gui/app/SlotGuard.h"

#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

TNumberEdit::TNumberEdit(const QString& objectName, bool signedDecimal, QWidget* parent)
    : QLineEdit(parent), m_signedDecimal(signedDecimal) {
    setObjectName(objectName);
    // Text that does not come through the keyboard (the context menu's paste, a drop, an
    // input method) must obey the same rule as typed characters.
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(signedDecimal ? QStringLiteral("[-.0-9]*") : QStringLiteral("[0-9]*")), this));
}

void TNumberEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (event->matches(QKeySequence::Paste)) {
        return;
    }
    const bool character = !text.isEmpty() && text.at(0).isPrint();
    if (character) {
        const QChar c = text.at(0);
        const bool allowed = c.isDigit() || (m_signedDecimal && (c == QLatin1Char('-') || c == QLatin1Char('.')));
        if (!allowed || text.size() != 1 || c.unicode() > 127) {
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

QString TDlgConfiguration::Text(int record) const {
    return m_configuration.Language().Text(record);
}

TDlgConfiguration::TDlgConfiguration(TConfiguration& configuration, Feedback& feedback, QWidget* parent)
    : QDialog(parent), m_configuration(configuration), m_editor(configuration, feedback) {
    setObjectName(QStringLiteral("DlgConfiguration"));
    setWindowTitle(Text(232));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControlConfiguration"));
    m_pages->addTab(BuildGeneralPage(), Text(119));
    m_pages->addTab(BuildDelaysPage(), Text(122));
    m_pages->addTab(BuildSerialPage(), Text(127));
    m_pages->addTab(BuildLanguagePage(), Text(4));

    auto* ok = new QPushButton(Text(Record::ButtonOk), this);
    ok->setObjectName(QStringLiteral("SettingsBtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(Text(Record::ButtonCancel), this);
    cancel->setObjectName(QStringLiteral("SettingsBtnCancel"));
    GuardedConnect(ok, &QPushButton::clicked, this, &TDlgConfiguration::SettingsBtnOKClick);
    GuardedConnect(cancel, &QPushButton::clicked, this, &TDlgConfiguration::SettingsBtnCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);

    GuardedConnect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (!m_showing) {
            return;
        }
        LeavePage(m_currentPage);
        m_currentPage = page;
        EnterPage(page);
    });

    // What creation of the dialog shows: the General page, the first port's settings.
    m_pages->setCurrentIndex(General);
    m_ports->setCurrentRow(m_configuration.PortCount() > 0 ? 0 : -1);
    ShowPortChoices(0);
    GuardedConnect(m_ports, &QListWidget::currentRowChanged, this, &TDlgConfiguration::ListBoxCommPortsClick);
    ShowFields();
    if (m_configuration.Language().StoredValue() == Language::Chinese) {
        ApplyChineseWidths();
    }
}

int TDlgConfiguration::HelpContext() const {
    switch (m_pages->currentIndex()) {
    case General: {
        const QWidget* focused = focusWidget();
        const bool first = focused != nullptr && (focused == m_workDirectory || focused == m_tempFileName ||
                                                  focused->objectName() == QLatin1String("SpeedBtnBrowseDir"));
        return first ? 2420 : 2421;
    }
    case Delays:
        return 2422;
    case SerialPort:
        return 2423;
    default:
        return 2424;
    }
}

void TDlgConfiguration::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && ShowHelp) {
        ShowHelp(HelpContext());
        return;
    }
    QDialog::keyPressEvent(event);
}

QLabel* TDlgConfiguration::Label(const QString& objectName, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, this);
    label->setObjectName(objectName);
    if (buddy != nullptr) {
        label->setBuddy(buddy);
    }
    return label;
}

void TDlgConfiguration::Bind(QLineEdit* edit, QString TSettingFields::*field) {
    GuardedConnect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) {
        m_configuration.Settings().*field = text; // a typed value takes effect at once
    });
}

QWidget* TDlgConfiguration::SpinField(TNumberEdit*& edit, const QString& objectName, const TSettingKey& key) {
    auto* box = new QWidget(this);
    edit = new TNumberEdit(objectName, key.Decimal, box);
    edit->setMaximumWidth(90);
    Bind(edit, key.Text);
    const int minimum = key.Minimum;
    const int maximum = key.Maximum;
    auto* up = new QToolButton(box);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName(objectName + QStringLiteral("Up"));
    auto* down = new QToolButton(box);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName(objectName + QStringLiteral("Down"));
    TNumberEdit* target = edit;
    const auto step = [target, minimum, maximum](int delta) {
        // A fraction is kept ("12.5" up is "13.5"); an empty or unreadable field starts at 0.
        bool ok = false;
        const double value = target->text().trimmed().toDouble(&ok);
        const double next = ok ? value + delta : 0.0;
        target->setText(QString::number(std::clamp(next, double(minimum), double(maximum)), 'g', 12));
    };
    GuardedConnect(up, &QToolButton::clicked, box, [step] { step(1); });
    GuardedConnect(down, &QToolButton::clicked, box, [step] { step(-1); });
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(edit);
    layout->addWidget(up);
    layout->addWidget(down);
    layout->addStretch();
    return box;
}

QWidget* TDlgConfiguration::BuildGeneralPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheetGeneral"));
    auto* grid = new QGridLayout(page);

    m_workDirectory = new QLineEdit(page);
    m_workDirectory->setObjectName(QStringLiteral("EdWorkDirectory"));
    m_workDirectory->setMinimumWidth(320);
    Bind(m_workDirectory, &TSettingFields::WorkDirectory);
    auto* browse = new QToolButton(page);
    browse->setObjectName(QStringLiteral("SpeedBtnBrowseDir"));
    browse->setText(QStringLiteral("..."));
    GuardedConnect(browse, &QToolButton::clicked, this, &TDlgConfiguration::SpeedBtnBrowseDirClick);
    auto* workRow = new QHBoxLayout;
    workRow->addWidget(m_workDirectory);
    workRow->addWidget(browse);
    m_tempFileName = new QLineEdit(page);
    m_tempFileName->setObjectName(QStringLiteral("EditTempFileName"));
    Bind(m_tempFileName, &TSettingFields::TempFileName);

    QWidget* pictures = SpinField(m_picturesPerFile, "EdNbPicturesPerFile", SettingKeys::PicturesPerFile);
    m_saveAuto = new QCheckBox(Text(251), page);
    m_saveAuto->setObjectName(QStringLiteral("CheckBoxSaveAuto"));
    GuardedConnect(m_saveAuto, &QCheckBox::clicked, this, [this](bool checked) {
        m_configuration.Settings().SaveAuto = checked;
        m_picturesPerFile->setEnabled(checked);
    });
    QWidget* length = SpinField(m_lengthOfPicture, "EdLengthOfPicture", SettingKeys::LengthOfPicture);
    QWidget* speed = SpinField(m_drawSpeed, "EdDrawSpeed", SettingKeys::DrawSpeed);
    QWidget* maxV = SpinField(m_curveMaxV, "EdCurveMaxV", SettingKeys::CurveMaxV);
    QWidget* minV = SpinField(m_curveMinV, "EdCurveMinV", SettingKeys::CurveMinV);

    int row = 0;
    QLabel* workLabel = Label("SettingsGeneralWorkDir", Text(120), m_workDirectory);
    grid->addWidget(workLabel, row, 0);
    grid->addLayout(workRow, row++, 1);
    QLabel* tempLabel = Label("SettingsGeneralTempFile", Text(121), m_tempFileName);
    grid->addWidget(tempLabel, row, 0);
    grid->addWidget(m_tempFileName, row++, 1);
    grid->addWidget(m_saveAuto, row++, 1);
    QLabel* picturesLabel = Label("SettingsGeneralNbPicturesPerFile", Text(249), m_picturesPerFile);
    grid->addWidget(picturesLabel, row, 0);
    grid->addWidget(pictures, row++, 1);
    QLabel* lengthLabel = Label("SettingsGeneralLengthOfPicture", Text(250), m_lengthOfPicture);
    grid->addWidget(lengthLabel, row, 0);
    grid->addWidget(length, row++, 1);
    QLabel* speedLabel = Label("SettingsGeneralDrawSpeed", Text(265), m_drawSpeed);
    grid->addWidget(speedLabel, row, 0);
    grid->addWidget(speed, row++, 1);
    QLabel* maxLabel = Label("SettingsGeneralCurveMaxV", Text(112) + QLatin1Char(' ') + Text(164), m_curveMaxV);
    grid->addWidget(maxLabel, row, 0);
    grid->addWidget(maxV, row++, 1);
    QLabel* minLabel = Label("SettingsGeneralCurveMinV", Text(112) + QLatin1Char(' ') + Text(165), m_curveMinV);
    grid->addWidget(minLabel, row, 0);
    grid->addWidget(minV, row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    m_chineseWidths.insert(m_chineseWidths.end(), {{workLabel, 200},
                                                   {tempLabel, 200},
                                                   {picturesLabel, 200},
                                                   {lengthLabel, 200},
                                                   {speedLabel, 200},
                                                   {maxLabel, 125},
                                                   {minLabel, 125}});
    return page;
}

QWidget* TDlgConfiguration::BuildDelaysPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheetTimeout"));
    auto* grid = new QGridLayout(page);
    QWidget* write = SpinField(m_eepromWrite, "EditEEpromWriteDelay", SettingKeys::EEpromWrite);
    QWidget* read = SpinField(m_readParameter, "EditReadParameter", SettingKeys::ParameterRead);
    QWidget* gap = SpinField(m_gapNewPage, "EditGapNewPage", SettingKeys::GapForNewPage);
    m_pauseSending = new QCheckBox(Text(261), page);
    m_pauseSending->setObjectName(QStringLiteral("CheckBoxPauseSending"));
    GuardedConnect(m_pauseSending, &QCheckBox::clicked, this,
                   [this](bool checked) { m_configuration.Settings().PauseSending = checked; });

    QLabel* writeLabel = Label("SettingsTimeoutWriteEEprom", Text(123), m_eepromWrite);
    QLabel* readLabel = Label("SettingsTimeoutReadParam", Text(124), m_readParameter);
    QLabel* gapLabel = Label("SettingsTimeoutNewPic", Text(125), m_gapNewPage);
    QLabel* unit = Label("SettingsTimeoutTimeUnit", Text(126), nullptr);
    grid->addWidget(writeLabel, 0, 0);
    grid->addWidget(write, 0, 1);
    grid->addWidget(readLabel, 1, 0);
    grid->addWidget(read, 1, 1);
    grid->addWidget(gapLabel, 2, 0);
    grid->addWidget(gap, 2, 1);
    grid->addWidget(m_pauseSending, 3, 0, 1, 2);
    grid->addWidget(unit, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
    m_chineseWidths.insert(m_chineseWidths.end(), {{writeLabel, 200}, {readLabel, 200}, {gapLabel, 200}, {unit, 125}});
    return page;
}

QWidget* TDlgConfiguration::BuildSerialPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheetCommSetup"));
    m_ports = new QListWidget(page);
    m_ports->setObjectName(QStringLiteral("ListBoxCommPorts"));
    m_ports->addItems(m_configuration.PortNames());

    const auto combo = [page](const char* name, const QStringList& items) {
        auto* box = new QComboBox(page);
        box->setObjectName(QLatin1String(name));
        box->addItems(items);
        box->setCurrentIndex(-1); // nothing chosen until a port's settings are shown
        return box;
    };
    m_baud = combo("ComboBoxBaud", PortChoices::BaudRateTexts());
    m_dataBits = combo("ComboBoxDataBits", {"7", "8"});
    m_stopBits = combo("ComboBoxStopBits", {"1", "2"});
    m_parity = combo("ComboBoxParity", PortChoices::ParityTexts());
    const bool portsFound = m_configuration.Settings().PortChoicesEnabled;
    for (QComboBox* box : {m_baud, m_dataBits, m_stopBits, m_parity}) {
        box->setEnabled(portsFound);
    }
    m_asStandard = new QCheckBox(Text(133), page);
    m_asStandard->setObjectName(QStringLiteral("CheckBoxAsStandard"));
    GuardedConnect(m_asStandard, &QCheckBox::clicked, this, &TDlgConfiguration::CheckBoxAsStandardClick);
    m_standardPort = new QLabel(page);
    m_standardPort->setObjectName(QStringLiteral("PanelStandardPort"));
    m_standardPort->setFrameShape(QFrame::Panel);
    m_standardPort->setFrameShadow(QFrame::Sunken);
    m_standardPort->setMinimumWidth(140);

    auto* settings = new QGridLayout;
    QLabel* baudLabel = Label("SettingsSerialBaud", Text(129), m_baud);
    QLabel* dataLabel = Label("SettingsSerialData", Text(130), m_dataBits);
    QLabel* stopLabel = Label("SettingsSerialStop", Text(131), m_stopBits);
    QLabel* parityLabel = Label("SettingsSerialParity", Text(132), m_parity);
    settings->addWidget(baudLabel, 0, 0);
    settings->addWidget(m_baud, 0, 1);
    settings->addWidget(dataLabel, 1, 0);
    settings->addWidget(m_dataBits, 1, 1);
    settings->addWidget(stopLabel, 2, 0);
    settings->addWidget(m_stopBits, 2, 1);
    settings->addWidget(parityLabel, 3, 0);
    settings->addWidget(m_parity, 3, 1);
    settings->addWidget(m_asStandard, 4, 0);
    settings->addWidget(m_standardPort, 4, 1);
    settings->setRowStretch(5, 1);

    QLabel* portsLabel = Label("SettingsSerialPorts", Text(128), m_ports);
    auto* list = new QVBoxLayout;
    list->addWidget(portsLabel);
    list->addWidget(m_ports);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(list, 1);
    layout->addLayout(settings, 1);
    m_chineseWidths.insert(m_chineseWidths.end(),
                           {{portsLabel, 200}, {baudLabel, 70}, {dataLabel, 70}, {stopLabel, 70}, {parityLabel, 70}});
    return page;
}

QWidget* TDlgConfiguration::BuildLanguagePage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheetLanguageSetup"));
    auto* group = new QGroupBox(page);
    auto* radios = new QVBoxLayout(group);
    const struct {
        const char* name;
        int record;
        int value;
        bool shown;
    } choices[] = {{"RadioButtonGerman", 0, 1, true},        {"RadioButtonEnglish", 1, 2, true},
                   {"RadioButtonEnglishUS", 317, 102, true}, {"RadioButtonFrench", 2, 3, true},
                   {"RadioButtonItalian", 3, 4, true},       {"RadioButtonSpanish", 288, 5, true},
                   {"RadioButtonPolish", 306, 6, false},     {"RadioButtonChinese", 16, 7, true},
                   {"RadioButtonJapanese", 264, 8, false},   {"RadioButtonSimplChinese", 266, 9, false}};
    for (const auto& choice : choices) {
        auto* radio = new QRadioButton(Text(choice.record), group);
        radio->setObjectName(QLatin1String(choice.name));
        radio->setVisible(choice.shown);
        radio->setEnabled(choice.value != 9);
        radios->addWidget(radio);
        const int value = choice.value;
        // Only a click is the user's choice; the program checks the stored one silently.
        GuardedConnect(radio, &QRadioButton::clicked, this, [this, value] { m_configuration.ChooseLanguage(value); });
        m_languages.emplace_back(radio, value);
    }
    QLabel* tip = Label("SettingsLanguageTip", Text(134), nullptr);
    tip->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addWidget(tip);
    layout->addStretch();
    m_chineseWidths.emplace_back(tip, 450);
    return page;
}

void TDlgConfiguration::ApplyChineseWidths() {
    // The widths are where the Chinese labels start; a label that needs more gets it,
    // a cut character helps nobody.
    for (const auto& [label, width] : m_chineseWidths) {
        label->setMinimumWidth(width);
        label->setWordWrap(false);
    }
}

void TDlgConfiguration::ShowFields() {
    const TSettingFields& s = m_configuration.Settings();
    const auto set = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text) {
            edit->setText(text);
        }
    };
    set(m_workDirectory, s.WorkDirectory);
    set(m_tempFileName, s.TempFileName);
    set(m_picturesPerFile, s.PicturesPerFile);
    set(m_lengthOfPicture, s.LengthOfPicture);
    set(m_drawSpeed, s.DrawSpeed);
    set(m_curveMaxV, s.CurveMaxV);
    set(m_curveMinV, s.CurveMinV);
    set(m_eepromWrite, s.EEpromWrite);
    set(m_readParameter, s.ParameterRead);
    set(m_gapNewPage, s.GapForNewPage);
    m_saveAuto->setChecked(s.SaveAuto);
    m_picturesPerFile->setEnabled(s.SaveAuto);
    m_pauseSending->setChecked(s.PauseSending);
    m_asStandard->setChecked(s.StandardPortEnabled);
    m_standardPort->setText(s.StandardPort);
    m_standardPort->setVisible(s.StandardPortEnabled);
    for (const auto& [radio, value] : m_languages) {
        if (value == m_configuration.Language().StoredValue()) {
            radio->setChecked(true);
        }
    }
}

void TDlgConfiguration::showEvent(QShowEvent* event) {
    m_showing = true;
    m_currentPage = m_pages->currentIndex();
    EnterPage(m_currentPage); // the focus lands on the page shown first
    QDialog::showEvent(event);
}

void TDlgConfiguration::EnterPage(int page) {
    if (page == General) {
        m_editor.EnterGeneralPage();
    } else if (page == Delays) {
        m_editor.EnterDelaysPage();
    }
    ShowFields();
}

void TDlgConfiguration::LeavePage(int page) {
    if (page == General) {
        m_editor.LeaveGeneralPage();
    } else if (page == Delays) {
        m_editor.LeaveDelaysPage();
    }
    ShowFields();
}

TSettingsEditor::PortChoiceTexts TDlgConfiguration::ShownChoices() const {
    const auto text = [](const QComboBox* box) { return box->currentIndex() < 0 ? QString() : box->currentText(); };
    return {text(m_baud), text(m_dataBits), text(m_stopBits), text(m_parity)};
}

void TDlgConfiguration::ShowPortChoices(int portIndex) {
    const TSettingsEditor::PortChoiceTexts values = m_editor.PortChoicesOf(portIndex);
    // A value the list does not offer (1200 baud from the file) selects nothing.
    m_baud->setCurrentIndex(m_baud->findText(values.Baud));
    m_dataBits->setCurrentIndex(m_dataBits->findText(values.DataBits));
    m_stopBits->setCurrentIndex(m_stopBits->findText(values.StopBits));
    m_parity->setCurrentIndex(m_parity->findText(values.Parity));
}

void TDlgConfiguration::ListBoxCommPortsClick(int row) {
    if (row < 0) {
        return;
    }
    m_editor.ChoosePort(row, ShownChoices());
    ShowPortChoices(row);
}

void TDlgConfiguration::CheckBoxAsStandardClick() {
    TSettingFields& s = m_configuration.Settings();
    s.StandardPortEnabled = m_asStandard->isChecked();
    const int shown = s.PreviousPortIndex;
    s.StandardPort = shown >= 0 && shown < m_configuration.PortCount() ? m_configuration.PortNames()[shown] : QString();
    m_standardPort->setText(s.StandardPort);
    m_standardPort->setVisible(s.StandardPortEnabled);
}

void TDlgConfiguration::SpeedBtnBrowseDirClick() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, Text(190), m_workDirectory->text(), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) {
        m_workDirectory->setText(folder);
    }
}

void TDlgConfiguration::SettingsBtnOKClick() {
    LeavePage(m_currentPage);
    const bool close = m_editor.Ok(m_ports->currentRow(), ShownChoices(), windowTitle());
    ShowFields();
    if (close) {
        m_showing = false;
        accept();
    }
}

void TDlgConfiguration::SettingsBtnCancelClick() {
    LeavePage(m_currentPage); // the page is left as the focus moves to the button
    m_showing = false;
    reject();
}
