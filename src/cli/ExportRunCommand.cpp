#include "cli/ExportRunCommand.h"

#include "cli/DataFileSupport.h"

#include <QSaveFile>

namespace {

// Every digit a double needs to read back the same, '.' as the decimal separator.
QString Full(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

} // namespace

void ExportRunCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {QStringLiteral("--picture"), QStringLiteral("--csv")});
    if (parsed.Positional.size() != 1 || !parsed.Has(QStringLiteral("--picture")) ||
        !parsed.Has(QStringLiteral("--csv"))) {
        throw UsageError(QStringLiteral("export-run needs FILE.dat --picture N --csv OUT.csv"));
    }
    m_file = parsed.Positional.first();
    m_picture = ParseIntegerArgument(parsed.Value(QStringLiteral("--picture")), QStringLiteral("--picture"));
    m_csv = parsed.Value(QStringLiteral("--csv"));
}

int ExportRunCommand::Run(CliContext& context) {
    QFile file(m_file);
    const auto scan = DataFileSupport::Open(context, file);
    if (!scan) {
        return 1;
    }
    const int count = scan->Header.PictureCount;
    if (m_picture < 1 || m_picture > count) {
        context.Err << "torvex: no picture " << m_picture << " in " << m_file << " (1 ... " << count << ")" << Qt::endl;
        return 1;
    }
    QString error;
    const auto drawn = DataFile::DrawnRecords(file, scan->Header, m_picture - 1, error);
    if (!error.isEmpty()) {
        context.Err << "torvex: " << m_file << ": " << error << Qt::endl;
        return 1;
    }
    QByteArray csv = "time_s,setpoint_V,actual_V,solenoid_V,inverter_V,K1,K2,K3,K4,K5,K6,K7,K8\n";
    for (const TDataRecord& r : drawn) {
        QString row = Full(r.RunTime / 180.0);
        for (const std::int16_t mV : {r.SetPoint, r.ActualValue, r.SolenoidValue, r.InverterValue}) {
            row += QLatin1Char(',') + Full(mV / 1000.0);
        }
        for (int k = 0; k < 8; ++k) {
            row += r.Signal(k) ? QStringLiteral(",1") : QStringLiteral(",0");
        }
        csv += row.toLatin1() + '\n';
    }
    QSaveFile out(m_csv);
    const bool saved = out.open(QIODevice::WriteOnly) && out.write(csv) == csv.size() && out.flush() &&
                       out.error() == QFileDevice::NoError && out.commit();
    if (!saved) {
        context.Err << "torvex: " << m_csv << " cannot be written: " << out.errorString() << Qt::endl;
        return 1;
    }
    return 0;
}
