#include "cli/PrintCommand.h"

#include "cli/DataFileSupport.h"

#include "core/app/TConfiguration.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TServiceReport.h"
#include "core/params/TSetPrintout.h"
#include "print/TPagePainter.h"

namespace {

// The set stored last: the highest Id, whatever its name.
bool MoveToLastStored(TTable& sets) {
    qint64 highest = -1;
    int record = -1;
    int index = 0;
    for (sets.First(); !sets.Eof(); sets.Next(), ++index) {
        const qint64 id = sets.FieldAsInteger(QStringLiteral("Id"));
        if (id > highest) {
            highest = id;
            record = index;
        }
    }
    if (record < 0) {
        return false;
    }
    sets.MoveTo(record);
    return true;
}

} // namespace

void PrintCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments,
                                  {QStringLiteral("--family"), QStringLiteral("--name"), QStringLiteral("--pdf")});
    if (!parsed.Has(QStringLiteral("--family")) || !parsed.Has(QStringLiteral("--pdf")) ||
        !parsed.Positional.isEmpty()) {
        throw UsageError(QStringLiteral("%1 needs --family F and --pdf OUT.pdf").arg(Name()));
    }
    m_family = ParseFamily(parsed.Value(QStringLiteral("--family")));
    m_name = parsed.Value(QStringLiteral("--name"));
    m_pdf = parsed.Value(QStringLiteral("--pdf"));
    if (m_pdf.isEmpty()) {
        throw UsageError(QStringLiteral("--pdf needs a file name"));
    }
}

int PrintCommand::Run(CliContext& context) {
    TTable& sets = context.Database->SetTable(m_family);
    sets.First();
    if (!m_name.isEmpty() && !sets.FindName(m_name)) {
        context.Err << "torvex: no set named \"" << m_name << "\"" << Qt::endl;
        return 1;
    }
    if (m_name.isEmpty() && !MoveToLastStored(sets)) {
        context.Err << "torvex: no stored set of that family" << Qt::endl;
        return 1;
    }
    // The PDF never takes the place of the stored sets it is printed from, nor of recorded runs.
    const QString store = DataFileSupport::StoreAt(m_pdf);
    if (!store.isEmpty()) {
        context.Err << "torvex: " << m_pdf << " is " << store << ": the PDF would replace it; choose another name"
                    << Qt::endl;
        return 1;
    }
    TTable& metadata = context.Database->TableParameterDBSettings();
    const QDateTime now = context.Time.Now();
    const TPrintSettings settings = TPrintSettings::ForLocale(context.Configuration.Language().Index(),
                                                              context.Configuration.Language().StoredValue(), now);
    TPagePainter::Layout layout;
    if (Kind() == Pages::Printout) {
        const TPrintSet set = TSetPrintout::ReadCurrentSet(metadata, sets, m_family);
        layout = [set, settings](int width, int height) {
            return TSetPrintout::Layout(set, TPageGeometry::ForPage(width, height), settings);
        };
    } else {
        TServiceReportData report =
            TServiceReport::Collect(metadata, sets, m_family, context.Configuration.Language().StoredValue());
        TServiceReport::TakeChangesToday(report, TServiceLogbook(context.Configuration.GetDatabaseDirectory()),
                                         now.date());
        const QString date = LocaleDateText(now.date());
        layout = [report, settings, date](int width, int height) {
            return TServiceReport::Layout(report, TPageGeometry::ForPage(width, height), settings, date);
        };
    }
    const TPagePainter::Outcome outcome =
        TPagePainter::WritePdf(m_pdf, layout, context.Configuration.DataDirectory + QStringLiteral("Logo.svg"));
    if (!outcome.LogoError.isEmpty()) {
        context.Ui.ShowMessage(MessageKind::Error, context.Configuration.Language().Text(248), outcome.LogoError,
                               MessageButtons::Ok);
    }
    if (!outcome.Written) {
        context.Err << "torvex: " << outcome.Error << Qt::endl;
        return 1;
    }
    return 0;
}
