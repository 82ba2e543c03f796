#include "gui/app/TProgram.h"
#include "gui/app/TStatusLine.h"

#include "gui/app/GuiClock.h"
#include "gui/app/TApplication.h"
#include "gui/app/GuiFeedback.h"
#include "gui/view/TZoom.h"
#include "gui/app/TDlgConfiguration.h"
#include "gui/app/TFormMain.h"
#include "gui/app/THelpViewer.h"
#include "gui/access/TPasswordForm.h"
#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/factory/TSaveFactorySettingsForm.h"
#include "gui/access/TPasswordPelvorChangeForm.h"
#include "gui/access/TPasswordPelvorForm.h"
#include "gui/params/TExportImportForm.h"
#include "gui/params/TParamConfigForm.h"
#include "gui/params/TViewITKXParameter.h"
#include "gui/params/TViewTKXParameter.h"
#include "gui/service/TAboutBox.h"
#include "gui/service/TFormSpecialTest.h"
#include "gui/service/TFormZeroPoint.h"

#include "core/base/Records.h"
#include "core/base/TLogger.h"
#include "core/params/TParameterDatabase.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {
template <typename T, typename... Args>
T* Keep(std::vector<std::unique_ptr<QWidget>>& windows, Args&&... args) {
    auto window = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = window.get();
    windows.push_back(std::move(window));
    return raw;
}
} // namespace

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

    m_windows.Configuration = m_configurationDialog.get();
    m_windows.PasswordForm = Keep<TPasswordForm>(m_windowObjects, language, *m_ui, *m_logger, [this](const auto& state) {
        m_formMain->ApplyMenuState(state);
        m_status->SetLevel(m_windows.PasswordForm->GetPasswordLevel());
    });
    m_windows.Zoom = Keep<TZoom>(m_windowObjects, language);
    const TParameterWindowContext parameterContext{*m_database, *m_configuration, *m_ui, *m_clock,
                                                   [this] { return m_windows.PasswordForm->GetPasswordLevel(); },
                                                   [this] { return m_windows.ExportImport; }, m_status.get()};
    m_windows.ViewTKXParameter = Keep<TViewTKXParameter>(m_windowObjects, parameterContext);
    m_windows.ViewITKXParameter = Keep<TViewITKXParameter>(m_windowObjects, parameterContext);
    m_windows.ParamConfig = Keep<TParamConfigForm>(m_windowObjects, *m_database, *m_ui);
    m_windows.ZeroPoint = Keep<TFormZeroPoint>(m_windowObjects, *m_configuration, *m_ui, *m_clock);
    m_windows.SpecialTest = Keep<TFormSpecialTest>(m_windowObjects, *m_configuration, *m_ui, *m_clock, *m_logger);
    m_windows.ExportImport = Keep<TExportImportForm>(m_windowObjects, language);
    m_windows.About = Keep<TAboutBox>(m_windowObjects, language, m_configuration->ProgramDirectory);
    m_windows.SaveFactorySettings = Keep<TSaveFactorySettingsForm>(m_windowObjects, *m_configuration, *m_ui, *m_clock);
    m_windows.PasswordPelvor = Keep<TPasswordPelvorForm>(m_windowObjects, *m_configuration, *m_ui, *m_clock);
    m_windows.PasswordPelvorChange = Keep<TPasswordPelvorChangeForm>(m_windowObjects, *m_configuration, *m_ui, *m_clock);
    m_windows.EditFactorySettings = Keep<TEditFactorySettingsForm>(m_windowObjects, *m_database, *m_configuration, *m_ui, *m_clock);
    m_windows.Help = Keep<THelpViewer>(m_windowObjects, language, m_configuration->HelpDirectory, *m_ui);
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
    m_windowObjects.clear();
    m_formMain.reset();
    m_database->CloseDatabase();
    m_database.reset();
    m_configuration->SetLog({});
    m_logger.reset();   // its last line
    m_configurationDialog.reset();
    if (auto* gui = dynamic_cast<GuiFeedback*>(m_ui)) {
        gui->SetLanguage(nullptr);
    }
    m_configuration.reset();
}
