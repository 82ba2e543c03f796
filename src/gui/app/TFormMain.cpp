#include "gui/app/TFormMain.h"
#include "gui/app/SlotGuard.h"

#include "core/access/TControllerPassword.h"
#include "gui/access/TPasswordForm.h"
#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/access/TPasswordPelvorForm.h"
#include "gui/app/TDlgConfiguration.h"
#include "gui/app/THelpViewer.h"
#include "gui/app/TProgram.h"
#include "gui/app/TStatusLine.h"
#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/factory/TSaveFactorySettingsForm.h"
#include "gui/params/TParamConfigForm.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/service/TAboutBox.h"
#include "gui/service/TFormLogbook.h"
#include "gui/service/TFormSpecialTest.h"
#include "gui/service/TFormZeroPoint.h"
#include "gui/view/TFormViewDataCollect.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {
const char* const kHelpContext = "helpContext";
}

QString TFormMain::Caption() {
    return QStringLiteral("WinTorvex32 - Version: ") + TConfiguration::ProgramVersion + QStringLiteral("  ");
}

QString TFormMain::Text(int record) const {
    return m_configuration.Language().Text(record);
}

TFormMain::TFormMain(TConfiguration& configuration, Feedback& feedback, Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_configuration(configuration), m_feedback(feedback), m_clock(clock) {
    setObjectName(QStringLiteral("FormMain"));

    m_standardBar = new QToolBar(this);
    m_standardBar->setObjectName(QStringLiteral("ToolBarStandard"));
    m_standardBar->hide(); // never shown: every function lives in the menus
    m_standardBar->toggleViewAction()->setEnabled(false);
    m_menuBar = new QToolBar(this);
    m_menuBar->setObjectName(QStringLiteral("ToolBarMenu"));
    m_menuBar->setMovable(false);
    m_menuBar->setFloatable(false);
    m_menuBar->toggleViewAction()->setEnabled(false);
    m_menuBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(m_menuBar);

    m_configuration.SetLanguageIndex(m_configuration.GetLanguageIndex());
    setWindowTitle(Caption());

    auto* menuMain = new QMenu(this);
    menuMain->setObjectName(QStringLiteral("MenuMain"));

    QMenu* file = AddMenu(menuMain, "MenuFile", Text(5), 210);
    AddItem(file, "MenuFileExit", Text(6), 211, &TFormMain::MenuFileExitClick);

    QMenu* parameter = AddMenu(menuMain, "MenuParameter", Text(7), 220);
    AddItem(parameter, "MenuParameterTKX", Text(8), 221, &TFormMain::MenuParameterTKXClick);
    AddItem(parameter, "MenuParameterITKX", Text(9), 222, &TFormMain::MenuParameterITKXClick);
    QMenu* loadSave = AddMenu(parameter, "MenuParameterLoadSave", Text(202), 223);
    AddItem(loadSave, "SubMenuLoadFactorySettings", Text(203), 224, &TFormMain::SubMenuLoadFactorySettingsClick);
    AddItem(loadSave, "SubMenuEditFactorySettings", Text(309), 0, &TFormMain::SubMenuEditFactorySettingsClick);
    AddItem(loadSave, "SubMenuSaveFactorySettings", Text(275), 0, &TFormMain::SubMenuSaveFactorySettingsClick);
    AddItem(loadSave, "SubMenuLoadUserSettings", Text(204), 225, &TFormMain::SubMenuLoadUserSettingsClick);
    AddItem(loadSave, "SubMenuSaveUserSettings", Text(205), 226, &TFormMain::SubMenuSaveUserSettingsClick);
    AddItem(parameter, "MenuParameterReset", Text(227), 227, &TFormMain::MenuParameterResetClick);

    QMenu* data = AddMenu(menuMain, "MenuData", Text(10), 230);
    AddItem(data, "MenuDataCollect", Text(12), 231, &TFormMain::MenuDataCollectClick);

    QMenu* extras = AddMenu(menuMain, "MenuMainExtras", Text(13), 240);
    AddItem(extras, "MenuMainPasswortWinTorvex32", Text(14) + QStringLiteral(" (WinTorvex32)"), 241,
            &TFormMain::MenuMainPasswortWinTorvex32Click);
    QMenu* pelvor = AddMenu(extras, "MenuMainPasswordPelvor", Text(14) + QStringLiteral(" (Pelvor)"), 245);
    AddItem(pelvor, "SubMenuPwPelvorLogin", Text(290), 245, &TFormMain::SubMenuPwPelvorLoginClick);
    AddItem(pelvor, "SubMenuPwPelvorLogout", Text(291), 245, &TFormMain::SubMenuPwPelvorLogoutClick);
    AddItem(pelvor, "SubMenuPwPelvorChange", Text(292), 245, &TFormMain::SubMenuPwPelvorChangeClick);
    AddItem(pelvor, "SubMenuPwPelvorReadLevel", Text(293), 245, &TFormMain::SubMenuPwPelvorReadLevelClick);
    AddItem(pelvor, "SubMenuPwPelvorReadCode", Text(295), 245, &TFormMain::SubMenuPwPelvorReadCodeClick);
    AddItem(extras, "MenuMainConfiguration", Text(15), 242, &TFormMain::MenuMainConfigurationClick);
    AddItem(extras, "MenuMainParameterList", Text(230), 243, &TFormMain::MenuMainParameterListClick);
    AddItem(extras, "MenuMainZeroPoint", Text(17), 244, &TFormMain::MenuMainZeroPointClick);
    AddItem(extras, "MenuMainSpecialTest", Text(18), 245, &TFormMain::MenuMainSpecialTestClick);
    AddItem(extras, "MenuMainLogbook", Text(Record::Logbook), 0, &TFormMain::MenuMainLogbookClick);

    QMenu* help = AddMenu(menuMain, "MenuMainHelp", Text(19), 0);
    AddItem(help, "MenuMainContents", Text(228), 0, &TFormMain::MenuMainContentsClick);
    AddItem(help, "MenuMainAbout", Text(20), 0, &TFormMain::MenuMainAboutClick);

    AddMenuButton(QStringLiteral("ToolButtonMenuMainFile"), file);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainParameter"), parameter);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainData"), data);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainSerialLine"), extras);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainHelp"), help);

    ApplyMenuState(TPasswordLevel::MenuFor(1));

    // Only as tall as the menu bar: every function opens its own window.
    const int height = m_menuBar->sizeHint().height();
    setMinimumHeight(height);
    setMaximumHeight(height);
}

