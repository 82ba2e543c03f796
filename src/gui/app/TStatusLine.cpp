#include "gui/app/TStatusLine.h"
#include "gui/app/SlotGuard.h"

#include "core/base/Language.h"

#include <QFrame>
#include <QLabel>

#include <algorithm>

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

namespace {

// The remark takes the room the other parts leave; a remark longer than that ends in "..."
// and shows whole as its tooltip, so the port, controller and level are never cut.
class TRemarkLabel : public QLabel {
public:
    explicit TRemarkLabel(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    void SetFullText(const QString& text) {
        m_full = text;
        Fit();
    }
    QString FullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Fit();
    }

private:
    void Fit() {
        const QString shown = fontMetrics().elidedText(m_full, Qt::ElideRight, std::max(0, contentsRect().width()));
        setText(shown);
        setToolTip(shown == m_full ? QString() : m_full);
    }
    QString m_full;
};

} // namespace

TStatusLine::TStatusLine(const TLanguage& language, TSessionStatus* status, QWidget* parent)
    : QStatusBar(parent), m_language(language), m_status(status) {
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false);
    const auto add = [this](QLabel* l, const char* name, int stretch) {
        l->setObjectName(QLatin1String(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (stretch == 0) {
            l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
        }
        addWidget(l, stretch);
        return l;
    };
    // A thin line between the parts, so that they do not read as one sentence.
    const auto separator = [this] {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        addWidget(line);
        return line;
    };
    m_port = add(new QLabel(this), "StatusPort", 0);
    m_controllerSeparator = separator();
    m_controller = add(new QLabel(this), "StatusController", 0);
    separator();
    m_level = add(new QLabel(this), "StatusLevel", 0);
    m_remarkSeparator = separator();
    m_remark = add(new TRemarkLabel(this), "StatusRemark", 1);
    SetRemark(QString());
    if (m_status != nullptr) {
        GuardedConnect(m_status, &TSessionStatus::Changed, this, &TStatusLine::Show);
    }
    Show();
}

QString TStatusLine::Text(int record) const {
    return m_language.Text(record);
}

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

void TStatusLine::SetRemark(const QString& text) {
    static_cast<TRemarkLabel*>(m_remark)->SetFullText(text);
    m_remarkSeparator->setVisible(!text.isEmpty());
}

QString TStatusLine::Remark() const {
    return static_cast<TRemarkLabel*>(m_remark)->FullText();
}

void TStatusLine::Show() {
    m_port->setText(PortText());
    const QString controller = m_status != nullptr ? m_status->Controller() : QString();
    m_controller->setText(controller);
    m_controller->setVisible(!controller.isEmpty());
    m_controllerSeparator->setVisible(!controller.isEmpty());
    m_level->setText(LevelText());
}
