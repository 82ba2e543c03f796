#pragma once

#include "core/base/Feedback.h"

#include <QTextStream>

// Feedback on a terminal: every message as "caption: text" on standard error.
// Questions are answered from the options (--yes by default: the command line
// exists to get a job done unattended); ports are chosen with options, never interactively.
class CliFeedback : public Feedback {
public:
    // preferredPort: the device the user named with --port; it is chosen when it is free.
    CliFeedback(QTextStream& err, QString preferredPort, bool answerYes = true)
        : m_err(err), m_preferredPort(std::move(preferredPort)), m_answerYes(answerYes) {}
    MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                              MessageButtons buttons) override;
    std::optional<QString> ChoosePort(const QStringList& names) override;
    // What a window shows in a status panel while it works: a line on standard error. Called from
    // the recorder's thread while the command waits.
    void ShowStatus(int panel, const QString& text) override;

private:
    QTextStream& m_err;
    QString m_preferredPort;
    bool m_answerYes;
};
