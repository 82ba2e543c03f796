#include "core/params/TServiceReport.h"

#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/params/ParameterCatalogue.h"
#include "core/params/TTable.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// German, English, French, Italian, Spanish, Polish, Chinese.
const char* const kHeadings[][7] = {
    {"Servicebericht", "Service report", "Rapport de service", "Rapporto di servizio", "Informe de servicio",
     "Raport serwisowy", "服務報告"},
    {"Steuerungstyp", "Controller type", "Type de contrôleur", "Tipo di controllore", "Tipo de controlador",
     "Typ sterownika", "控制器類型"},
    {"Datum", "Date", "Date", "Data", "Fecha", "Data", "日期"},
    {"Vom Standardwert abweichende Parameter", "Parameters that differ from the default",
     "Paramètres différents de la valeur par défaut", "Parametri diversi dal valore predefinito",
     "Parámetros distintos del valor por defecto", "Parametry różne od wartości domyślnych", "與預設值不同的參數"},
    {"Parameter", "Parameter", "Paramètre", "Parametro", "Parámetro", "Parametr", "參數"},
    {"Standardwert", "Default", "Défaut", "Predefinito", "Por defecto", "Domyślna", "預設值"},
    {"Wert", "Value", "Valeur", "Valore", "Valor", "Wartość", "數值"},
    {"Einheit", "Unit", "Unité", "Unità", "Unidad", "Jednostka", "單位"},
    {"Keine", "None", "Aucun", "Nessuno", "Ninguno", "Brak", "無"},
};

