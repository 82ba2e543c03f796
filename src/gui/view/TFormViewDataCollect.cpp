#include "gui/view/TFormViewDataCollect.h"

#include "gui/app/SlotGuard.h"

#include "gui/app/TProgram.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/view/TCurveDisplay.h"
#include "gui/view/TCurvePrinting.h"
#include "gui/view/TZoom.h"

#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"
#include "core/base/SaveFile.h"
#include "core/livedata/TDataRecorder.h"
#include "print/TPagePainter.h"

#include <QAction>
#include <QActionEvent>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

// What the recorder tells the user: messages as the program shows them, status notes in this
// window's panel (they come from the recorder's thread and are handed to the window's).
class TViewFeedback : public Feedback {
public:
    TViewFeedback(Feedback& ui, QObject* window, std::function<void(int, QString)> status)
        : m_ui(ui), m_window(window), m_status(std::move(status)) {}
    MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                              MessageButtons buttons) override {
        return m_ui.ShowMessage(kind, caption, text, buttons);
    }
    std::optional<QString> ChoosePort(const QStringList& names) override { return m_ui.ChoosePort(names); }
    void ShowStatus(int panel, const QString& text) override {
        QMetaObject::invokeMethod(
            m_window, [this, panel, text] { m_status(panel, text); }, Qt::QueuedConnection);
    }

private:
    Feedback& m_ui;
    QObject* m_window;
    std::function<void(int, QString)> m_status;
};

constexpr int kFirstDrawMs = 666;
constexpr int kDrawIntervalMs = 25;

} // namespace

