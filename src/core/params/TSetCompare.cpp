#include "core/params/TSetCompare.h"

#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/VersionGates.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Feedback.h"
#include "core/base/IniFile.h"
#include "core/base/Records.h"
#include "core/link/TCommParameter.h"
#include "core/link/TTorvexController.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const QString kOffset = QStringLiteral("OffsetSolUp");
const QString kOffsetInPsi = QStringLiteral("OffsetSolUpInPsi");

struct Row {
    QString Field;
    int Address = 0;
    double Factor = 1;
    double Minimum = 0;
    double Maximum = 0;
};

// The family's metadata rows in table order, without the pressure row the windows do not show.
std::vector<Row> ComparedRows(TParameterDatabase& database, Family family, bool psi, double& offsetFactor) {
    database.SetParameterFamily(family);
    TTable& metadata = database.TableParameterDBSettings();
    std::vector<Row> rows;
    offsetFactor = 10;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        Row row{metadata.FieldAsText(QStringLiteral("FieldName")),
                static_cast<int>(metadata.FieldAsInteger(QStringLiteral("EpromAddress"))),
                metadata.FieldAsFloat(QStringLiteral("Factor")), metadata.FieldAsFloat(QStringLiteral("Minimum")),
                metadata.FieldAsFloat(QStringLiteral("Maximum"))};
        if (row.Factor == 0) {
            row.Factor = 1;
        }
        if (family == Family::Tkx && row.Field == kOffset) {
            offsetFactor = row.Factor;
        }
        // The pressure is one parameter, shown in one unit.
        if (family == Family::Tkx && row.Field == (psi ? kOffset : kOffsetInPsi)) {
            continue;
        }
        rows.push_back(row);
    }
    return rows;
}

std::optional<double> ValueOf(const std::vector<TSetValue>& values, const QString& field) {
    const auto it =
        std::find_if(values.begin(), values.end(), [&](const TSetValue& value) { return value.Field == field; });
    return it != values.end() ? it->Value : std::nullopt;
}

// What the controller receives for a display value: the write's own conversion.
std::optional<qint64> Sent(const std::optional<double>& value, const Row& row, double offsetFactor) {
    if (!value || !std::isfinite(*value)) {
        return std::nullopt;
    }
    if (row.Field == kOffsetInPsi) {
        return static_cast<qint64>(std::trunc((*value / Conversion::kPsiPerBar + 0.05) * offsetFactor));
    }
    return static_cast<qint64>(std::nearbyint(*value * row.Factor));
}

TParameterDifference Difference(const Row& row, const std::optional<double>& theirs, const std::optional<double>& ours,
                                int languageIndex) {
    TParameterDifference difference{row.Field,
                                    row.Address,
                                    ParameterCaption(row.Field, 0, languageIndex),
                                    ParameterCaption(row.Field, 1, languageIndex),
                                    theirs,
                                    ours};
    difference.TheirsInRange = theirs && *theirs >= row.Minimum && *theirs <= row.Maximum;
    return difference;
}

void SortByAddress(std::vector<TParameterDifference>& list) {
    std::stable_sort(list.begin(), list.end(), [](const TParameterDifference& a, const TParameterDifference& b) {
        return a.Address < b.Address;
    });
}

bool DumpComplete(const TTorvexController& session) {
    for (quint32 number = 1001; number <= 1010; ++number) {
        if (!session.Dump.Numbers.contains(number)) {
            return false;
        }
    }
    return true;
}

} // namespace

QString TParameterDifference::ValueText(const std::optional<double>& value) {
    return value ? QString::number(*value, 'g', 12) : QString();
}

std::set<QString> TSetComparison::DifferingFields() const {
    std::set<QString> fields;
    for (const TParameterDifference& difference : Differences) {
        fields.insert(difference.Field);
    }
    return fields;
}

