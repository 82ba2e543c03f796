#include "CompareShots.h"
#include "ShotFiles.h"

#include "TSimulatedController.h"
#include "TSimulatorLink.h"

#include "ManualClock.h"
#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/app/TServiceLogbook.h"
#include "core/link/TTorvexController.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TSetCompare.h"
#include "gui/app/TProgram.h"
#include "gui/params/TCompareDialog.h"
#include "gui/service/TFormLogbook.h"

#include <QApplication>

bool TakeCompareShots(TProgram& program, ManualClock& clock, const QString& prefix) {
    TParameterDatabase& database = program.Database();
    const QString templates = program.Configuration().GetTemplateDatabaseDirectory();
    // 2.141: the auxiliary speed is not on this controller.
    TSimulatedController controller({Family::VfTkx, 2141, QString(), templates, 0});
    TControllerAccess access(program.Configuration(), program.Ui(), clock);
    access.OpenSession = [&controller, &clock](const TCommParameter&) {
        return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(controller, clock), 1000, false,
                                                   clock);
    };
    TTable& sets = database.SetTable(Family::VfTkx);
    sets.Edit();
    sets.SetFieldFloat("AccelUp", 1.5);
    sets.SetFieldFloat("SlowUp", 0.9);
    sets.SetFieldFloat("ValveType", 12);
    sets.Post();
    const auto comparison = TSetCompare::AgainstController(database, access, Family::VfTkx,
                                                           TSetCompare::CurrentValues(database, Family::VfTkx), nullptr,
                                                           program.Configuration().Language().UsImperial());
    if (!comparison) {
        return false;
    }
    TCompareDialog dialog(*comparison, program.Configuration().Language(), QStringLiteral("VF-TKX"));
    dialog.show();
    QApplication::processEvents();
    bool ok = SavePicture(dialog.grab(), prefix + "compare.png");
    dialog.hide();

    TLogbookEntry entry{QDateTime(QDate(2026, 12, 10), QTime(14, 32, 5)),
                        QStringLiteral("VF-TKX"),
                        comparison->SerialNumber,
                        comparison->SoftwareVersion,
                        QStringLiteral("write ticked"),
                        {}};
    for (const TParameterDifference& difference : comparison->Differences) {
        entry.Lines.push_back({difference.Field, TParameterDifference::ValueText(difference.Theirs),
                               TParameterDifference::ValueText(difference.Ours), QStringLiteral("verified")});
    }
    database.Logbook().Append(entry);
    TFormLogbook* logbook = program.Windows().Logbook();
    logbook->show();
    QApplication::processEvents();
    ok = SavePicture(logbook->grab(), prefix + "logbook.png") && ok;
    logbook->hide();
    return ok;
}
