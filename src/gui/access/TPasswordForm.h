#pragma once

#include "core/access/TPasswordLevel.h"

#include <QDialog>

#include <functional>

class Feedback;
class QLineEdit;
class QPushButton;
class TLanguage;
class TLogger;

// The dialog in which the technician types a level password.
class TPasswordForm : public QDialog {
    Q_OBJECT
public:
    using MenuStateSink = std::function<void(const TPasswordLevel::MenuState&)>;

    TPasswordForm(const TLanguage& language, Feedback& feedback, TLogger& logger, MenuStateSink applyMenuState,
                  QWidget* parent = nullptr);

    int GetPasswordLevel() const { return m_level.GetPasswordLevel(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormPasswordBtOkClick();

    const TLanguage& m_language;
    Feedback& m_feedback;
    TLogger& m_logger;
    MenuStateSink m_applyMenuState;
    TPasswordLevel m_level;
    QLineEdit* m_password;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
