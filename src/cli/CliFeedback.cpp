#include "cli/CliFeedback.h"

MessageAnswer CliFeedback::ShowMessage(MessageKind, const QString& caption, const QString& text,
                                       MessageButtons buttons) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_err << caption << ": " << shown;
    if (buttons == MessageButtons::YesNo) {
        m_err << (m_answerYes ? " -> Yes" : " -> No");
    }
    m_err << Qt::endl;
    if (buttons != MessageButtons::YesNo) {
        return MessageAnswer::Ok;
    }
    return m_answerYes ? MessageAnswer::Yes : MessageAnswer::No;
}

std::optional<QString> CliFeedback::ChoosePort(const QStringList& names) {
    if (!m_preferredPort.isEmpty() && names.contains(m_preferredPort)) {
        return m_preferredPort;
    }
    return std::nullopt;
}

void CliFeedback::ShowStatus(int panel, const QString& text) {
    (void)panel;
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_err << "torvex: " << shown << Qt::endl;
}
