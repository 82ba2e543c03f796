#include "TSimulatorOptions.h"

bool TSimulatorOptions::Parse(const QStringList& arguments, QString& error) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto value = [&](QString& out) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("option %1 needs a value").arg(argument);
                return false;
            }
            out = arguments[++i];
            return true;
        };
        QString text;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            ShowHelp = true;
        } else if (argument == QLatin1String("--family")) {
            if (!value(text)) {
                return false;
            }
            if (text.compare(QLatin1String("TKX"), Qt::CaseInsensitive) == 0) {
                ControllerFamily = Family::Tkx;
            } else if (text.compare(QLatin1String("VF-TKX"), Qt::CaseInsensitive) == 0 ||
                       text.compare(QLatin1String("ITKX"), Qt::CaseInsensitive) == 0) {
                ControllerFamily = Family::VfTkx;
            } else {
                error = QStringLiteral("unknown family '%1' (TKX or VF-TKX)").arg(text);
                return false;
            }
        } else if (argument == QLatin1String("--version-number")) {
            if (!value(text)) {
                return false;
            }
            bool ok = false;
            SoftwareVersion = text.toInt(&ok);
            if (!ok || SoftwareVersion < 0) {
                error = QStringLiteral("software version must be a number such as 2107, or 0 for none");
                return false;
            }
        } else if (argument == QLatin1String("--link")) {
            if (!value(LinkPath)) {
                return false;
            }
        } else if (argument == QLatin1String("--device")) {
            if (!value(DevicePath)) {
                return false;
            }
        } else {
            error = QStringLiteral("unknown argument '%1'").arg(argument);
            return false;
        }
    }
    return true;
}

QString TSimulatorOptions::Usage() {
    return QStringLiteral(
        "Usage: torvex-sim [--family TKX|VF-TKX] [--version-number N] [--link PATH | --device PATH]\n"
        "Plays a valve controller on a serial line for training, demos and tests.\n"
        "  --family F          controller family (default TKX)\n"
        "  --version-number N  software version with three implied decimals, 0 for none (default 2107)\n"
        "  --link PATH         also make PATH a symbolic link to the new pty\n"
        "  --device PATH       serve an existing serial device instead of a new pty\n");
}
