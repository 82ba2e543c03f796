#pragma once

#include "core/app/ControllerCommands.h"
#include "core/service/TSpecialTest.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TLogger;

// Drives the controller's LEDs, relay and display segments by hand, asks a few
// identification values, browses its parameter list and changes single
// parameters without a range check; also sets the trace level of the log.
class TFormSpecialTest : public QDialog {
    Q_OBJECT
public:
    TFormSpecialTest(TConfiguration& configuration, Feedback& feedback, Clock& clock, TLogger& logger,
                     QWidget* parent = nullptr);

    void SetPort(TCommParameter* port) { m_port = port; }
    TControllerAccess& Access() { return m_access; }
    bool Connected() const { return m_test.Connected(); }

    void done(int result) override;

private:
    QString Text(int record) const;
    void BuildControls();
    void EnterDisconnectedState();
    void BitBtnConnectClick();
    void BitBtnDisconnectClick();
    void SwitchClick(QCheckBox* box, TSpecialTest::Output output);
    void AskClick(TSpecialTest::Question question, QLineEdit* shownIn, bool flash);
    void ButtonGetParameterClick();
    void BitBtnFirstClick();
    void BitBtnPrevClick();
    void BitBtnNextClick();
    void BitBtnLastClick();
    void ButtonChangeClick();
    void EditTraceLevelChange();
    void ShowParameter(const TTorvexParameter& parameter);
    void ShowBrowseResult(const TSpecialTest::BrowseResult& result);
    // The field as a whole number, or none after telling the user it is not one.
    std::optional<int> IntegerOf(const QString& text);
    void SetConnectedControlsEnabled(bool enabled);
    // After a command of the session: the disconnected state once the line has failed.
    void AfterCommand(bool done);

    TControllerAccess m_access;
    TLogger& m_logger;
    TSpecialTest m_test;
    TCommParameter* m_port = nullptr;

    QPushButton* m_connect;
    QPushButton* m_disconnect;
    QCheckBox* m_ledUp;
    QCheckBox* m_ledRun;
    QCheckBox* m_ledDown;
    QCheckBox* m_ledError;
    QCheckBox* m_ledSiu1;
    QCheckBox* m_relay;
    QGroupBox* m_miniTerminal;
    QRadioButton* m_segmentsOn;
    QRadioButton* m_segmentsOff;
    QPushButton* m_getValveType;
    QLineEdit* m_valveType;
    QPushButton* m_getControllerType;
    QLineEdit* m_controllerType;
    QPushButton* m_actualValue;
    QLineEdit* m_actualValueShown;
    QPushButton* m_getParameter;
    QLineEdit* m_paramNr;
    QLineEdit* m_paramName;
    QLineEdit* m_paramValue;
    QLineEdit* m_paramUnit;
    QPushButton* m_first;
    QPushButton* m_prev;
    QPushButton* m_next;
    QPushButton* m_last;
    QPushButton* m_change;
    QProgressBar* m_progress;
    QLineEdit* m_traceLevel;
};
