#pragma once

#include <QObject>
#include <QStatusBar>

class QFrame;
class QLabel;
class TLanguage;

// What the technician works with right now: the serial port last taken, the controller
// as last identified, the program's access level. One per program, shown by every
// window's status line.
class TSessionStatus : public QObject {
    Q_OBJECT
public:
    void SetPort(const QString& name); // empty: no port could be taken
    void SetController(const QString& line);
    void SetLevel(int level);
    const QString& Port() const { return m_port; }
    const QString& Controller() const { return m_controller; }
    int Level() const { return m_level; }

Q_SIGNALS:
    void Changed();

private:
    QString m_port;
    QString m_controller;
    int m_level = 1;
};

// The status line: port, controller and access level, and a remark of the window
// (why its buttons are disabled, what the last transfer did).
class TStatusLine : public QStatusBar {
    Q_OBJECT
public:
    TStatusLine(const TLanguage& language, TSessionStatus* status, QWidget* parent = nullptr);
    void SetRemark(const QString& text);
    QString Remark() const; // whole, however much of it the line has room for
    QString PortText() const;
    QString LevelText() const;

private:
    void Show();
    QString Text(int record) const;

    const TLanguage& m_language;
    TSessionStatus* m_status;
    QLabel* m_port;
    QLabel* m_controller;
    QLabel* m_level;
    QLabel* m_remark;
    QFrame* m_controllerSeparator;
    QFrame* m_remarkSeparator;
};
