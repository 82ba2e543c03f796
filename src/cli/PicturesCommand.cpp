#include "cli/PicturesCommand.h"

#include "cli/DataFileSupport.h"

void PicturesCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {}, {QStringLiteral("--figures")});
    if (parsed.Positional.size() != 1) {
        throw UsageError(QStringLiteral("pictures needs one FILE.dat"));
    }
    m_file = parsed.Positional.first();
    m_figures = parsed.Has(QStringLiteral("--figures"));
}

int PicturesCommand::Run(CliContext& context) {
    QFile file(m_file);
    const auto scan = DataFileSupport::Open(context, file);
    if (!scan) {
        return 1;
    }
    for (int k = 0; k < scan->Header.PictureCount; ++k) {
        QString error;
        const auto drawn = DataFile::DrawnRecords(file, scan->Header, k, error);
        if (!error.isEmpty()) {
            context.Err << "torvex: " << m_file << ": " << error << Qt::endl;
            return 1;
        }
        context.Out << DataFileSupport::PictureLine(k + 1, DataFile::Summarise(scan->Header, k, drawn));
        if (m_figures) {
            const DataFile::RunFigures f = DataFile::Figures(drawn);
            for (const double value :
                 {f.FastS, f.SlowS, f.LevellingS, f.PeakDemandV, f.PeakFeedbackV, f.MaxDeviationV}) {
                context.Out << '\t' << QString::number(value, 'f', 3);
            }
        }
        context.Out << '\n';
    }
    return 0;
}
