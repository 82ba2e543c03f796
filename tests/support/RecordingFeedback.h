#pragma once

#include "core/base/Feedback.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

// Records every message and answers questions from a queue (Yes when it runs dry).
class RecordingFeedback : public Feedback {
public:
    struct Message {
        MessageKind Kind;
        QString Caption;
        QString Text;
        MessageButtons Buttons;
    };

    MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                              MessageButtons buttons) override {
        Messages.push_back({kind, caption, text, buttons});
        if (OnMessage) {
            OnMessage();
        }
        if (buttons != MessageButtons::YesNo) {
            return MessageAnswer::Ok;
        }
        if (Answers.empty()) {
            return MessageAnswer::Yes;
        }
        const MessageAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }

    // The language told, with the number of messages shown before it.
    void LanguageChosen(int languageIndex) override { ChosenLanguages.push_back({languageIndex, Messages.size()}); }
    std::vector<std::pair<int, std::size_t>> ChosenLanguages;

    std::optional<QString> ChoosePort(const QStringList& names) override {
        OfferedPorts.push_back(names);
        if (PortChoice < 0 || PortChoice >= names.size()) {
            return std::nullopt;
        }
        return names[PortChoice];
    }

    // Status notes come from the recorder's thread.
    void ShowStatus(int panel, const QString& text) override {
        std::lock_guard lock(m_statusLock);
        Statuses.push_back({panel, text});
    }
    std::vector<std::pair<int, QString>> StatusNotes() const {
        std::lock_guard lock(m_statusLock);
        return Statuses;
    }

    QStringList Texts() const {
        QStringList texts;
        for (const auto& m : Messages) {
            texts << m.Text;
        }
        return texts;
    }

    void SetBusy(bool busy) override { BusyDepth += busy ? 1 : -1; }

    std::vector<Message> Messages;
    std::function<void()> OnMessage; // runs while the box would be up
    int BusyDepth = 0;
    std::deque<MessageAnswer> Answers;
    std::vector<QStringList> OfferedPorts;
    int PortChoice = 0; // index into the offered names; -1 cancels
    std::vector<std::pair<int, QString>> Statuses;

private:
    mutable std::mutex m_statusLock;
};