void TFormMain::SetStatus(TSessionStatus* status) {
    m_status = status;
    auto* line = new TStatusLine(m_configuration.Language(), status, this);
    setStatusBar(line);
    // Still only as tall as its bars.
    const int height = m_menuBar->sizeHint().height() + line->sizeHint().height();
    setMinimumHeight(height);
    setMaximumHeight(height);
}

QMenu* TFormMain::AddMenu(QMenu* parent, const QString& objectName, const QString& caption, int helpContext) {
    auto* menu = new QMenu(caption, this);
    menu->setObjectName(objectName);
    menu->menuAction()->setObjectName(objectName);
    menu->menuAction()->setProperty(kHelpContext, helpContext);
    menu->installEventFilter(this);
    parent->addMenu(menu);
    return menu;
}

QAction* TFormMain::AddItem(QMenu* menu, const QString& objectName, const QString& caption, int helpContext,
                            void (TFormMain::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    action->setProperty(kHelpContext, helpContext);
    if (handler != nullptr) {
        GuardedConnect(action, &QAction::triggered, this, handler);
    }
    return action;
}

QToolButton* TFormMain::AddMenuButton(const QString& objectName, QMenu* menu) {
    auto* button = new QToolButton(m_menuBar);
    button->setObjectName(objectName);
    button->setText(menu->title());
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    if (m_configuration.Language().IsChinese()) {
        // Chinese captions get fixed widths instead of sizing themselves.
        static const QHash<QString, int> widths{{QStringLiteral("ToolButtonMenuMainFile"), 160},
                                                {QStringLiteral("ToolButtonMenuMainParameter"), 180},
                                                {QStringLiteral("ToolButtonMenuMainData"), 160},
                                                {QStringLiteral("ToolButtonMenuMainSerialLine"), 160},
                                                {QStringLiteral("ToolButtonMenuMainHelp"), 160}};
        button->setFixedWidth(widths.value(objectName, 160));
    }
    m_menuBar->addWidget(button);
    return button;
}

void TFormMain::ApplyMenuState(const TPasswordLevel::MenuState& state) {
    const std::pair<const char*, bool> items[] = {{"MenuMainConfiguration", true},
                                                  {"MenuMainParameterList", state.ParameterList},
                                                  {"MenuMainZeroPoint", true},
                                                  {"MenuMainSpecialTest", state.SpecialTest},
                                                  {"SubMenuSaveFactorySettings", state.SaveFactorySettings},
                                                  {"SubMenuEditFactorySettings", state.EditFactorySettings}};
    for (const auto& [name, shown] : items) {
        if (auto* action = findChild<QAction*>(QLatin1String(name))) {
            action->setVisible(shown);
            action->setEnabled(shown);
        }
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    // F1 on a menu item opens the help at that item's context.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched); menu != nullptr && menu->activeAction() != nullptr) {
            const int context = menu->activeAction()->property(kHelpContext).toInt();
            menu->close();
            ShowHelp(context);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) {
        return;
    }
    // The program ends with its main window: the help viewer must not keep it alive.
    if (m_windows != nullptr && m_windows->HelpIfMade() != nullptr) {
        m_windows->HelpIfMade()->close();
    }
    QCoreApplication::quit();
}

void TFormMain::ShowHelp(int helpContext) {
    if (m_windows != nullptr) {
        m_windows->Help()->ShowContext(helpContext);
    }
}

bool TFormMain::CheckDatabase() {
    if (m_configuration.DatabaseAvailable) {
        return true;
    }
    m_feedback.ShowMessage(MessageKind::Error, Text(Record::Error), Text(Record::DatabaseNotAvailable),
                           MessageButtons::Ok);
    return false;
}

template <typename Window> void TFormMain::ShowWithPort(Window& window) {
    const PortReservation port = m_configuration.SelectPort();
    window.SetPort(port.Get());
    window.exec();
    window.SetPort(nullptr);
}

void TFormMain::RunControllerCommand(MainCommand command) {
    TControllerAccess access(m_configuration, m_feedback, m_clock);
    RunMainCommand(access, command);
}

void TFormMain::MenuFileExitClick() {
    close();
}

void TFormMain::MenuParameterTKXClick() {
    if (CheckDatabase()) {
        ShowParameterWindow(*m_windows->ViewTKXParameter());
    }
}

void TFormMain::MenuParameterITKXClick() {
    if (CheckDatabase()) {
        ShowParameterWindow(*m_windows->ViewITKXParameter());
    }
}

void TFormMain::ShowParameterWindow(TViewParameter& window) {
    const PortReservation port = m_configuration.SelectPort(); // the window opens also without one
    if (m_status != nullptr) {
        m_status->SetPort(port ? port->Name : QString());
    }
    window.SetPort(port.Get());
    window.PrepareWindow();
    window.exec();
}

bool TFormMain::ConfirmOverwrite(const char* item) {
    // These commands replace the controller's working settings: one stray click must not.
    const QAction* action = findChild<QAction*>(QLatin1String(item));
    const QString what = action != nullptr ? action->text().remove(QLatin1Char('&')) : QString();
    return m_feedback.ShowMessage(MessageKind::Warning, Caption().trimmed(), what + QStringLiteral("?"),
                                  MessageButtons::YesNo) == MessageAnswer::Yes;
}

void TFormMain::SubMenuLoadFactorySettingsClick() {
    if (ConfirmOverwrite("SubMenuLoadFactorySettings")) {
        RunControllerCommand(MainCommand::LoadFactorySettings);
    }
}

void TFormMain::SubMenuEditFactorySettingsClick() {
    if (CheckDatabase()) {
        m_windows->EditFactorySettings()->exec();
    }
}

void TFormMain::SubMenuSaveFactorySettingsClick() {
    m_windows->SaveFactorySettings()->exec();
}

void TFormMain::SubMenuLoadUserSettingsClick() {
    if (ConfirmOverwrite("SubMenuLoadUserSettings")) {
        RunControllerCommand(MainCommand::LoadUserSettings);
    }
}

void TFormMain::SubMenuSaveUserSettingsClick() {
    RunControllerCommand(MainCommand::SaveUserSettings);
}

void TFormMain::MenuParameterResetClick() {
    RunControllerCommand(MainCommand::ResetErrorList);
}

void TFormMain::MenuDataCollectClick() {
    PortReservation port = m_configuration.SelectPort();
    if (!port) {
        return;
    }
    // The data view is made anew for every collection and holds the port while it is open.
    TFormViewDataCollect view(m_configuration, m_feedback, m_clock, std::move(port), m_windows, this);
    view.SetChartTitle(Text(188));
    view.exec();
}

void TFormMain::MenuMainPasswortWinTorvex32Click() {
    m_windows->PasswordForm()->exec();
}

void TFormMain::SubMenuPwPelvorLoginClick() {
    if (TControllerPassword(m_windows->PasswordPelvor()->Access()).CheckPasswordFunction() != 0) {
        m_windows->PasswordPelvor()->exec();
    }
}

void TFormMain::SubMenuPwPelvorChangeClick() {
    if (TControllerPassword(m_windows->PasswordPelvorChange()->Access()).CheckPasswordFunction() != 0) {
        m_windows->PasswordPelvorChange()->exec();
    }
}

void TFormMain::SubMenuPwPelvorLogoutClick() {
    TControllerPassword password(m_windows->PasswordPelvor()->Access());
    if (password.CheckPasswordFunction() != 0) {
        password.Logout();
    }
}

void TFormMain::SubMenuPwPelvorReadLevelClick() {
    TControllerPassword password(m_windows->PasswordPelvor()->Access());
    if (password.CheckPasswordFunction() != 0) {
        password.ReadLevel();
    }
}

void TFormMain::SubMenuPwPelvorReadCodeClick() {
    TControllerPassword password(m_windows->PasswordPelvor()->Access());
    if (const int version = password.CheckPasswordFunction(); version != 0) {
        password.ReadCode(version);
    }
}

void TFormMain::MenuMainConfigurationClick() {
    m_windows->Configuration()->exec();
}

void TFormMain::MenuMainParameterListClick() {
    m_windows->ParamConfig()->SetUpColumns();
    m_windows->ParamConfig()->exec();
}

void TFormMain::MenuMainZeroPointClick() {
    ShowWithPort(*m_windows->ZeroPoint());
}

void TFormMain::MenuMainLogbookClick() {
    m_windows->Logbook()->exec();
}

void TFormMain::MenuMainSpecialTestClick() {
    ShowWithPort(*m_windows->SpecialTest());
}

void TFormMain::MenuMainContentsClick() {
    ShowHelp(0);
}

void TFormMain::MenuMainAboutClick() {
    m_windows->About()->exec();
}
