#include "gui/app/GuiFeedback.h"

#include "gui/app/TDlgSelectCommPort.h"

#include <QApplication>
#include <QMessageBox>

QString GuiFeedback::ForDisplay(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

MessageAnswer GuiFeedback::ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                                       MessageButtons buttons) {
    const QMessageBox::Icon icon = kind == MessageKind::Error         ? QMessageBox::Critical
                                   : kind == MessageKind::Warning     ? QMessageBox::Warning
                                   : kind == MessageKind::Information ? QMessageBox::Information
                                                                      : QMessageBox::NoIcon;
    QMessageBox box(icon, caption, ForDisplay(text),
                    buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    m_parent);
    const int answer = box.exec();
    if (buttons == MessageButtons::YesNo) {
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

std::optional<QString> GuiFeedback::ChoosePort(const QStringList& names) {
    TDlgSelectCommPort dialog(*m_language, m_parent);
    dialog.SetPorts(names);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.SelectedPort();
}

void GuiFeedback::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}
