#pragma once

#include "core/base/Feedback.h"
#include "core/base/Language.h"

#include <functional>

class QMessageBox;
class QWidget;

// Feedback as the technician sees it: message boxes and the port selection dialog.
class GuiFeedback : public Feedback {
public:
    explicit GuiFeedback(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    // The port dialog speaks the configured language once there is a configuration.
    void SetLanguage(const TLanguage* language) { m_language = language != nullptr ? language : &m_fallback; }

    MessageAnswer ShowMessage(MessageKind kind, const QString& caption, const QString& text,
                              MessageButtons buttons) override;
    std::optional<QString> ChoosePort(const QStringList& names) override;
    void SetBusy(bool busy) override;
    void LanguageChosen(int languageIndex) override {
        if (OnLanguageChosen) {
            OnLanguageChosen(languageIndex);
        }
    }
    // Loads Qt's own texts (Yes, No, Cancel...) of a language.
    std::function<void(int)> OnLanguageChosen;

    // Message texts carry "\r" as their line break.
    static QString ForDisplay(QString text);
    // The window a box belongs to: the one the technician works in, so the box opens
    // centred on it and not on the strip of the main window.
    QWidget* Owner() const;
    // Makes a box wide enough for its whole caption.
    static void FitCaption(QMessageBox& box);

private:
    QWidget* m_parent;
    TLanguage m_fallback;
    const TLanguage* m_language = &m_fallback;
};