// A stored float and its default are the same when they print the same.
bool SameValue(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

namespace TServiceReport {

QString HeadingText(Heading heading, int languageIndex) {
    const int column = languageIndex >= 1 && languageIndex <= 7 ? languageIndex - 1 : 1;
    return QString::fromUtf8(kHeadings[static_cast<int>(heading)][column]);
}

QString InformationEntry(const QString& infoMemo, int entry) {
    const QStringList lines = infoMemo.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (entry < 0 || entry >= lines.size()) {
        return {};
    }
    // "name:<tab>value<tab>unit"
    const QStringList parts = lines[entry].split(QLatin1Char('\t'));
    return parts.size() >= 2 ? parts[1].trimmed() : QString();
}

TServiceReportData Collect(TTable& metadata, TTable& sets, Family family, int storedLanguageValue) {
    TServiceReportData report;
    report.Set = TSetPrintout::ReadCurrentSet(metadata, sets, family);
    report.SoftwareVersion = InformationEntry(report.Set.InfoMemo, 0);
    report.SerialNumber = InformationEntry(report.Set.InfoMemo, 2);
    const QString type = family == Family::VfTkx ? QStringLiteral("ITKX") : QStringLiteral("TKX");
    const bool psi = storedLanguageValue == Language::UsImperialValue;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (metadata.FieldAsText(QStringLiteral("ControllerType")) != type) {
            continue;
        }
        const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
        // The pressure is one parameter shown in one unit.
        if (family == Family::Tkx && field == QLatin1String(psi ? "OffsetSolUp" : "OffsetSolUpInPsi")) {
            continue;
        }
        const double value = sets.FieldAsFloat(field);
        const double defaultValue = metadata.FieldAsFloat(QStringLiteral("Default"));
        if (!SameValue(value, defaultValue)) {
            report.Differences.push_back({field,
                                          static_cast<int>(metadata.FieldAsInteger(QStringLiteral("EpromAddress"))),
                                          defaultValue, value});
        }
    }
    std::stable_sort(report.Differences.begin(), report.Differences.end(),
                     [](const TReportDifference& a, const TReportDifference& b) { return a.Address < b.Address; });
    return report;
}

void TakeChangesToday(TServiceReportData& report, const TServiceLogbook& logbook, const QDate& today) {
    report.ChangesToday.clear();
    if (report.SerialNumber.isEmpty()) {
        return;
    }
    try {
        for (const TLogbookEntry& entry : logbook.Entries(report.SerialNumber)) {
            if (entry.Time.date() == today) {
                report.ChangesToday.push_back(entry);
            }
        }
    } catch (const LogbookError& error) {
        qWarning("the logbook could not be read for the service report: %s", error.what());
    }
}

TPageDocument Layout(const TServiceReportData& report, const TPageGeometry& g, const TPrintSettings& settings,
                     const QString& date) {
    const int language = settings.LanguageIndex;
    TPageDocument document;
    document.Width = g.W;
    document.Height = g.H;
    TPrintLines lines(document, g, TSetPrintout::FooterText(language, settings.PrintedAt));

    TPageSheet& first = lines.Page();
    first.Texts.push_back({g.X0, g.Y0 - 2 * g.R, TSetPrintout::HeaderLine1(language)});
    first.Texts.push_back({g.X0, g.Y0 - g.R, TSetPrintout::HeaderLine2(language)});
    const int logoWidth = (report.Set.Family == Family::VfTkx ? 45000 : 22500) / g.Mx;
    const int logoHeight = 10000 / g.My;
    first.Logo = QRect(g.Right() - logoWidth, g.Y0 - logoHeight, logoWidth, logoHeight);
    first.Lines.push_back({g.X0, g.Y0 + g.R / 4, g.Right(), g.Y0 + g.R / 4});

    lines.SetLine(1);
    lines.Print(g.X0, HeadingText(Heading::Title, language));
    lines.Advance(2);
    const int valueX = g.X0 + 4 * g.C;
    const std::pair<QString, QString> facts[] = {
        {HeadingText(Heading::ControllerType, language),
         report.Set.Family == Family::VfTkx ? QStringLiteral("VF-TKX") : QStringLiteral("TKX")},
        {Text(238, language), OrDash(report.SerialNumber)},
        {Text(236, language), OrDash(report.SoftwareVersion)},
        {Text(233, language).trimmed(), OrDash(report.Set.Name)},
        {HeadingText(Heading::Date, language), date},
    };
    for (const auto& [caption, value] : facts) {
        lines.Print(g.X0, caption);
        lines.Print(valueX, value);
        lines.Advance(1);
    }

    lines.Advance(1);
    lines.Print(g.X0, HeadingText(Heading::Changed, language) + QLatin1Char(':'));
    lines.Advance(1);
    const int columns[] = {g.X0, g.X0 + 5 * g.C, g.X0 + 7 * g.C, g.X0 + 9 * g.C};
    if (report.Differences.empty()) {
        lines.Print(g.X0, HeadingText(Heading::None, language));
        lines.Advance(1);
    } else {
        const QString titles[] = {HeadingText(Heading::Parameter, language), HeadingText(Heading::Default, language),
                                  HeadingText(Heading::Value, language), HeadingText(Heading::Unit, language)};
        for (int i = 0; i < 4; ++i) {
            lines.Print(columns[i], titles[i]);
        }
        lines.Advance(1);
        for (const TReportDifference& difference : report.Differences) {
            const ParameterInfo* info = ParameterCatalogue::Find(difference.Field);
            lines.Print(columns[0], info != nullptr ? ParameterCatalogue::Label(*info, language) : difference.Field);
            lines.Print(columns[1], TSetPrintout::ValueText(difference.Default, settings.DecimalPoint));
            lines.Print(columns[2], TSetPrintout::ValueText(difference.Value, settings.DecimalPoint));
            lines.Print(columns[3], info != nullptr ? QString::fromUtf8(info->Unit) : QString());
            lines.Advance(1);
        }
    }

    // What the logbook holds of today for this controller: the action, then its parameters.
    lines.Advance(1);
    lines.Print(g.X0, Text(Record::ChangesToday, language) + QLatin1Char(':'));
    lines.Advance(1);
    if (report.ChangesToday.empty()) {
        lines.Print(g.X0, HeadingText(Heading::None, language));
        lines.Advance(1);
    }
    TLanguage shown;
    shown.SetIndex(language);
    for (const TLogbookEntry& entry : report.ChangesToday) {
        lines.Print(g.X0, entry.Time.toString(QStringLiteral("HH:mm:ss")));
        lines.Print(columns[1], TServiceLogbook::Shown(entry.Action, shown));
        lines.Advance(1);
        for (const TLogbookLine& line : entry.Lines) {
            if (line.Field.isEmpty()) {
                continue;
            }
            const ParameterInfo* info = ParameterCatalogue::Find(line.Field);
            lines.Print(columns[0] + g.C / 2,
                        info != nullptr ? ParameterCatalogue::Label(*info, language) : line.Field);
            lines.Print(columns[1], line.Before.isEmpty() ? QStringLiteral("-") : line.Before);
            lines.Print(columns[2], line.After);
            lines.Print(columns[3], TServiceLogbook::Shown(line.Outcome, shown));
            lines.Advance(1);
        }
    }

    // The error list as the set printout lays it out: the name, then the rest two columns on.
    lines.Advance(1);
    lines.Print(g.X0, Text(74, language));
    lines.Advance(1);
    const QStringList errors = report.Set.ErrorMemo.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& entry : errors) {
        if (entry.trimmed().isEmpty()) {
            continue;
        }
        const qsizetype colon = entry.indexOf(QLatin1Char(':'));
        if (colon > 0 && colon + 2 < entry.size() && entry[colon + 2].isDigit()) {
            lines.Print(g.X0, entry.left(colon) + QStringLiteral(" : "));
            lines.Print(g.X0 + 2 * g.C, entry.mid(colon + 1).replace(QLatin1Char('\t'), QLatin1Char(' ')));
        } else {
            lines.Print(g.X0, QString(entry).replace(QLatin1Char('\t'), QLatin1Char(' ')));
        }
        lines.Advance(1);
    }

    lines.Advance(1);
    lines.Print(g.X0, Text(212, language));
    lines.Advance(1);
    for (const QString& line : TSetPrintout::DescriptionLines(report.Set.Description)) {
        lines.Print(g.X0, line);
        lines.Advance(1);
    }
    lines.Finish();
    return document;
}

} // namespace TServiceReport
