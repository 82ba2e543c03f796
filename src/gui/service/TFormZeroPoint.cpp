#include "gui/service/TFormZeroPoint.h"
#include "gui/app/SlotGuard.h"

#include "core/app/TConfiguration.h"
#include "core/base/Language.h"

#include <QLabel>
#include <QVBoxLayout>

#include <exception>

QString TFormZeroPoint::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

TFormZeroPoint::TFormZeroPoint(TConfiguration& configuration, Feedback& feedback, Clock& clock, QWidget* parent)
    : QDialog(parent), m_access(configuration, feedback, clock), m_meter(m_access) {
    setObjectName(QStringLiteral("FormZeroPoint"));
    setWindowTitle(Text(135));
    m_editVal = new QLabel(this);
    m_editVal->setObjectName(QStringLiteral("EditVal"));
    m_editVal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editVal->setMinimumSize(420, 110);
    m_editVal->setFrameShape(QFrame::Panel);
    m_editVal->setFrameShadow(QFrame::Sunken);
    m_editVal->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_editVal);

    m_timerMeasure.setObjectName(QStringLiteral("TimerMeasure"));
    m_timerMeasure.setInterval(TZeroPointMeter::kTickInterval);
    GuardedConnect(&m_timerMeasure, &QTimer::timeout, this, &TFormZeroPoint::TimerMeasureTimer);
}

TFormZeroPoint::~TFormZeroPoint() {
    m_timerMeasure.stop();
}

void TFormZeroPoint::ShowReadOut(const QString& text, int pointSize) {
    QFont font = m_editVal->font();
    font.setBold(true);
    font.setPointSize(pointSize);
    m_editVal->setFont(font);
    m_editVal->setText(text);
}

void TFormZeroPoint::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setWindowTitle(Text(135));
    ShowReadOut(Text(226), TZeroPointMeter::WaitingFontSize(m_access.Configuration.Language().Index()));
    m_closeRequested = false;
    // The session opens after the window has appeared, so "please wait" is seen meanwhile.
    QTimer::singleShot(0, this, &TFormZeroPoint::FormActivate);
}

void TFormZeroPoint::FormActivate() {
    if (!isVisible() || m_meter.IsOpen()) {
        return;
    }
    if (m_port == nullptr) {
        // No port to read from: say so instead of opening a session that cannot work.
        ShowReadOut(Text(231), TZeroPointMeter::kErrorFontSize);
        return;
    }
    m_meter.Start(*m_port);
    m_timerMeasure.start();
}

void TFormZeroPoint::TimerMeasureTimer() {
    m_timerMeasure.stop();
    if (!m_meter.IsOpen()) {
        return;
    }
    m_inTick = true;
    try {
        const TZeroPointMeter::Reading reading = m_meter.Tick();
        setWindowTitle(m_meter.Title());
        ShowReadOut(reading.Text, reading.FontSize);
    } catch (const std::exception&) {
        // A reading that went wrong ends the measuring until the next showing.
        m_inTick = false;
        return;
    }
    m_inTick = false;
    if (m_closeRequested) {
        FormClose();
        return;
    }
    if (!m_meter.IsOpen()) {
        return; // the line failed: told, and nothing more to read until the next showing
    }
    m_timerMeasure.start();
}

void TFormZeroPoint::done(int result) {
    if (m_inTick) {
        m_closeRequested = true; // the reading under way finishes first
    } else {
        FormClose();
    }
    QDialog::done(result);
}

void TFormZeroPoint::FormClose() {
    setWindowTitle(Text(135));
    m_timerMeasure.stop();
    m_meter.Close();
    m_closeRequested = false;
}