TFormViewDataCollect::TFormViewDataCollect(TConfiguration& configuration, Feedback& feedback, Clock& clock,
                                           PortReservation port, TProgramWindows* windows, QWidget* parent)
    : QDialog(parent), m_configuration(configuration), m_feedback(feedback), m_clock(clock), m_port(*port),
      m_reservation(std::move(port)), m_windows(windows), m_portName(m_port.Name) {
    setObjectName(QStringLiteral("FormViewDataCollect"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowTitle(QStringLiteral("WinTorvex32 - Version: ") + TConfiguration::ProgramVersion + QStringLiteral("  ") +
                   Text(221) + QStringLiteral(" : ") + m_portName);
    BuildControls();
    SetEnabled({"MenuViewDataFileOpen"}, true);
    SetEnabled({"MenuViewDataFileSaveAs", "MenuViewDataFileRestartCollectingData"}, false);

    // What the recording tells while it runs (a full file copied away, a file found cut short, a
    // failed write) goes into status panel 3 and the log.
    m_recorderFeedback = std::make_unique<TViewFeedback>(m_feedback, this, [this](int panel, const QString& text) {
        SetStatus(panel, QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        m_configuration.Log(QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    });
    // The recorder's and the receiver's threads get a clock of their own: the window's pauses to
    // paint, which only its own thread may do.
    m_recorder =
        std::make_unique<TDataRecorder>(TRecorderSetup::FromConfiguration(m_configuration), *m_recorderFeedback,
                                        m_lineClock, SerialLineFactory(m_port, m_configuration.Ports()));
    const int count = m_recorder->InitialPictureCount();
    TViewWorkerSettings settings;
    settings.DrawSpeed = m_configuration.GetDrawSpeed();
    settings.LengthOfPicture = m_configuration.GetLengthOfPicture();
    m_worker = std::make_unique<TViewDataWorker>(m_recorder->Output(), settings, count);

    setWindowState(windowState() | Qt::WindowMaximized);
    m_currentPicture = count - 1;
    // A single stored picture gets its read-out as well as many do.
    if (count > 0) {
        StoredPictureSetUp();
    }
    m_rememberedLeft = {m_configuration.GetCurveMinV(), m_configuration.GetCurveMaxV()};
    m_curves->SetLeftRange(m_rememberedLeft.first, m_rememberedLeft.second);
    m_curves->SetBottomRange(0, m_configuration.GetLengthOfPicture() * 1000.0);

    SetCaptions();
    m_idle = true;
    SetEnabled({"ToolButtonMenuViewShow"}, count > 0);
    m_pictureNumber->setEnabled(count > 0);
    for (const char* name : {"ToolButtonFirst", "ToolButtonPrev", "ToolButtonNext", "ToolButtonLast"}) {
        SetEnabled({name}, false);
    }
    SetStatus(0, Text(112));
    SetStatus(1, Text(113));
    SetStatus(2, Text(246) + Text(Record::Unknown));
    SetStatus(3, QString());
    m_curves->SetTitleLines(Text(188), QString());
    if (count > 0) {
        m_firstDraw->start();
    }
    m_drawTimer->start();
    if (auto* application = qobject_cast<TApplication*>(QCoreApplication::instance())) {
        m_errorScope = application->HandleFor(this, [this](const std::exception& error) { ShowUnhandledError(error); });
    }
    if (!m_recorder->ReceiverPresent()) {
        CollectingFailed();
    }
}

void TFormViewDataCollect::CollectingFailed() {
    // A port that does not open leaves the window stopped, and says why.
    EnterStoppedState();
    const QString why = m_recorder->ReceiverError().isEmpty() ? m_portName : m_recorder->ReceiverError();
    m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error), Text(189) + QStringLiteral("\r") + why,
                           MessageButtons::Ok);
}

TFormViewDataCollect::~TFormViewDataCollect() {
    StopChain();
    m_recorder.reset(); // stamps and closes the data file, closes the port
    m_worker.reset();
}

QString TFormViewDataCollect::Text(int record) const {
    return m_configuration.Language().Text(record);
}

QAction* TFormViewDataCollect::AddAction(QMenu* menu, const char* name, const QString& text,
                                         void (TFormViewDataCollect::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (menu != nullptr) {
        menu->addAction(action);
    }
    if (slot != nullptr) {
        GuardedConnect(action, &QAction::triggered, this, slot);
    }
    m_actions[action->objectName()] = action;
    return action;
}

namespace {
// A tool button keeps its own hint: a button takes its action's tooltip again at every change of
// the action (enabled or not), which would replace the hint the language records give it.
class THintedToolButton : public QToolButton {
public:
    THintedToolButton(QWidget* parent, QString hint) : QToolButton(parent), m_hint(std::move(hint)) {}

protected:
    void actionEvent(QActionEvent* event) override {
        QToolButton::actionEvent(event);
        setToolTip(m_hint);
    }

private:
    QString m_hint;
};
} // namespace

QToolButton* TFormViewDataCollect::AddToolButton(QToolBar* bar, const char* name, QAction* action,
                                                 const QString& hint) {
    auto* button = new THintedToolButton(bar, hint);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

void TFormViewDataCollect::BuildControls() {
    QStyle* style = this->style();
    auto* menuBar = new QToolBar(this);
    menuBar->setObjectName(QStringLiteral("MenuViewData"));
    menuBar->setMovable(false);

    auto* file = new QMenu(this);
    file->setObjectName(QStringLiteral("MenuViewDataFile"));
    AddAction(file, "MenuViewDataFileNew", Text(77), &TFormViewDataCollect::NewClick);
    AddAction(file, "MenuViewDataFileOpen", Text(78), &TFormViewDataCollect::OpenClick)
        ->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    AddAction(file, "MenuViewDataFileSaveAs", Text(80), &TFormViewDataCollect::SaveAsClick)
        ->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    AddAction(file, "MenuViewDataFilePrintPage", Text(81), &TFormViewDataCollect::PrintPageClick);
    AddAction(file, "MenuViewDataFileExportPng", Text(32).remove(QLatin1Char('&')) + QStringLiteral(" PNG ..."),
              &TFormViewDataCollect::ExportPngClick);
    AddAction(file, "MenuViewDataFileExportCsv", Text(32).remove(QLatin1Char('&')) + QStringLiteral(" CSV ..."),
              &TFormViewDataCollect::ExportCsvClick);
    file->addSeparator();
    AddAction(file, "MenuViewDataFileRestartCollectingData", Text(82), &TFormViewDataCollect::StartClick)
        ->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    AddAction(file, "MenuViewDataFileStop", Text(83), &TFormViewDataCollect::StopClick)
        ->setIcon(style->standardIcon(QStyle::SP_MediaStop));
    file->addSeparator();
    AddAction(file, "MenuViewDataFileExit", Text(6), &TFormViewDataCollect::ExitClick);

    auto* view = new QMenu(this);
    view->setObjectName(QStringLiteral("MenuViewDataView"));
    auto* toolbars = view->addMenu(Text(86));
    toolbars->setObjectName(QStringLiteral("MenuViewViewToolbar"));
    QAction* standardItem = AddAction(toolbars, "MenuViewViewToolbarStandard", Text(87), nullptr);
    QAction* curvesItem = AddAction(toolbars, "MenuViewViewToolbarGraphics", Text(88), nullptr);
    QAction* statusItem = AddAction(view, "MenuViewViewStatusBar", Text(89), nullptr);
    auto* signalsMenu = view->addMenu(Text(90));
    signalsMenu->setObjectName(QStringLiteral("MenuViewViewSignals"));
    const std::array<const char*, 5> seriesItems{"MenuViewViewSignalsSetPoint", "MenuViewViewSignalsActualValue",
                                                 "MenuViewViewSignalsSolenoid", "MenuViewViewSignalsFrequency",
                                                 "MenuViewViewSignalsLogic"};
    const std::array<int, 5> seriesRecords{91, 92, 93, 94, 150};
    for (std::size_t i = 0; i < seriesItems.size(); ++i) {
        QAction* item = AddAction(signalsMenu, seriesItems[i], Text(seriesRecords[i]), nullptr);
        item->setCheckable(true);
        item->setChecked(true);
    }

    auto* graphics = new QMenu(this);
    graphics->setObjectName(QStringLiteral("MenuViewDataGraphics"));
    AddAction(graphics, "MenuViewDataGraphicsZoomIn", Text(97), &TFormViewDataCollect::ZoomInClick)
        ->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    AddAction(graphics, "MenuViewDataGraphicsZoomOut", Text(98), &TFormViewDataCollect::ZoomOutClick)
        ->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    AddAction(graphics, "MenuViewDataGraphicsNormal", Text(99), &TFormViewDataCollect::ZoomAllClick)
        ->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    AddAction(graphics, "MenuViewDataGraphicsZoomDetail", Text(105), &TFormViewDataCollect::ZoomSectorClick)
        ->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));

    auto* parameters = new QMenu(this);
    parameters->setObjectName(QStringLiteral("MenuViewDataParameter"));
    GuardedConnect(AddAction(parameters, "CollectTKX", Text(8), nullptr), &QAction::triggered, this,
                   [this] { ParameterClick(false); });
    GuardedConnect(AddAction(parameters, "CollectVFTKX", Text(9), nullptr), &QAction::triggered, this,
                   [this] { ParameterClick(true); });

    const auto menuButton = [&](const char* name, const QString& text, QMenu* menu) {
        auto* button = new QToolButton(menuBar);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(text);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        menuBar->addWidget(button);
    };
    menuButton("ToolButtonMenuViewDataFile", Text(5), file);
    menuButton("ToolButtonMenuViewDataView", Text(85), view);
    menuButton("ToolButtonMenuViewDataGraphics", Text(96), graphics);
    menuButton("ToolButtonParameter", Text(7), parameters);

    auto* standard = new QToolBar(this);
    standard->setObjectName(QStringLiteral("ToolBarViewDataStandard"));
    AddToolButton(standard, "ToolButtonDataFileStop", m_actions["MenuViewDataFileStop"], Text(100));
    AddToolButton(standard, "ToolButtonDataFileStart", m_actions["MenuViewDataFileRestartCollectingData"], Text(101));
    AddToolButton(standard, "ToolButtonMenuViewDataFileOpen", m_actions["MenuViewDataFileOpen"], Text(102));
    AddToolButton(standard, "ToolButtonMenuViewDataFileSave", m_actions["MenuViewDataFileSaveAs"], Text(103));

    auto* curveBar = new QToolBar(this);
    curveBar->setObjectName(QStringLiteral("ToolBarMenuViewDataGraphics"));
    AddToolButton(curveBar, "ToolButtonMenuViewDataGraphicsZoomIn", m_actions["MenuViewDataGraphicsZoomIn"], Text(106));
    AddToolButton(curveBar, "ToolButtonMenuViewDataGraphicsZoomOut", m_actions["MenuViewDataGraphicsZoomOut"],
                  Text(107));
    AddToolButton(curveBar, "ToolButtonMenuViewDataGraphicsNormal", m_actions["MenuViewDataGraphicsNormal"], Text(104));
    AddToolButton(curveBar, "ToolButtonZoom", m_actions["MenuViewDataGraphicsZoomDetail"], Text(105));
    curveBar->addSeparator();
    const struct {
        const char* Name;
        QStyle::StandardPixmap Icon;
        TPictureNavigation::Mode Mode;
        int Hint;
    } navigation[] = {{"ToolButtonFirst", QStyle::SP_MediaSkipBackward, TPictureNavigation::First, 108},
                      {"ToolButtonPrev", QStyle::SP_MediaSeekBackward, TPictureNavigation::Previous, 109},
                      {"ToolButtonNext", QStyle::SP_MediaSeekForward, TPictureNavigation::Next, 110},
                      {"ToolButtonLast", QStyle::SP_MediaSkipForward, TPictureNavigation::Last, 111}};
    for (const auto& n : navigation) {
        QAction* action = AddAction(nullptr, n.Name, QString(), nullptr);
        action->setIcon(style->standardIcon(n.Icon));
        const TPictureNavigation::Mode mode = n.Mode;
        GuardedConnect(action, &QAction::triggered, this, [this, mode] { Navigate(mode); });
        AddToolButton(curveBar, n.Name, action, Text(n.Hint));
    }
    m_pictureNumber = new QLineEdit(curveBar);
    m_pictureNumber->setObjectName(QStringLiteral("EditNbParaSet"));
    m_pictureNumber->setToolTip(Text(235));
    m_pictureNumber->setMaximumWidth(70);
    curveBar->addWidget(m_pictureNumber);
    QAction* show = AddAction(nullptr, "ToolButtonMenuViewShow", Text(234), &TFormViewDataCollect::ShowSelectedPicture);
    AddToolButton(curveBar, "ToolButtonMenuViewShow", show, Text(183))->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Checked at every change of its text and when the field is entered.
    GuardedConnect(m_pictureNumber, &QLineEdit::textChanged, this, &TFormViewDataCollect::PictureNumberEdited);
    m_pictureNumber->installEventFilter(this);
    GuardedConnect(m_pictureNumber, &QLineEdit::returnPressed, this, [this] {
        PictureNumberEdited(m_pictureNumber->text());
        ShowSelectedPicture();
        m_pictureNumber->clear();
    });

    m_curves = new TCurveDisplay(this);
    m_curves->SetSeriesTitles({Text(91), Text(92), Text(141), Text(178), Text(179)});
    GuardedConnect(m_curves, &TCurveDisplay::ReadOutAt, this, [this](double x, double) { ShowReadOut(x); });
    GuardedConnect(m_curves, &TCurveDisplay::RangeChanged, this, &TFormViewDataCollect::RangeChanged);

    m_values = new QWidget(this);
    m_values->setObjectName(QStringLiteral("PanelValues"));
    auto* grid = new QGridLayout(m_values);
    grid->setContentsMargins(6, 2, 6, 2);
    const struct {
        const char* Box;
        const char* Caption;
        const char* Value;
        int Record;
    } rows[] = {{"CheckBoxSetPoint", "LabelSetText", "LabelSet", 91},
                {"CheckBoxActValue", "LabelActText", "LabelAct", 92},
                {"CheckBoxMagnet", "LabelMagVoltText", "LabelMagVolt", 93},
                {"CheckBoxFrequency", "LabelFreqVoltText", "LabelFreqVolt", 94},
                {nullptr, "LabelContrText", "LabelContr", 141}};
    const std::array<int, 4> seriesOfRow{0, 1, 3, 4};
    int row = 0;
    for (const auto& r : rows) {
        if (r.Box != nullptr) {
            auto* box = new QCheckBox(m_values);
            box->setObjectName(QString::fromLatin1(r.Box));
            box->setChecked(true);
            const int series = seriesOfRow[std::size_t(row)];
            GuardedConnect(box, &QCheckBox::clicked, this, [this, series] { ToggleSeries(series); });
            m_seriesBoxes[std::size_t(row)] = box;
            grid->addWidget(box, row, 0);
        }
        auto* caption = new QLabel(Text(r.Record), m_values);
        caption->setObjectName(QString::fromLatin1(r.Caption));
        auto* value = new QLabel(QStringLiteral("-"), m_values);
        value->setObjectName(QString::fromLatin1(r.Value));
        value->setMinimumWidth(70);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, row, 1);
        grid->addWidget(value, row, 2);
        ++row;
    }
    auto* logicBox = new QCheckBox(m_values);
    logicBox->setObjectName(QStringLiteral("CheckBoxLogik"));
    logicBox->setChecked(true);
    GuardedConnect(logicBox, &QCheckBox::clicked, this, &TFormViewDataCollect::ToggleLogic);
    m_seriesBoxes[4] = logicBox;
    grid->addWidget(logicBox, 0, 4);
    auto* logicTitle = new QLabel(Text(150) + QLatin1Char(':'), m_values);
    logicTitle->setObjectName(QStringLiteral("LabelLogicTitle"));
    grid->addWidget(logicTitle, 0, 5);
    auto* logic = new QLabel(QStringLiteral("-"), m_values);
    logic->setObjectName(QStringLiteral("LabelLogic"));
    grid->addWidget(logic, 0, 6, 1, 2);
    for (int k = 0; k < 8; ++k) {
        auto* name = new QLabel(QStringLiteral("K%1").arg(k + 1), m_values);
        auto* state = new QLabel(QStringLiteral("-"), m_values);
        state->setObjectName(QStringLiteral("LabelK%1").arg(k + 1));
        grid->addWidget(name, 1 + k % 4, 5 + 2 * (k / 4));
        grid->addWidget(state, 1 + k % 4, 6 + 2 * (k / 4));
    }
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(9, 3);
    m_values->hide();

    const std::array<std::pair<const char*, int>, 4> seriesAction{{{"MenuViewViewSignalsSetPoint", 0},
                                                                   {"MenuViewViewSignalsActualValue", 1},
                                                                   {"MenuViewViewSignalsSolenoid", 3},
                                                                   {"MenuViewViewSignalsFrequency", 4}}};
    for (const auto& [name, series] : seriesAction) {
        const int s = series;
        GuardedConnect(m_actions[QString::fromLatin1(name)], &QAction::triggered, this, [this, s] { ToggleSeries(s); });
    }
    GuardedConnect(m_actions["MenuViewViewSignalsLogic"], &QAction::triggered, this,
                   &TFormViewDataCollect::ToggleLogic);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBarViewData"));
    m_statusBar->setSizeGripEnabled(false);
    for (std::size_t p = 0; p < m_panels.size(); ++p) {
        m_panels[p] = new QLabel(m_statusBar);
        m_panels[p]->setObjectName(QStringLiteral("StatusPanel%1").arg(p));
        m_statusBar->addWidget(m_panels[p], p == 3 ? 1 : 0);
        m_panels[p]->setMinimumWidth(p == 2 ? 280 : 140);
    }

    // Tool bars and status bar are shown and hidden by their menu items and their pop-up menu.
    const auto toggler = [this](QAction* item, QWidget* target) {
        item->setCheckable(true);
        item->setChecked(true);
        GuardedConnect(item, &QAction::toggled, target, &QWidget::setVisible);
    };
    toggler(standardItem, standard);
    toggler(curvesItem, curveBar);
    toggler(statusItem, m_statusBar);
    for (QToolBar* bar : {standard, curveBar}) {
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        GuardedConnect(bar, &QWidget::customContextMenuRequested, this,
                       [this, bar, standardItem, curvesItem, statusItem](const QPoint& at) {
                           QMenu popup(this);
                           popup.addAction(standardItem);
                           popup.addAction(curvesItem);
                           popup.addAction(statusItem);
                           popup.exec(bar->mapToGlobal(at));
                       });
    }

    auto* bars = new QHBoxLayout;
    bars->setSpacing(12);
    bars->addWidget(standard);
    bars->addWidget(curveBar);
    bars->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(menuBar);
    layout->addLayout(bars);
    layout->addWidget(m_curves, 1);
    layout->addWidget(m_values);
    layout->addWidget(m_statusBar);
    resize(1100, 760);

    m_firstDraw = new QTimer(this);
    m_firstDraw->setObjectName(QStringLiteral("TimerFirstDraw"));
    m_firstDraw->setSingleShot(true);
    m_firstDraw->setInterval(kFirstDrawMs);
    GuardedConnect(m_firstDraw, &QTimer::timeout, this, [this] { ShowPicture(TPictureNavigation::Last); });
    m_drawTimer = new QTimer(this);
    m_drawTimer->setInterval(kDrawIntervalMs);
    GuardedConnect(m_drawTimer, &QTimer::timeout, this, &TFormViewDataCollect::TakeWorkerEvents);

    ChooseFile = [this](const TFileRequest& request) {
        QFileDialog dialog(this, request.Title, request.Directory);
        dialog.setObjectName(request.Save ? QStringLiteral("SaveDialog") : QStringLiteral("FileOpenDialog"));
        dialog.setNameFilters(request.Filters);
        dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QFileInfo(request.ProposedName).suffix());
        dialog.selectFile(request.ProposedName);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    ChoosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setObjectName(QStringLiteral("PrintDialogCurve"));
        return dialog.exec() == QDialog::Accepted;
    };
    ShowZoom = [](TZoom& zoom) { zoom.exec(); };
}

