#include "PrintoutShots.h"
#include "ShotFiles.h"

#include "core/base/Language.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TServiceReport.h"
#include "core/params/TSetPrintout.h"
#include "gui/app/TFormMain.h"
#include "gui/app/TProgram.h"
#include "gui/params/TParamConfigForm.h"
#include "print/TPagePainter.h"

#include <QApplication>
#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>

namespace {

// A set as a technician leaves it: defaults, a few values tuned, a long description.
void StoreLogbookSet(TParameterDatabase& database) {
    TTable& metadata = database.TableParameterDBSettings();
    TTable& sets = database.SetTable(Family::VfTkx);
    sets.Insert();
    sets.SetFieldText("Name", "Shaft B - logbook 2026-12");
    sets.SetFieldText("Description",
                      "Commissioning 2026-12-10. Valve block replaced after oil leak at the down solenoid; "
                      "soft stop and relevelling tuned for the heavier car, inspection speed lowered at the "
                      "inspector's request.\r\nNext check: 2027-06.");
    sets.SetFieldText("InfoMemo",
                      "Software version:\t2.220\t\rHardware version:\t1.200\t\rSerial number:\t000004711\t\r"
                      "Power on:\t     1532\t\rDrive up:\t    48211\t\rDrive down:\t    48190\t\r");
    sets.SetFieldText("ErrorMemo", "Error 1:\t12 h \tOvercurrent solenoid\rError 2:\t31 h \tFeedback missing\r");
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (metadata.FieldAsText("ControllerType") == "ITKX") {
            sets.SetFieldFloat(metadata.FieldAsText("FieldName"), metadata.FieldAsFloat("Default"));
        }
    }
    const std::pair<const char*, double> tuned[] = {
        {"SoftStopUp", 0.6}, {"RelevelUp", 0.45}, {"InspectionSpeed", 30}, {"FastDn", 7.5}};
    for (const auto& [field, value] : tuned) {
        sets.SetFieldFloat(field, value);
    }
    sets.Post();
}

bool Render(const QString& pdf, int page, const QString& png) {
    QString base = png;
    base.chop(4); // ".png"
    const int code = QProcess::execute("pdftoppm", {"-png", "-r", "80", "-f", QString::number(page), "-l",
                                                    QString::number(page), "-singlefile", pdf, base});
    std::printf("%s %s\n", code == 0 ? "wrote" : "FAILED", qPrintable(png));
    return code == 0;
}

} // namespace

bool SavePrintoutShots(TProgram& program, const QString& prefix) {
    TParameterDatabase& database = program.Database();
    StoreLogbookSet(database);
    TTable& sets = database.SetTable(Family::VfTkx);
    sets.FindName("Shaft B - logbook 2026-12");
    const QDateTime printed(QDate(2026, 12, 10), QTime(14, 30, 0));
    const TPrintSettings settings = TPrintSettings::ForLocale(
        program.Configuration().Language().Index(), program.Configuration().Language().StoredValue(), printed);
    const QString logo = program.Configuration().DataDirectory + "Logo.svg";
    QTemporaryDir scratch;
    bool ok = true;

    const TPrintSet set = TSetPrintout::ReadCurrentSet(database.TableParameterDBSettings(), sets, Family::VfTkx);
    int pages = 0;
    const QString printout = scratch.filePath("printout.pdf");
    ok = TPagePainter::WritePdf(
             printout,
             [&](int width, int height) {
                 TPageDocument document = TSetPrintout::Layout(set, TPageGeometry::ForPage(width, height), settings);
                 pages = static_cast<int>(document.Pages.size());
                 return document;
             },
             logo)
             .Written &&
         ok;
    ok = Render(printout, 1, prefix + "vftkx-printout-first.png") && ok;
    ok = Render(printout, pages, prefix + "vftkx-printout-last.png") && ok;

    const TServiceReportData report = TServiceReport::Collect(database.TableParameterDBSettings(), sets, Family::VfTkx,
                                                              program.Configuration().Language().StoredValue());
    const QString reportPdf = scratch.filePath("report.pdf");
    ok = TPagePainter::WritePdf(
             reportPdf,
             [&](int width, int height) {
                 return TServiceReport::Layout(report, TPageGeometry::ForPage(width, height), settings, "2026-12-10");
             },
             logo)
             .Written &&
         ok;
    ok = Render(reportPdf, 1, prefix + "vftkx-service-report.png") && ok;

    TParamConfigForm* list = program.Windows().ParamConfig();
    list->SetUpColumns();
    list->show();
    list->resize(760, 420);
    QApplication::processEvents();
    const bool saved = SavePicture(list->grab(), prefix + "parameter-list.png");
    list->hide();
    return ok && saved;
}
