#pragma once

#include "core/access/TPasswordLevel.h"

#include <QMainWindow>

class Clock;
enum class MainCommand;
class Feedback;
class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class TConfiguration;
class TSessionStatus;
class TViewParameter;
class TProgramWindows;

// The main window: a strip across the top of the screen holding only the menu bar.
// Every function opens its own window or sends one command to the controller.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    TFormMain(TConfiguration& configuration, Feedback& feedback, Clock& clock, QWidget* parent = nullptr);

    static QString Caption();

    // The windows created after this one; the menus open them.
    void SetWindows(TProgramWindows* windows) { m_windows = windows; }
    // The status line under the menu bar.
    void SetStatus(TSessionStatus* status);

    // Shows and enables, or hides and disables, the items that depend on the password level.
    void ApplyMenuState(const TPasswordLevel::MenuState& state);

    // The help file of the current language, opened at a help context (0: its index).
    void ShowHelp(int helpContext);

    // No context menu on the bars: the menu bar cannot be hidden by a stray right click.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString Text(int record) const;
    QMenu* AddMenu(QMenu* parent, const QString& objectName, const QString& caption, int helpContext);
    QAction* AddItem(QMenu* menu, const QString& objectName, const QString& caption, int helpContext,
                     void (TFormMain::*handler)());
    QToolButton* AddMenuButton(const QString& objectName, QMenu* menu);
    bool CheckDatabase();
    // Takes a port (the result may be none), shows the window modally, releases the port.
    template <typename Window> void ShowWithPort(Window& window);
    void ShowParameterWindow(TViewParameter& window);
    void RunControllerCommand(MainCommand command);
    // Yes/No before a command that overwrites the controller's working settings.
    bool ConfirmOverwrite(const char* item);

    void MenuFileExitClick();
    void MenuParameterTKXClick();
    void MenuParameterITKXClick();
    void SubMenuLoadFactorySettingsClick();
    void SubMenuEditFactorySettingsClick();
    void SubMenuSaveFactorySettingsClick();
    void SubMenuLoadUserSettingsClick();
    void SubMenuSaveUserSettingsClick();
    void MenuParameterResetClick();
    void MenuDataCollectClick();
    void MenuMainPasswortWinTorvex32Click();
    void SubMenuPwPelvorLoginClick();
    void SubMenuPwPelvorChangeClick();
    void SubMenuPwPelvorLogoutClick();
    void SubMenuPwPelvorReadLevelClick();
    void SubMenuPwPelvorReadCodeClick();
    void MenuMainConfigurationClick();
    void MenuMainParameterListClick();
    void MenuMainZeroPointClick();
    void MenuMainSpecialTestClick();
    void MenuMainLogbookClick();
    void MenuMainContentsClick();
    void MenuMainAboutClick();

    TConfiguration& m_configuration;
    Feedback& m_feedback;
    Clock& m_clock;
    TProgramWindows* m_windows = nullptr;
    QToolBar* m_menuBar = nullptr;
    QToolBar* m_standardBar = nullptr;
    TSessionStatus* m_status = nullptr;
};
