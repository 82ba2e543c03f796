#include "gui/app/GuiFeedback.h"

#include "gui/app/TDlgSelectCommPort.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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
                    buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner());
    FitCaption(box);
    const int answer = box.exec();
    if (buttons == MessageButtons::YesNo) {
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

QWidget* GuiFeedback::Owner() const {
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal->isVisible()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow(); active != nullptr && active->isVisible()) {
        return active;
    }
    return m_parent;
}

void GuiFeedback::FitCaption(QMessageBox& box) {
    // The title bar has no room of its own: a caption longer than the text would be cut.
    // Room for the caption, the window buttons and the icon.
    const int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
}

std::optional<QString> GuiFeedback::ChoosePort(const QStringList& names) {
    TDlgSelectCommPort dialog(*m_language, Owner());
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
