#pragma once

#include <QString>
#include <QStringList>
#include <optional>

enum class MessageKind { Error, Warning, Information, Plain };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Everything an operation tells the user goes through here, so the core never
// builds a widget: the GUI shows message boxes, the command line prints, tests record.
class Feedback {
public:
    virtual ~Feedback() = default;

    // Texts keep their "\r" line breaks; the implementation decides how to show them.
    virtual MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                                      MessageButtons buttons) = 0;

    // Offers the free ports by name; the chosen name, or none when cancelled.
    // An empty list can only be cancelled.
    virtual std::optional<QString> ChoosePort(const QStringList& names) = 0;

    virtual void SetProgress(int position) { (void)position; }
    virtual void SetBusy(bool busy) { (void)busy; }
    // A note in a status panel of the window the operation belongs to (a failed recording shows
    // in the data view's panel 3). Called from any thread: an implementation hands it to its own.
    virtual void ShowStatus(int panel, const QString& text) { (void)panel, (void)text; }
    // The language column texts are shown in from now on (1 German ... 8 Japanese); told
    // before the first question of the start-up, so that a box's own buttons can follow it.
    virtual void LanguageChosen(int languageIndex) { (void)languageIndex; }
};

// For runs nobody watches (benchmarks, the screenshot tool): every question is
// answered Yes, no port is chosen, and messages go nowhere.
class UnattendedFeedback : public Feedback {
public:
    MessageAnswer ShowMessage(MessageKind, const QString&, const QString&, MessageButtons buttons) override {
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    std::optional<QString> ChoosePort(const QStringList&) override { return std::nullopt; }
};