void TFormViewDataCollect::SetCaptions() {
    // The captions above come from the language records; here only what depends on the state.
    m_actions["MenuViewDataFileStop"]->setToolTip(Text(100));
    m_actions["MenuViewDataFileRestartCollectingData"]->setToolTip(Text(101));
}

void TFormViewDataCollect::SetStatus(int panel, const QString& text) {
    m_panels[std::size_t(panel)]->setText(text);
}

QString TFormViewDataCollect::StatusText(int panel) const {
    return m_panels[std::size_t(panel)]->text();
}

void TFormViewDataCollect::SetEnabled(std::initializer_list<const char*> names, bool enabled) {
    for (const char* name : names) {
        const auto found = m_actions.find(QString::fromLatin1(name));
        if (found != m_actions.end()) {
            found->second->setEnabled(enabled);
        }
    }
}

void TFormViewDataCollect::SetChartTitle(const QString& text) {
    m_curves->SetTitleLines(text, QString());
}

void TFormViewDataCollect::ToggleSeries(int series) {
    static const std::map<int, std::pair<const char*, int>> items{{0, {"MenuViewViewSignalsSetPoint", 0}},
                                                                  {1, {"MenuViewViewSignalsActualValue", 1}},
                                                                  {3, {"MenuViewViewSignalsSolenoid", 2}},
                                                                  {4, {"MenuViewViewSignalsFrequency", 3}}};
    const auto& [name, box] = items.at(series);
    // The menu item's mark decides; a click on the box or the item both flip it.
    QAction* item = m_actions[QString::fromLatin1(name)];
    const bool active = !m_curves->IsSeriesActive(series);
    item->setChecked(active);
    m_seriesBoxes[std::size_t(box)]->setChecked(active);
    m_curves->SetSeriesActive(series, active);
}

