#include "TFormMain.h"

#include "app/Language.h"
#include "app/TConfiguration.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

QString TFormMain::Caption() {
    return QStringLiteral("WinTorvex32 - Version: ") + TConfiguration::ProgramVersion + QStringLiteral("  ");
}

TFormMain::TFormMain(TConfiguration& configuration, QWidget* parent)
    : QMainWindow(parent), m_configuration(configuration) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(Caption());

    m_menuBar = new QToolBar(this);
    m_menuBar->setObjectName(QStringLiteral("ToolBarMenu"));
    m_menuBar->setMovable(false);
    m_menuBar->setFloatable(false);
    addToolBar(m_menuBar);

    auto* menuFile = new QMenu(Text(5), this);
    menuFile->setObjectName(QStringLiteral("MenuFile"));
    QAction* exit = menuFile->addAction(Text(6));
    exit->setObjectName(QStringLiteral("MenuFileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    auto* menuParameter = new QMenu(Text(7), this);
    menuParameter->setObjectName(QStringLiteral("MenuParameter"));
    auto* menuData = new QMenu(Text(10), this);
    menuData->setObjectName(QStringLiteral("MenuData"));
    auto* menuExtras = new QMenu(Text(13), this);
    menuExtras->setObjectName(QStringLiteral("MenuMainExtras"));
    auto* menuHelp = new QMenu(Text(19), this);
    menuHelp->setObjectName(QStringLiteral("MenuMainHelp"));

    AddMenuButton(QStringLiteral("ToolButtonMenuMainFile"), menuFile);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainParameter"), menuParameter);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainData"), menuData);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainSerialLine"), menuExtras);
    AddMenuButton(QStringLiteral("ToolButtonMenuMainHelp"), menuHelp);

    // Only as tall as the menu bar: every function opens its own window.
    setFixedHeight(m_menuBar->sizeHint().height() + 2);
}

QToolButton* TFormMain::AddMenuButton(const QString& objectName, QMenu* menu) {
    auto* button = new QToolButton(m_menuBar);
    button->setObjectName(objectName);
    button->setText(menu->title());
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    if (LanguageIndex == 7) {
        // Chinese captions are measured badly by auto-sizing; the menu bar uses fixed widths.
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
