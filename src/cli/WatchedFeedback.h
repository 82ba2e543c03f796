#pragma once

#include "core/base/Feedback.h"

// Passes everything on and remembers whether an error or warning box was shown:
// the command line's exit code follows what the window would have shown.
class WatchedFeedback : public Feedback {
public:
    explicit WatchedFeedback(Feedback& inner) : m_inner(inner) {}

    MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                              MessageButtons buttons) override {
        if (kind == MessageKind::Error || kind == MessageKind::Warning) {
            m_sawFailure = true;
        }
        ++m_messages;
        return m_inner.ShowMessage(kind, caption, text, buttons);
    }
    std::optional<QString> ChoosePort(const QStringList& names) override { return m_inner.ChoosePort(names); }
    void SetProgress(int position) override { m_inner.SetProgress(position); }
    void SetBusy(bool busy) override { m_inner.SetBusy(busy); }

    bool SawFailure() const { return m_sawFailure; }
    int Messages() const { return m_messages; }

private:
    Feedback& m_inner;
    bool m_sawFailure = false;
    int m_messages = 0;
};
