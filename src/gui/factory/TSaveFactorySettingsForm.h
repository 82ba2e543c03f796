#pragma once

#include "core/app/ControllerCommands.h"
#include "core/factory/TFactoryFile.h"
#include "core/factory/TFactorySender.h"
#include "gui/params/TViewParameter.h"

#include <QDialog>

#include <functional>

class QFrame;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// Loads a factory-settings file and sends it into the controller with read-back;
// the lamp tells how the last send ended.
class TSaveFactorySettingsForm : public QDialog {
    Q_OBJECT
public:
    TSaveFactorySettingsForm(TConfiguration& configuration, Feedback& feedback, Clock& clock,
                             QWidget* parent = nullptr);

    void BtnOpenFileClick();
    void BtnSendClick();
    // The file dialog; replaceable so the window can be driven without a person.
    std::function<QString(const TFileRequest&)> ChooseFile;

    TFactoryLamp Lamp() const { return m_lamp; }
    // How sessions reach the controller; tests and demonstrations put a simulated one behind it.
    TControllerAccess& Access() { return m_access; }
    const QString& LastFileName() const { return m_lastFileName; }

protected:
    void done(int result) override;

private:
    QString Text(int record) const;
    void FormClose();
    void SetLamp(TFactoryLamp lamp);
    void ShowMemo(const QString& text);
    // A failed open or send: the lamp red, the progress back at 0, Open usable again.
    void ShowFailed();

    TConfiguration& m_configuration;
    Feedback& m_feedback;
    TControllerAccess m_access;
    TFactoryLoad m_load;
    QString m_lastFileName;
    TFactoryLamp m_lamp = TFactoryLamp::Idle;
    QPushButton* m_open = nullptr;
    QPushButton* m_send = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QProgressBar* m_progress = nullptr;
    QFrame* m_panel = nullptr;
};
