#include "FactoryScreenshots.h"
#include "ShotFiles.h"

#include "gui/app/TProgram.h"
#include "gui/factory/TEditFactorySettingsForm.h"
#include "gui/factory/TSaveFactorySettingsForm.h"

#include "ManualClock.h"

#include "TSimulatorLink.h"

#include <QApplication>
#include <QPixmap>

bool TakeFactoryScreenshots(TProgram& program, ManualClock& clock, const QString& prefix,
                            const QString& scratchDirectory) {
    bool ok = true;
    TEditFactorySettingsForm* editor = program.Windows().EditFactorySettings();
    editor->resize(editor->sizeHint());
    ok = SaveWindowShot(editor, prefix + "factory-editor.png", false) && ok;

    const QString file = scratchDirectory + QStringLiteral("/241730582.fact");
    editor->ChooseFile = [file](const TFileRequest&) { return file; };
    editor->BtnCreateFileClick();

    TSaveFactorySettingsForm* sender = program.Windows().SaveFactorySettings();
    sender->ChooseFile = [file](const TFileRequest&) { return file; };
    sender->BtnOpenFileClick();
    TSimulatedController::Setup setup;
    setup.SoftwareVersion = 2220;
    setup.DatabaseDirectory = program.Configuration().GetTemplateDatabaseDirectory();
    TSimulatedController controller(setup);
    sender->Access().OpenSession = [&](const TCommParameter&) {
        return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(controller, clock), 100, false,
                                                   clock);
    };
    sender->BtnSendClick();
    sender->resize(820, 560);
    ok = SaveWindowShot(sender, prefix + "factory-sender.png", false) && ok;
    return ok;
}
