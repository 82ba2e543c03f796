#pragma once

#include "core/app/TServiceLogbook.h"
#include "core/base/Family.h"
#include "core/params/TSetPrintout.h"

// A parameter whose value is not its metadata default.
struct TReportDifference {
    QString Field;
    int Address = 0;
    double Default = 0;
    double Value = 0;
};

// What the one-page service report tells of a set: who the controller is, what was
// changed against the defaults, its errors and the technician's description.
struct TServiceReportData {
    TPrintSet Set;
    QString SerialNumber;
    QString SoftwareVersion;
    std::vector<TReportDifference> Differences; // in address order
    std::vector<TLogbookEntry> ChangesToday;    // the logbook's entries of today for the serial number
};

namespace TServiceReport {

// The family's differences from the defaults, in address order; the pressure is listed
// in the unit the language shows it in (psi for 102, else bar).
TServiceReportData Collect(TTable& metadata, TTable& sets, Family family, int storedLanguageValue);
// The logbook's entries of the day for the report's serial number (none without one), newest first.
// A logbook that cannot be read leaves the section empty: the report is still printed.
void TakeChangesToday(TServiceReportData& report, const TServiceLogbook& logbook, const QDate& today);
// The entries of an information memo: 0 software version, 2 serial number, as the read stored them.
QString InformationEntry(const QString& infoMemo, int entry);

TPageDocument Layout(const TServiceReportData& report, const TPageGeometry& geometry, const TPrintSettings& settings,
                     const QString& date);

// The report's own headings in the language column (German ... Chinese; English otherwise).
enum class Heading { Title, ControllerType, Date, Changed, Parameter, Default, Value, Unit, None };
QString HeadingText(Heading heading, int languageIndex);

} // namespace TServiceReport
