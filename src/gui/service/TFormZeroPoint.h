#pragma once

#include "core/app/ControllerCommands.h"
#include "core/service/TZeroPointMeter.h"

#include <QDialog>
#include <QTimer>

class QLabel;

// Shows the controller's measured zero point in large digits, read about ten
// times a second over one session that lives while the window is shown.
class TFormZeroPoint : public QDialog {
    Q_OBJECT
public:
    TFormZeroPoint(TConfiguration& configuration, Feedback& feedback, Clock& clock, QWidget* parent = nullptr);
    ~TFormZeroPoint() override;

    // The port the menu obtained for this showing, or none.
    void SetPort(TCommParameter* port) { m_port = port; }
    TControllerAccess& Access() { return m_access; }
    bool SessionOpen() const { return m_meter.IsOpen(); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString Text(int record) const;
    void FormActivate();
    void TimerMeasureTimer();
    void FormClose();
    void ShowReadOut(const QString& text, int pointSize);

    TControllerAccess m_access;
    TZeroPointMeter m_meter;
    TCommParameter* m_port = nullptr;
    QTimer m_timerMeasure;
    QLabel* m_editVal;
    bool m_inTick = false;
    bool m_closeRequested = false;
};
