#pragma once

#include <QMainWindow>

class QToolBar;
class QToolButton;
class QMenu;
class TConfiguration;

// The main window: a strip across the top of the screen holding the menu bar.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(TConfiguration& configuration, QWidget* parent = nullptr);

    static QString Caption();

private:
    QToolButton* AddMenuButton(const QString& objectName, QMenu* menu);

    TConfiguration& m_configuration;
    QToolBar* m_menuBar;
};
