#include "CliFeedback.h"

MessageAnswer CliFeedback::ShowMessage(MessageKind, const QString& caption, const QString& text,
                                       MessageButtons buttons) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_err << caption << ": " << shown;
    if (buttons == MessageButtons::YesNo) {
        m_err << " -> Yes";
    }
    m_err << Qt::endl;
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

std::optional<QString> CliFeedback::ChoosePort(const QStringList& names) {
    if (!m_preferredPort.isEmpty() && names.contains(m_preferredPort)) {
        return m_preferredPort;
    }
    return std::nullopt;
}
