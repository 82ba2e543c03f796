#include "gui/app/TProgram.h"
#include "gui/app/TStatusLine.h"

#include "gui/access/TPasswordForm.h"
#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/access/TPasswordPelvorForm.h"
#include "gui/app/GuiClock.h"
#include "gui/app/GuiFeedback.h"
#include "gui/app/TApplication.h"
#include "gui/app/TDlgConfiguration.h"
#include "gui/app/TFormMain.h"
#include "gui/app/THelpViewer.h"
#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/factory/TSaveFactorySettingsForm.h"
#include "gui/params/TExportImportForm.h"
#include "gui/params/TParamConfigForm.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/service/TAboutBox.h"
#include "gui/service/TFormLogbook.h"
#include "gui/service/TFormSpecialTest.h"
#include "gui/service/TFormZeroPoint.h"
#include "gui/view/TZoom.h"

#include "core/base/Records.h"
#include "core/base/TLogger.h"
#include "core/params/TParameterDatabase.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

TProgram::TProgram(Options options) {
    if (options.Ui == nullptr) {
        auto gui = std::make_unique<GuiFeedback>();
        // The start-up may ask before the configuration is complete ("create the database folder?").
        gui->OnLanguageChosen = [this](int languageIndex) { UseQtTexts(languageIndex); };
        m_ownFeedback = std::move(gui);
    }
    if (options.Time == nullptr) {
        m_ownClock = std::make_unique<GuiClock>();
    }
    m_ui = options.Ui != nullptr ? options.Ui : m_ownFeedback.get();
    m_clock = options.Time != nullptr ? options.Time : m_ownClock.get();

    QApplication::setApplicationName(QStringLiteral("WinTorvex32"));
    m_configuration = std::make_unique<TConfiguration>(std::move(options.Environment), *m_ui);
    const TLanguage& language = m_configuration->Language();
    if (auto* gui = dynamic_cast<GuiFeedback*>(m_ui)) {
        gui->SetLanguage(&language);
    }
    // Qt's own buttons and dialogs speak the program's language too.
    UseQtTexts(m_configuration->GetLanguageIndex());
    m_configurationDialog = std::make_unique<TDlgConfiguration>(*m_configuration, *m_ui);
    m_logger = std::make_unique<TLogger>([this] { return m_configuration->GetWorkDirectory(); }, *m_clock);
    m_configuration->SetLog([this](const QString& line) { m_logger->Log(line, 1); });

    m_database = std::make_unique<TParameterDatabase>(*m_configuration, *m_ui);
    if (m_configuration->IsWorkDirectoryUsable()) {
        m_database->OpenDatabase();
    }
    m_status = std::make_unique<TSessionStatus>();
    m_formMain = std::make_unique<TFormMain>(*m_configuration, *m_ui, *m_clock);
    m_formMain->SetStatus(m_status.get());
    if (auto* gui = dynamic_cast<GuiFeedback*>(m_ui)) {
        gui->SetParent(m_formMain.get());
    }
    // The database follows the working directory the settings dialog settles on.
    m_configurationDialog->SetWorkDirectoryApplied([this](bool usable) {
        m_database->CloseDatabase();
        if (usable) {
            m_database->OpenDatabase();
        }
    });

    m_windows.m_configuration = m_configurationDialog.get();
    TProgramWindows& w = m_windows;
    w.m_passwordForm.SetMaker([this] {
        return std::make_unique<TPasswordForm>(m_configuration->Language(), *m_ui, *m_logger,
                                               [this](const auto& state) {
                                                   m_formMain->ApplyMenuState(state);
                                                   m_status->SetLevel(m_windows.PasswordForm()->GetPasswordLevel());
                                               });
    });
    w.m_zoom.SetMaker([this] { return std::make_unique<TZoom>(m_configuration->Language()); });
    const TParameterWindowContext parameterContext{*m_database,
                                                   *m_configuration,
                                                   *m_ui,
                                                   *m_clock,
                                                   [this] { return m_windows.PasswordForm()->GetPasswordLevel(); },
                                                   [this] { return m_windows.ExportImport(); },
                                                   m_status.get()};
    w.m_viewTKXParameter.SetMaker([parameterContext] { return std::make_unique<TViewTKXParameter>(parameterContext); });
    w.m_viewITKXParameter.SetMaker(
        [parameterContext] { return std::make_unique<TViewITKXParameter>(parameterContext); });
    w.m_paramConfig.SetMaker([this] { return std::make_unique<TParamConfigForm>(*m_database, *m_ui); });
    w.m_logbook.SetMaker([this] { return std::make_unique<TFormLogbook>(*m_configuration, *m_ui); });
    w.m_zeroPoint.SetMaker([this] { return std::make_unique<TFormZeroPoint>(*m_configuration, *m_ui, *m_clock); });
    w.m_specialTest.SetMaker(
        [this] { return std::make_unique<TFormSpecialTest>(*m_configuration, *m_ui, *m_clock, *m_logger); });
    w.m_exportImport.SetMaker([this] { return std::make_unique<TExportImportForm>(m_configuration->Language()); });
    w.m_about.SetMaker(
        [this] { return std::make_unique<TAboutBox>(m_configuration->Language(), m_configuration->DataDirectory); });
    w.m_saveFactorySettings.SetMaker(
        [this] { return std::make_unique<TSaveFactorySettingsForm>(*m_configuration, *m_ui, *m_clock); });
    w.m_passwordPelvor.SetMaker(
        [this] { return std::make_unique<TPasswordPelvorForm>(*m_configuration, *m_ui, *m_clock); });
    w.m_passwordPelvorChange.SetMaker(
        [this] { return std::make_unique<TPasswordPelvorChangeForm>(*m_configuration, *m_ui, *m_clock); });
    w.m_editFactorySettings.SetMaker(
        [this] { return std::make_unique<TEditFactorySettingsForm>(*m_database, *m_configuration, *m_ui, *m_clock); });
    w.m_help.SetMaker([this] {
        return std::make_unique<THelpViewer>(m_configuration->Language(), m_configuration->HelpDirectory, *m_ui);
    });
    m_formMain->SetWindows(&m_windows);
    m_configurationDialog->ShowHelp = [this](int context) { m_formMain->ShowHelp(context); };

    // The last resort for an error no window handled: logged, shown, and the program goes on.
    if (auto* application = qobject_cast<TApplication*>(QCoreApplication::instance())) {
        application->SetLog([this](const QString& line) { m_logger->Log(line, 1); });
        application->SetHandler([this](const std::exception& error) {
            m_ui->ShowMessage(MessageKind::Error, m_configuration->Language().Text(Record::Error),
                              QString::fromUtf8(error.what()), MessageButtons::Ok);
        });
    }
}