void TFormViewDataCollect::ToggleLogic() {
    const bool visible = !m_curves->IsLogicVisible();
    m_actions["MenuViewViewSignalsLogic"]->setChecked(visible);
    m_seriesBoxes[4]->setChecked(visible);
    m_curves->SetLogicVisible(visible);
}

void TFormViewDataCollect::EnterStoppedState() {
    SetEnabled({"MenuViewDataFileSaveAs", "MenuViewDataFileRestartCollectingData", "MenuViewDataFileOpen",
                "MenuViewDataFileNew", "MenuViewDataFilePrintPage"},
               true);
    SetEnabled({"MenuViewDataFileStop"}, false);
    m_reservation.Release();
    m_collecting = false;
}

void TFormViewDataCollect::StopCollecting() {
    m_recorder->StopReceiver();
    EnterStoppedState();
    m_clock.Sleep(1000);
}

void TFormViewDataCollect::RestartCollecting() {
    SetEnabled({"MenuViewDataFileOpen", "MenuViewDataFileStop"}, true);
    SetEnabled({"MenuViewDataFileSaveAs", "MenuViewDataFileRestartCollectingData"}, false);
    m_recorder->StartReceiver();
    if (!m_recorder->ReceiverPresent()) {
        CollectingFailed();
        return;
    }
    if (!m_port.InUse) {
        m_reservation = PortReservation(m_port);
    }
    m_collecting = true;
    if (isVisible()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    m_worker->ResetTimePosition();
    m_firstDraw->start();
}

void TFormViewDataCollect::ResetDataFile() {
    if (m_recorder->NewFile()) {
        m_worker->SetPictureCount(0);
        ShowEmptyFile();
    }
    SetEnabled({"MenuViewDataFileOpen"}, true);
}

void TFormViewDataCollect::ShowEmptyFile() {
    m_currentPicture = -1;
    m_picture = TPictureCurves();
    LivePictureSetUp(0);
    m_curves->Clear();
    ClearReadOut();
    SetStatus(0, Text(112) + QStringLiteral("0"));
    SetStatus(1, Text(113) + QStringLiteral("0"));
    setWindowTitle(QStringLiteral("WinTorvex32 - ") + Text(221) + QStringLiteral(" : ") + m_portName);
    SetEnabled({"MenuViewDataFileOpen"}, true);
}

void TFormViewDataCollect::NewClick() {
    if (m_currentPicture >= 0 && m_feedback.ShowMessage(MessageKind::Warning, windowTitle(), Text(193),
                                                        MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    ResetDataFile();
}

void TFormViewDataCollect::OpenClick() {
    if (m_currentPicture >= 0 && m_feedback.ShowMessage(MessageKind::Warning, windowTitle(), Text(193),
                                                        MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    TFileRequest request;
    request.Title = QStringLiteral("Open File");
    request.Directory = m_configuration.GetWorkDirectory();
    request.ProposedName = m_fileName.isEmpty() ? QStringLiteral("*.dat") : m_fileName;
    request.Filters = {QStringLiteral("Data Files (*.dat)"), QStringLiteral("Any Files (*)")};
    const QString chosen = ChooseFile(request);
    if (!chosen.isEmpty()) {
        m_fileName = chosen;
    }
    // Cancelled: the file used last is opened again.
    const QString name = m_fileName;
    if (name.isEmpty()) {
        m_feedback.ShowMessage(MessageKind::Error, windowTitle(), Text(Record::FileNameNotValid), MessageButtons::Ok);
        return;
    }
    const QString fileOnly = QFileInfo(name).fileName();
    const qsizetype dot = fileOnly.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? fileOnly.mid(dot) : QString();
    if (extension != QLatin1String(".dat")) {
        m_feedback.ShowMessage(MessageKind::Error, windowTitle(),
                               Text(Record::FileFormatNotValid) + QStringLiteral("   *") + extension,
                               MessageButtons::Ok);
        return;
    }
    setWindowTitle(QStringLiteral("WinTorvex32 - ") + Text(222) + QStringLiteral(" : ") + fileOnly);
    int count = 0;
    if (!m_recorder->OpenFile(name, count)) {
        m_currentPicture = -1;
        m_worker->SetPictureCount(0);
        return;
    }
    m_worker->SetPictureCount(count);
    if (count == 0) {
        // Nothing of the file shown before may stay on the screen.
        m_currentPicture = -1;
        m_picture = TPictureCurves();
        m_curves->Clear();
        ClearReadOut();
        SetEnabled({"ToolButtonFirst", "ToolButtonPrev", "ToolButtonNext", "ToolButtonLast", "ToolButtonMenuViewShow"},
                   false);
        m_pictureNumber->setEnabled(false);
        SetStatus(0, Text(112) + QStringLiteral("0"));
        SetStatus(1, Text(113) + QStringLiteral("0"));
        return;
    }
    m_currentPicture = count - 1;
    StoredPictureSetUp();
    SetStatus(0, Text(112) + QString::number(count));
    SetStatus(1, Text(113) + QString::number(count));
    m_firstDraw->start();
}

void TFormViewDataCollect::SaveAsClick() {
    TFileRequest request;
    request.Save = true;
    request.Title = QStringLiteral("Save As");
    request.Directory = m_configuration.GetWorkDirectory();
    request.ProposedName = m_fileName.isEmpty() ? QStringLiteral("*.dat") : m_fileName;
    request.Filters = {QStringLiteral("Data File (*.dat)"), QStringLiteral("Any File (*)")};
    const QString chosen = ChooseFile(request);
    if (chosen.isEmpty()) {
        return;
    }
    m_fileName = chosen;
    // A copy that did not reach the disk must not pass for saved.
    QString why;
    if (!m_recorder->SaveCopy(chosen, &why)) {
        m_feedback.ShowMessage(MessageKind::Error, windowTitle(),
                               Text(Record::WriteFileError) + chosen + QStringLiteral("\r(") + why + QLatin1Char(')'),
                               MessageButtons::Ok);
    }
}

void TFormViewDataCollect::PrintPageClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    m_feedback.SetBusy(true);
    if (!ChoosePrinter || !ChoosePrinter(printer)) {
        m_feedback.SetBusy(false);
        return;
    }
    TCurvePrinting::Texts texts;
    texts.Header = Text(213) + QStringLiteral(" - ") + Text(215) + QStringLiteral(" - ") + Text(216) +
                   QStringLiteral(" - ") + Text(217);
    texts.Contact = Text(218) + QStringLiteral("    ") + Text(219);
    texts.Footer = StatusText(0) + QStringLiteral("    ") + StatusText(2) + QStringLiteral("    ") + Text(206) +
                   LocaleDateTimeText(m_clock.Now());
    const QString logo = m_configuration.DataDirectory + QStringLiteral("Logo.svg");
    // A PDF is made in memory and saved whole: a full disk keeps the old file and says why.
    const QString pdf = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    TCurvePrinting::Outcome outcome;
    QString reason;
    bool saved = true;
    if (pdf.isEmpty()) {
        outcome = TCurvePrinting::Print(printer, *m_curves, texts, logo);
    } else {
        saved = TPagePainter::SavePdf(
            pdf, printer.pageLayout(), printer.resolution(),
            [&](QPagedPaintDevice& device) {
                outcome = TCurvePrinting::Print(device, *m_curves, texts, logo);
                return outcome.Printed;
            },
            reason);
    }
    m_feedback.SetBusy(false);
    if (!outcome.Printed || !saved) {
        const QString why = reason.isEmpty() ? QString() : QStringLiteral("\r(") + reason + QLatin1Char(')');
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error),
                               Text(Record::WriteFileError) + (pdf.isEmpty() ? printer.printerName() : pdf) + why,
                               MessageButtons::Ok);
    } else if (!outcome.LogoError.isEmpty()) {
        m_feedback.ShowMessage(MessageKind::Error, Text(248), outcome.LogoError, MessageButtons::Ok);
    }
}

void TFormViewDataCollect::ExportPngClick() {
    TFileRequest request;
    request.Save = true;
    request.Title = Text(32).remove(QLatin1Char('&')) + QStringLiteral(" PNG");
    request.Directory = m_configuration.GetExportDirectory();
    request.ProposedName = QDir(request.Directory).filePath(QStringLiteral("picture-%1.png").arg(m_currentPicture + 1));
    request.Filters = {QStringLiteral("PNG (*.png)")};
    const QString chosen = ChooseFile(request);
    if (chosen.isEmpty()) {
        return;
    }
    m_configuration.SetExportDirectory(QFileInfo(chosen).absolutePath());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_curves->Grab(2.0).save(&buffer, "PNG");
    QString reason;
    if (!SaveWholeFile(chosen, bytes, reason)) {
        m_feedback.ShowMessage(MessageKind::Error, windowTitle(),
                               Text(Record::WriteFileError) + chosen + QStringLiteral("\r") + reason,
                               MessageButtons::Ok);
    }
}

void TFormViewDataCollect::ExportCsvClick() {
    if (m_picture.Records.empty()) {
        return;
    }
    TFileRequest request;
    request.Save = true;
    request.Title = Text(32).remove(QLatin1Char('&')) + QStringLiteral(" CSV");
    request.Directory = m_configuration.GetExportDirectory();
    request.ProposedName = QDir(request.Directory).filePath(QStringLiteral("picture-%1.csv").arg(m_currentPicture + 1));
    request.Filters = {QStringLiteral("CSV (*.csv)")};
    const QString chosen = ChooseFile(request);
    if (chosen.isEmpty()) {
        return;
    }
    m_configuration.SetExportDirectory(QFileInfo(chosen).absolutePath());
    QString reason;
    if (!SaveWholeFile(chosen, DataFile::PictureCsv(m_picture.Records), reason)) {
        m_feedback.ShowMessage(MessageKind::Error, windowTitle(),
                               Text(Record::WriteFileError) + chosen + QStringLiteral("\r") + reason,
                               MessageButtons::Ok);
    }
}

void TFormViewDataCollect::StartClick() {
    RestartCollecting();
}

void TFormViewDataCollect::StopClick() {
    StopCollecting();
    ShowPicture(TPictureNavigation::Last);
}

void TFormViewDataCollect::ExitClick() {
    close();
}

void TFormViewDataCollect::ParameterClick(bool vfTkx) {
    if (!m_configuration.DatabaseAvailable) {
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error), Text(Record::DatabaseNotAvailable),
                               MessageButtons::Ok);
        return;
    }
    if (m_windows == nullptr) {
        return;
    }
    TViewParameter* window = vfTkx ? static_cast<TViewParameter*>(m_windows->ViewITKXParameter())
                                   : static_cast<TViewParameter*>(m_windows->ViewTKXParameter());
    PortReservation port;
    if (m_reservation) {
        // Our own port: the window pauses the collection around each use of it.
        window->SetPort(&m_port);
        window->SetAttachedView(this);
    } else {
        port = m_configuration.SelectPort();
        window->SetPort(port.Get());
        window->SetAttachedView(nullptr);
    }
    window->PrepareWindow();
    // Modal like this window, or it could not take input while this one runs.
    window->exec();
    window->SetAttachedView(nullptr);
}

