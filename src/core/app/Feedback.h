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
};
