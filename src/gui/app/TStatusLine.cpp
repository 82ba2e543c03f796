#include "gui/app/TStatusLine.h"

#include "core/base/Language.h"

#include <QLabel>

void TSessionStatus::SetPort(const QString& name) {
    m_port = name;
    Q_EMIT Changed();
}

void TSessionStatus::SetController(const QString& line) {
    if (!line.isEmpty()) { // an operation that reached no controller does not forget the last one
        m_controller = line;
        Q_EMIT Changed();
    }
}

void TSessionStatus::SetLevel(int level) {
    m_level = level;
    Q_EMIT Changed();
}

TStatusLine::TStatusLine(const TLanguage& language, TSessionStatus* status, QWidget* parent)
    : QStatusBar(parent), m_language(language), m_status(status) {
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false);
    const auto label = [this](const char* name, int stretch) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        addWidget(l, stretch);
        return l;
    };
    m_port = label("StatusPort", 0);
    m_controller = label("StatusController", 0);
    m_level = label("StatusLevel", 0);
    m_remark = label("StatusRemark", 1);
    if (m_status != nullptr) {
        connect(m_status, &TSessionStatus::Changed, this, &TStatusLine::Show);
    }
    Show();
}

QString TStatusLine::Text(int record) const { return m_language.Text(record); }

QString TStatusLine::PortText() const {
    const QString port = m_status != nullptr ? m_status->Port() : QString();
    return Text(127) + QStringLiteral(": ") + (port.isEmpty() ? Text(187) : port);
}

QString TStatusLine::LevelText() const {
    // Levels 4 and 5 only switch menu items on and are back to 1 at once.
    const int level = m_status != nullptr ? m_status->Level() : 1;
    const int record = level == 2 ? 171 : level == 3 ? 172 : 170;
    return Text(record) + QStringLiteral(" (") + QString::number(level == 2 || level == 3 ? level : 1) +
           QLatin1Char(')');
}

void TStatusLine::SetRemark(const QString& text) { m_remark->setText(text); }

void TStatusLine::Show() {
    m_port->setText(PortText());
    const QString controller = m_status != nullptr ? m_status->Controller() : QString();
    m_controller->setText(controller);
    m_controller->setVisible(!controller.isEmpty());
    m_level->setText(LevelText());
}
