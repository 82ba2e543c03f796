#pragma once

#include "core/app/TConfiguration.h"

#include <QWidget>

#include <functional>
#include <memory>

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
class TFormLogbook;
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

// A window made on first use and kept from then on, so it keeps its state between openings as a
// window made at start would; a start that opens no menu makes none of them.
template <typename T> class TKeptWindow {
public:
    using Maker = std::function<std::unique_ptr<T>()>;
    void SetMaker(Maker make) { m_make = std::move(make); }
    T* Get() {
        if (!m_window && m_make) {
            m_window = m_make();
        }
        return m_window.get();
    }
    T* IfMade() const { return m_window.get(); }
    void Destroy() { m_window.reset(); }

private:
    Maker m_make;
    std::unique_ptr<T> m_window;
};

// The program's windows other than the main window and the data view: each made when it is first
// needed and kept for the rest of the run.
class TProgramWindows {
public:
    TProgramWindows();
    ~TProgramWindows();
    TProgramWindows(const TProgramWindows&) = delete;
    TProgramWindows& operator=(const TProgramWindows&) = delete;

    TDlgConfiguration* Configuration() { return m_configuration; }
    TPasswordForm* PasswordForm();
    TZoom* Zoom();
    TViewTKXParameter* ViewTKXParameter();
    TViewITKXParameter* ViewITKXParameter();
    TParamConfigForm* ParamConfig();
    TFormZeroPoint* ZeroPoint();
    TFormLogbook* Logbook();
    TFormSpecialTest* SpecialTest();
    TExportImportForm* ExportImport();
    TAboutBox* About();
    TSaveFactorySettingsForm* SaveFactorySettings();
    TPasswordPelvorForm* PasswordPelvor();
    TPasswordPelvorChangeForm* PasswordPelvorChange();
    TEditFactorySettingsForm* EditFactorySettings();
    THelpViewer* Help();
    // The help viewer if it has been opened: closing it must not open it first.
    THelpViewer* HelpIfMade() const { return m_help.IfMade(); }

private:
    friend class TProgram;
    // Every window that has been made goes, in the reverse order of the list above.
    void DestroyAll();

    TDlgConfiguration* m_configuration = nullptr;
    TKeptWindow<TPasswordForm> m_passwordForm;
    TKeptWindow<TZoom> m_zoom;
    TKeptWindow<TViewTKXParameter> m_viewTKXParameter;
    TKeptWindow<TViewITKXParameter> m_viewITKXParameter;
    TKeptWindow<TParamConfigForm> m_paramConfig;
    TKeptWindow<TFormZeroPoint> m_zeroPoint;
    TKeptWindow<TFormSpecialTest> m_specialTest;
    TKeptWindow<TExportImportForm> m_exportImport;
    TKeptWindow<TAboutBox> m_about;
    TKeptWindow<TSaveFactorySettingsForm> m_saveFactorySettings;
    TKeptWindow<TPasswordPelvorForm> m_passwordPelvor;
    TKeptWindow<TPasswordPelvorChangeForm> m_passwordPelvorChange;
    TKeptWindow<TEditFactorySettingsForm> m_editFactorySettings;
    TKeptWindow<THelpViewer> m_help;
    TKeptWindow<TFormLogbook> m_logbook;
};

// The whole program in its start-up order: configuration store (with its settings
// dialog), logger, parameter database, main window; the other windows follow on first use.
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
    TProgramWindows m_windows;
};
