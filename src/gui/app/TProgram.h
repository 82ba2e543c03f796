#pragma once

#include "core/app/TConfiguration.h"

#include <QWidget>

#include <memory>
#include <vector>

class Clock;
class QTranslator;
class Feedback;
class TAboutBox;
class TDlgConfiguration;
class TEditFactorySettingsForm;
class TExportImportForm;
class TFormMain;
class TFormSpecialTest;
class TFormZeroPoint;
class THelpViewer;
class TLogger;
class TParamConfigForm;
class TParameterDatabase;
class TPasswordForm;
class TPasswordPelvorChangeForm;
class TPasswordPelvorForm;
class TSaveFactorySettingsForm;
class TViewITKXParameter;
class TViewTKXParameter;
class TZoom;
class TSessionStatus;


// The windows created once at start and kept for the whole run.
struct TProgramWindows {
    TDlgConfiguration* Configuration = nullptr;
    TPasswordForm* PasswordForm = nullptr;
    TZoom* Zoom = nullptr;
    TViewTKXParameter* ViewTKXParameter = nullptr;
    TViewITKXParameter* ViewITKXParameter = nullptr;
    TParamConfigForm* ParamConfig = nullptr;
    TFormZeroPoint* ZeroPoint = nullptr;
    TFormSpecialTest* SpecialTest = nullptr;
    TExportImportForm* ExportImport = nullptr;
    TAboutBox* About = nullptr;
    TSaveFactorySettingsForm* SaveFactorySettings = nullptr;
    TPasswordPelvorForm* PasswordPelvor = nullptr;
    TPasswordPelvorChangeForm* PasswordPelvorChange = nullptr;
    TEditFactorySettingsForm* EditFactorySettings = nullptr;
    THelpViewer* Help = nullptr;
};

// The whole program in its start-up order: configuration store (with its settings
// dialog), logger, parameter database, main window, then the other windows.
// It ends in the reverse order: the windows go (storing what they hold), the database
// closes, the logger writes its last line, the configuration store goes last.
class TProgram {
public:
    struct Options {
        TConfigurationEnvironment Environment = TConfigurationEnvironment::ForThisProcess();
        Feedback* Ui = nullptr; // default: message boxes
        Clock* Time = nullptr;  // default: the real clock, painting while it waits
    };

    explicit TProgram(Options options);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TConfiguration& Configuration() { return *m_configuration; }
    TLogger& Logger() { return *m_logger; }
    TFormMain& MainWindow() { return *m_formMain; }
    TParameterDatabase& Database() { return *m_database; }
    TProgramWindows& Windows() { return m_windows; }
    Feedback& Ui() { return *m_ui; }
    TSessionStatus& Status() { return *m_status; }

    // The file of Qt's own texts (buttons, file dialogs) for a language index; empty for English.
    static QString QtTextsFile(int languageIndex);
    // Qt's own texts in the language of the column shown; nothing changes for the same language.
    void UseQtTexts(int languageIndex);

private:
    std::unique_ptr<QTranslator> m_qtTexts;
    int m_qtTextsLanguage = -1;
    std::unique_ptr<Feedback> m_ownFeedback;
    std::unique_ptr<Clock> m_ownClock;
    Feedback* m_ui;
    Clock* m_clock;
    std::unique_ptr<TConfiguration> m_configuration;
    std::unique_ptr<TSessionStatus> m_status;
    std::unique_ptr<TDlgConfiguration> m_configurationDialog;
    std::unique_ptr<TLogger> m_logger;
    std::unique_ptr<TParameterDatabase> m_database;
    std::unique_ptr<TFormMain> m_formMain;
    std::vector<std::unique_ptr<QWidget>> m_windowObjects;
    TProgramWindows m_windows;
};