QString TProgram::QtTextsFile(int languageIndex) {
    switch (languageIndex) {
    case 1:
        return QStringLiteral("qtbase_de");
    case 3:
        return QStringLiteral("qtbase_fr");
    case 4:
        return QStringLiteral("qtbase_it");
    case 5:
        return QStringLiteral("qtbase_es");
    case 6:
        return QStringLiteral("qtbase_pl");
    case 7:
        return QStringLiteral("qtbase_zh_TW");
    default:
        return QString(); // English: Qt's own texts as they are
    }
}

void TProgram::UseQtTexts(int languageIndex) {
    if (languageIndex == m_qtTextsLanguage) {
        return;
    }
    m_qtTextsLanguage = languageIndex;
    if (m_qtTexts) {
        QCoreApplication::removeTranslator(m_qtTexts.get());
        m_qtTexts.reset();
    }
    if (const QString qtTexts = QtTextsFile(languageIndex); !qtTexts.isEmpty()) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(qtTexts, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator.get());
            m_qtTexts = std::move(translator);
        }
    }
}

TProgram::~TProgram() {
    if (auto* application = qobject_cast<TApplication*>(QCoreApplication::instance())) {
        application->SetHandler({});
        application->SetLog({});
    }
    if (m_qtTexts) {
        QCoreApplication::removeTranslator(m_qtTexts.get());
    }
    // The windows first: a window that goes away with a field focused stores it into its table,
    // which must still be there.
    m_windows.DestroyAll();
    m_formMain.reset();
    m_database->CloseDatabase();
    m_database.reset();
    m_configuration->SetLog({});
    m_logger.reset(); // its last line
    m_configurationDialog.reset();
    if (auto* gui = dynamic_cast<GuiFeedback*>(m_ui)) {
        gui->SetLanguage(nullptr);
    }
    m_configuration.reset();
}

TProgramWindows::TProgramWindows() = default;

TProgramWindows::~TProgramWindows() {
    DestroyAll();
}

TPasswordForm* TProgramWindows::PasswordForm() {
    return m_passwordForm.Get();
}
TZoom* TProgramWindows::Zoom() {
    return m_zoom.Get();
}
TViewTKXParameter* TProgramWindows::ViewTKXParameter() {
    return m_viewTKXParameter.Get();
}
TViewITKXParameter* TProgramWindows::ViewITKXParameter() {
    return m_viewITKXParameter.Get();
}
TParamConfigForm* TProgramWindows::ParamConfig() {
    return m_paramConfig.Get();
}
TFormLogbook* TProgramWindows::Logbook() {
    return m_logbook.Get();
}
TFormZeroPoint* TProgramWindows::ZeroPoint() {
    return m_zeroPoint.Get();
}
TFormSpecialTest* TProgramWindows::SpecialTest() {
    return m_specialTest.Get();
}
TExportImportForm* TProgramWindows::ExportImport() {
    return m_exportImport.Get();
}
TAboutBox* TProgramWindows::About() {
    return m_about.Get();
}
TSaveFactorySettingsForm* TProgramWindows::SaveFactorySettings() {
    return m_saveFactorySettings.Get();
}
TPasswordPelvorForm* TProgramWindows::PasswordPelvor() {
    return m_passwordPelvor.Get();
}
TPasswordPelvorChangeForm* TProgramWindows::PasswordPelvorChange() {
    return m_passwordPelvorChange.Get();
}
TEditFactorySettingsForm* TProgramWindows::EditFactorySettings() {
    return m_editFactorySettings.Get();
}
THelpViewer* TProgramWindows::Help() {
    return m_help.Get();
}

void TProgramWindows::DestroyAll() {
    m_logbook.Destroy();
    m_help.Destroy();
    m_editFactorySettings.Destroy();
    m_passwordPelvorChange.Destroy();
    m_passwordPelvor.Destroy();
    m_saveFactorySettings.Destroy();
    m_about.Destroy();
    m_exportImport.Destroy();
    m_specialTest.Destroy();
    m_zeroPoint.Destroy();
    m_paramConfig.Destroy();
    m_viewITKXParameter.Destroy();
    m_viewTKXParameter.Destroy();
    m_zoom.Destroy();
    m_passwordForm.Destroy();
}