namespace TSetCompare {

std::vector<TSetValue> CurrentValues(TParameterDatabase& database, Family family) {
    return CurrentSetValues(database, family);
}

TSetComparison AgainstSet(TParameterDatabase& database, Family family, const std::vector<TSetValue>& ours,
                          const std::vector<TSetValue>& theirs, bool psi) {
    TSetComparison comparison;
    double offsetFactor = 10;
    const int language = database.Language().Index();
    for (const Row& row : ComparedRows(database, family, psi, offsetFactor)) {
        const std::optional<double> mine = ValueOf(ours, row.Field);
        const std::optional<double> other = ValueOf(theirs, row.Field);
        ++comparison.Compared;
        if (Sent(mine, row, offsetFactor) != Sent(other, row, offsetFactor)) {
            comparison.Differences.push_back(Difference(row, other, mine, language));
        }
    }
    SortByAddress(comparison.Differences);
    return comparison;
}

TSetComparison AgainstDump(TParameterDatabase& database, Family family, const std::vector<TSetValue>& ours,
                           const TTorvexController& session, int version, bool psi) {
    TSetComparison comparison;
    double offsetFactor = 10;
    const int language = database.Language().Index();
    TVersionGates gates(database.Language());
    for (const Row& row : ComparedRows(database, family, psi, offsetFactor)) {
        std::optional<double> mine = ValueOf(ours, row.Field);
        const TVersionGroup* group = gates.GroupOf(family, row.Field);
        // Newer VF-TKX controllers keep the inverter status to themselves: a read leaves it empty,
        // reads their 0 as 3, and the write sends them 3.
        const bool inverterStatus = family == Family::VfTkx && row.Field == QLatin1String("FUError") &&
                                    group != nullptr && !group->ReadBy(version);
        if (inverterStatus && !mine) {
            mine = 3;
        }
        if (group != nullptr && !group->WrittenTo(version)) {
            comparison.NotOnController.push_back(Difference(row, std::nullopt, mine, language));
            continue;
        }
        ++comparison.Compared;
        std::optional<double> held;
        std::optional<qint64> heldRaw;
        if (session.Dump.Numbers.contains(static_cast<quint32>(row.Address))) {
            TTorvexParameter parameter;
            session.GetParameter(static_cast<quint16>(row.Address), parameter);
            heldRaw = static_cast<qint64>(static_cast<quint32>(parameter.Value));
            // Converted as a read converts it, so the values are those a read would store.
            held = row.Field == kOffsetInPsi ? Conversion::BarToPsi(static_cast<double>(*heldRaw) / offsetFactor)
                                             : static_cast<double>(*heldRaw) / row.Factor;
            if (inverterStatus && *heldRaw == 0) {
                held = 3;
                heldRaw = static_cast<qint64>(std::nearbyint(3 * row.Factor));
            }
        }
        if (Sent(mine, row, offsetFactor) != heldRaw) {
            comparison.Differences.push_back(Difference(row, held, mine, language));
        }
    }
    SortByAddress(comparison.Differences);
    SortByAddress(comparison.NotOnController);
    TakeIdentity(session, comparison);
    comparison.ControllerType = FamilyName(family);
    return comparison;
}

bool ReadSteadyDump(TTorvexController& session, const std::function<void(int)>& progress) {
    session.ReadParameterDump(progress);
    const TParameterDump first = session.Dump;
    session.Dump = {};
    session.ReadParameterDump();
    return !session.LinkFailed() && session.Dump.Numbers == first.Numbers && session.Dump.Values == first.Values;
}

void TakeIdentity(const TTorvexController& session, TSetComparison& comparison) {
    if (session.Dump.Numbers.contains(1001)) {
        TTorvexParameter version;
        session.GetParameter(1001, version);
        comparison.SoftwareVersion = QString::number(static_cast<quint32>(version.Value) / 1000.0, 'f', 3);
    }
    if (session.Dump.Numbers.contains(1003)) {
        TTorvexParameter serial;
        session.GetParameter(1003, serial);
        comparison.SerialNumber =
            QString::number(static_cast<quint32>(serial.Value)).rightJustified(9, QLatin1Char('0'));
    }
}

std::optional<TSetComparison> AgainstController(TParameterDatabase& database, TControllerAccess& access, Family family,
                                                const std::vector<TSetValue>& ours, const TCommParameter* port,
                                                bool psi, const std::function<void(int)>& progress) {
    const TLanguage& language = access.Configuration.Language();
    const auto fail = [&](const QString& text) {
        access.Ui.ShowMessage(MessageKind::Error, language.Text(Record::Error), text, MessageButtons::Ok);
        return std::nullopt;
    };
    static const TCommParameter none{QString()};
    auto session = access.OpenSession(port != nullptr ? *port : none);
    if (progress) {
        progress(6);
    }
    // One session: the type, the version and the dump, as few pauses as the controller allows.
    const QString type = session->Query(ControllerCommand::ControllerType);
    const QString versionText = session->ReadSoftwareVersion(QStringLiteral("2050"));
    int version = 0;
    if (!IniFile::ParseInteger(versionText, version) || versionText.size() > 7 || type.size() > 6 ||
        session->LinkFailed()) {
        return fail(language.Text(Record::TransferError));
    }
    // A controller whose password is active may still be read.
    const QString named = QString(type)
                              .replace(QLatin1String("2-PW!"), QLatin1String("VF-TKX"))
                              .replace(QLatin1String("1-PW!"), QLatin1String("TKX"));
    if (named != FamilyName(family)) {
        return fail(named.isEmpty() ? language.Text(Record::TransferError)
                                    : language.Text(Record::WrongController) + named);
    }
    if (!ReadSteadyDump(*session, progress) || !DumpComplete(*session)) {
        return fail(language.Text(Record::TransferError) +
                    QStringLiteral("\r\r(%1 entries received)").arg(session->Dump.Size()));
    }
    TSetComparison comparison = AgainstDump(database, family, ours, *session, version, psi);
    session.reset();
    if (progress) {
        progress(100);
    }
    return comparison;
}

} // namespace TSetCompare
