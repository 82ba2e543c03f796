#include "gui/params/TSetPrinting.h"

#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TServiceReport.h"
#include "core/params/TSetPrintout.h"
#include "print/TPagePainter.h"

#include <QPrinter>

namespace TSetPrinting {

void Print(Pages pages, TParameterDatabase& database, Family family, QPrinter& printer, const QString& logoPath,
           Feedback& ui, const Clock& clock, const std::function<void(int)>& progress) {
    const TLanguage& language = database.Language();
    const QDateTime now = clock.Now();
    const TPrintSettings settings = TPrintSettings::ForLocale(language.Index(), language.StoredValue(), now);
    const TPageGeometry geometry = TPageGeometry::ForPage(printer.width(), printer.height());
    TPageDocument document;
    try {
        TTable& metadata = database.TableParameterDBSettings();
        TTable& sets = database.SetTable(family);
        if (pages == Pages::Printout) {
            document = TSetPrintout::Layout(TSetPrintout::ReadCurrentSet(metadata, sets, family, progress), geometry,
                                            settings);
        } else {
            TServiceReportData report = TServiceReport::Collect(metadata, sets, family, language.StoredValue());
            TServiceReport::TakeChangesToday(report, database.Logbook(), now.date());
            document = TServiceReport::Layout(report, geometry, settings, LocaleDateText(now.date()));
        }
    } catch (const TableError& error) {
        progress(0);
        ui.ShowMessage(MessageKind::Error, language.Text(Record::Error), error.Message(), MessageButtons::Ok);
        return;
    }
    progress(90);
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    const TPagePainter::Outcome outcome =
        toFile ? TPagePainter::WritePdf(
                     printer.outputFileName(), printer.pageLayout(), printer.resolution(),
                     [&document](int, int) { return document; }, logoPath)
               : TPagePainter::Paint(printer, document, logoPath);
    if (!outcome.LogoError.isEmpty()) {
        ui.ShowMessage(MessageKind::Error, language.Text(248), outcome.LogoError, MessageButtons::Ok);
    }
    if (!outcome.Written) {
        ui.ShowMessage(MessageKind::Error, language.Text(Record::Error), outcome.Error, MessageButtons::Ok);
    }
    progress(0);
}

} // namespace TSetPrinting