void TFormViewDataCollect::ShowUnhandledError(const std::exception& error) {
    // An index beyond a series (a read-out at the very edge) is no news to the technician; it is logged.
    if (dynamic_cast<const std::out_of_range*>(&error) != nullptr) {
        return;
    }
    m_feedback.ShowMessage(MessageKind::Error, Text(175),
                           QString::fromUtf8(error.what()) + QStringLiteral("\r") + Text(174) + QStringLiteral("0"),
                           MessageButtons::Ok);
}

void TFormViewDataCollect::StopChain() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    m_firstDraw->stop();
    m_drawTimer->stop();
    m_recorder->Stop();
    m_worker->Stop();
}

bool TFormViewDataCollect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pictureNumber && event->type() == QEvent::FocusIn) {
        PictureNumberEdited(m_pictureNumber->text());
    }
    return QDialog::eventFilter(watched, event);
}

void TFormViewDataCollect::keyPressEvent(QKeyEvent* event) {
    // Esc would close the window and end a collection without a word: while collecting it does
    // nothing; Stop, Exit or the window's close button end it.
    if (event->key() == Qt::Key_Escape && m_collecting) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormViewDataCollect::done(int result) {
    StopChain();
    QDialog::done(result);
}

void TFormViewDataCollect::closeEvent(QCloseEvent* event) {
    StopChain();
    QDialog::closeEvent(event);
}
