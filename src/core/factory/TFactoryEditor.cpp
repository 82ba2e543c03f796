#include "core/factory/TFactoryEditor.h"

#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int kRecordDescription = 212;
constexpr int kRecordNotTestable = 314;

constexpr double kMinFlow = 15;
constexpr double kMaxFlow = 1000;
constexpr int kMinFlowTenthsGal = 40;
constexpr int kMaxFlowTenthsGal = 2641;

bool IsFlow(const QString& field) {
    return field == QLatin1String("FlowFastUp") || field == QLatin1String("FlowFastDn");
}
bool IsGallonFlow(const QString& field) {
    return field == QLatin1String("FlowFastUpInGal") || field == QLatin1String("FlowFastDnInGal");
}
bool IsUp(const QString& field) {
    return field.startsWith(QLatin1String("FlowFastUp"));
}

// The metadata's numbers in the precision their factor gives them; none for another factor.
std::optional<int> DecimalsOfFactor(double factor) {
    if (factor == 1) {
        return 0;
    }
    if (factor == 10) {
        return 1;
    }
    if (factor == 100) {
        return 2;
    }
    return std::nullopt;
}

} // namespace

QString TFactoryEditor::Text(int record) const {
    return m_database.Language().Text(record);
}

TFactoryEditor::TFactoryEditor(TParameterDatabase& database, Feedback& feedback, Clock& clock, bool usUnits)
    : m_database(database), m_feedback(feedback), m_clock(clock), m_usUnits(usUnits) {}

TTable& TFactoryEditor::Sets() {
    return m_database.Table(QStringLiteral("Fact_TableParameterSet"));
}
TTable& TFactoryEditor::ValveTypes() {
    return m_database.Table(QStringLiteral("Fact_TableValveType"));
}
TTable& TFactoryEditor::Metadata() {
    return m_database.TableParameterDBSettings();
}

QString TFactoryEditor::FlowUpField() const {
    return m_usUnits ? QStringLiteral("FlowFastUpInGal") : QStringLiteral("FlowFastUp");
}
QString TFactoryEditor::FlowDnField() const {
    return m_usUnits ? QStringLiteral("FlowFastDnInGal") : QStringLiteral("FlowFastDn");
}
QString TFactoryEditor::OffsetField() const {
    return m_usUnits ? QStringLiteral("OffsetSolUpInPsi") : QStringLiteral("OffsetSolUp");
}
QString TFactoryEditor::FlowUnit() const {
    return m_usUnits ? QStringLiteral("US gpm") : QStringLiteral("l/min");
}
QString TFactoryEditor::PressureUnit() const {
    return m_usUnits ? QStringLiteral("psi") : QStringLiteral("bar");
}

QString TFactoryEditor::FlowHint() const {
    return m_usUnits ? QStringLiteral("Range: 4.0...264.1 US gpm") : QStringLiteral("Range: 15...1000 l/min");
}

QString TFactoryEditor::ValveHint() {
    QString hint;
    TTable& valves = ValveTypes();
    for (valves.First(); !valves.Eof(); valves.Next()) {
        const double qmin = valves.FieldAsFloat(QStringLiteral("Qmin"));
        const double qmax = valves.FieldAsFloat(QStringLiteral("Qmax"));
        const QString low =
            m_usUnits ? LocaleFixed(qmin / FactoryMath::kLitresPerGallon + 0.05, 1) : LocaleFixed(qmin, 0);
        const QString high =
            m_usUnits ? LocaleFixed(qmax / FactoryMath::kLitresPerGallon - 0.05, 1) : LocaleFixed(qmax, 0);
        hint += QStringLiteral("Valve: ") + valves.FieldAsText(QStringLiteral("Text")) + QStringLiteral(": Range: ") +
                low + QStringLiteral("...") + high + QLatin1Char('\r');
    }
    return hint;
}

std::vector<std::pair<QString, QString>> TFactoryEditor::RangeHints() {
    static const QStringList hinted{QStringLiteral("K6Speed"), QStringLiteral("K7Speed"), QStringLiteral("K8Speed"),
                                    QStringLiteral("FlowCalUp"), QStringLiteral("FlowCalDn")};
    std::vector<std::pair<QString, QString>> hints;
    const Family family = m_database.ParameterFamily();
    m_database.SetParameterFamily(Family::None);
    TTable& metadata = Metadata();
    QString text;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (const auto decimals = DecimalsOfFactor(metadata.FieldAsFloat(QStringLiteral("Factor")))) {
            text = QStringLiteral("Range: ") +
                   LocaleFixed(metadata.FieldAsFloat(QStringLiteral("Minimum")), *decimals) + QStringLiteral("...") +
                   LocaleFixed(metadata.FieldAsFloat(QStringLiteral("Maximum")), *decimals) +
                   QStringLiteral("\rDefault: ") +
                   LocaleFixed(metadata.FieldAsFloat(QStringLiteral("Default")), *decimals);
        }
        const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
        if (metadata.FieldAsText(QStringLiteral("ControllerType")) == QLatin1String("TKX") &&
            (field == OffsetField() || hinted.contains(field))) {
            hints.emplace_back(field, text);
        }
    }
    m_database.SetParameterFamily(family);
    return hints;
}

namespace {
// The metric values the controller receives, from the imperial ones typed (what ConvertToMetric stores).
double BarOf(double psi) {
    return std::trunc((psi / FactoryMath::kPsiPerBar + 0.05) * 10) / 10;
}
double LitresOf(double gallons) {
    return std::trunc(gallons * FactoryMath::kLitresPerGallon + 0.5);
}
} // namespace

void TFactoryEditor::Start() {
    TTable& sets = Sets();
    if (m_usUnits) {
        const int current = sets.RecNo();
        for (sets.First(); !sets.Eof(); sets.Next()) {
            // An imperial value typed earlier stays as typed as long as it still stands for the metric
            // value (31 psi is stored as 2.1 bar, which would come back as 30 psi); only a metric value
            // changed elsewhere is converted afresh.
            const auto kept = [&](const char* imperial, double metric,
                                  double (*back)(double)) -> std::optional<double> {
                const QString field = QLatin1String(imperial);
                if (sets.FieldIsNull(field) || back(sets.FieldAsFloat(field)) != metric) {
                    return std::nullopt;
                }
                return sets.FieldAsFloat(field);
            };
            const auto gallons = [&](const char* field, const char* imperial) {
                const double litres = sets.FieldAsFloat(QLatin1String(field));
                if (const auto typed = kept(imperial, litres, &LitresOf)) {
                    return *typed;
                }
                const double value = std::trunc(litres * 10 / FactoryMath::kLitresPerGallon + 0.5) / 10;
                return std::clamp(value, kMinFlowTenthsGal / 10.0, kMaxFlowTenthsGal / 10.0);
            };
            const double bar = sets.FieldAsFloat(QStringLiteral("OffsetSolUp"));
            const double psi =
                kept("OffsetSolUpInPsi", bar, &BarOf).value_or(std::trunc(bar * FactoryMath::kPsiPerBar + 0.5));
            const double up = gallons("FlowFastUp", "FlowFastUpInGal");
            const double down = gallons("FlowFastDn", "FlowFastDnInGal");
            sets.Edit();
            sets.SetFieldFloat(QStringLiteral("OffsetSolUpInPsi"), psi);
            sets.SetFieldFloat(QStringLiteral("FlowFastUpInGal"), up);
            sets.SetFieldFloat(QStringLiteral("FlowFastDnInGal"), down);
            sets.Post();
        }
        sets.MoveTo(std::max(current, 0));
    }
    m_upMark = m_downMark = m_lookupMark = false;
    m_lookupFailed.clear();
    m_results.clear();
    m_currentValveCode = 0;
    if (!sets.IsEmpty()) {
        ValveTypeChange(Field(QStringLiteral("ValveType")));
    }
}

void TFactoryEditor::ConvertToMetric() {
    if (!m_usUnits) {
        return;
    }
    try {
        TTable& sets = Sets();
        const int current = sets.RecNo();
        for (sets.First(); !sets.Eof(); sets.Next()) {
            const double bar = BarOf(sets.FieldAsFloat(QStringLiteral("OffsetSolUpInPsi")));
            const double up = LitresOf(sets.FieldAsFloat(QStringLiteral("FlowFastUpInGal")));
            const double down = LitresOf(sets.FieldAsFloat(QStringLiteral("FlowFastDnInGal")));
            sets.Edit();
            sets.SetFieldFloat(QStringLiteral("OffsetSolUp"), bar);
            sets.SetFieldFloat(QStringLiteral("FlowFastUp"), up);
            sets.SetFieldFloat(QStringLiteral("FlowFastDn"), down);
            sets.Post();
        }
        sets.MoveTo(std::max(current, 0));
    } catch (const TableError&) {
        return; // a closing window has nobody to tell; the imperial fields still hold the values
    }
}

double TFactoryEditor::Field(const QString& field) const {
    return const_cast<TFactoryEditor*>(this)->Sets().FieldAsFloat(field);
}

void TFactoryEditor::Store(const QString& field, double value) {
    TTable& sets = Sets();
    sets.Edit();
    sets.SetFieldFloat(field, value);
}

void TFactoryEditor::Post() {
    TTable& sets = Sets();
    sets.Post();
    sets.Refresh();
}

void TFactoryEditor::ValveTypeChange(double listValue) {
    const int code = static_cast<int>(listValue);
    if (code == m_currentValveCode) {
        return;
    }
    try {
        const int old = m_currentValveCode;
        m_currentValveCode = code;
        const double v = RangeCheck(QStringLiteral("ValveType"), code);
        if (v != code) {
            Store(QStringLiteral("ValveType"), old);
            m_currentValveCode = old; // the valve put back is the current one again
            if (v == kNotTestable) {
                m_feedback.ShowMessage(MessageKind::Error, Text(Record::Warning), Text(kRecordNotTestable),
                                       MessageButtons::Ok);
            }
        } else {
            Recompute();
        }
        Post();
    } catch (const TableError&) {
        m_feedback.ShowMessage(MessageKind::Error, Text(Record::Warning), Text(Record::DatabaseNotAvailable),
                               MessageButtons::Ok);
    }
}

void TFactoryEditor::ListChanged() {
    Post();
    Recompute();
}

void TFactoryEditor::InputCheck(const QString& field, std::optional<double> value) {
    if (!value) {
        m_feedback.ShowMessage(MessageKind::Warning, Text(Record::Remark), Text(Record::EmptyField),
                               MessageButtons::Ok);
        Sets().Cancel(); // the emptied input shows its value again; every other choice is posted already
        return;
    }
    const double v = RangeCheck(field, *value);
    if (v != *value) {
        if (v == kNotTestable) {
            m_feedback.ShowMessage(MessageKind::Error, Text(Record::Warning), Text(kRecordNotTestable),
                                   MessageButtons::Ok);
        } else {
            Store(field, v);
        }
    }
    Post();
    Recompute();
}

void TFactoryEditor::RangeMessage(bool upper, const QString& limit) const {
    m_feedback.ShowMessage(MessageKind::Error, Text(Record::RangeError),
                           (upper ? QStringLiteral("Max. = ") : QStringLiteral("Min. = ")) + limit.rightJustified(10),
                           MessageButtons::Ok);
}

bool TFactoryEditor::LoadValve(int code) {
    TTable& valves = ValveTypes();
    if (code < 1 || code > valves.RecordCount()) {
        return false;
    }
    valves.MoveTo(code - 1);
    m_valve.Name = valves.FieldAsText(QStringLiteral("Name"));
    m_valve.Code = static_cast<int>(valves.FieldAsFloat(QStringLiteral("Code")));
    m_valve.Qmin = valves.FieldAsFloat(QStringLiteral("Qmin"));
    m_valve.Qmax = valves.FieldAsFloat(QStringLiteral("Qmax"));
    m_valve.QFact = valves.FieldAsFloat(QStringLiteral("QFact"));
    m_valve.SlowFact = valves.FieldAsFloat(QStringLiteral("SlowFact"));
    m_valve.PelvorCode = valves.FieldAsFloat(QStringLiteral("PelvorCode"));
    m_valve.Kind = valves.FieldAsText(QStringLiteral("Kind"));
    m_valve.Smallest = valves.FieldAsText(QStringLiteral("Smallest"));
    m_valveLoaded = true;
    return true;
}

double TFactoryEditor::RangeCheck(const QString& field, double x) {
    // A field whose range could not be looked up keeps the file button disabled until a later
    // lookup of that field succeeds.
    const double v = LookUpRange(field, x);
    if (v == kNotTestable) {
        m_lookupFailed.insert(field);
    } else {
        m_lookupFailed.erase(field);
    }
    m_lookupMark = !m_lookupFailed.empty();
    return v;
}

double TFactoryEditor::LookUpRange(const QString& field, double x) {
    if (field == QLatin1String("ValveType")) {
        try {
            if (!LoadValve(static_cast<int>(x)) || static_cast<int>(x) != x) {
                return kNotTestable;
            }
        } catch (const TableError&) {
            return kNotTestable;
        }
        FlowCheck(Field(FlowUpField()), Field(FlowDnField()));
        return x;
    }
    if (IsFlow(field) || IsGallonFlow(field)) {
        double v = x;
        bool limited = false;
        if (IsFlow(field)) {
            if (x > kMaxFlow || x < kMinFlow) {
                limited = true;
                v = x > kMaxFlow ? kMaxFlow : kMinFlow;
                RangeMessage(x > kMaxFlow, QString::asprintf("%.2f", v));
            }
        } else {
            double t = std::trunc(x * 10 + 0.5);
            if (t > kMaxFlowTenthsGal || t < kMinFlowTenthsGal) {
                limited = true;
                const bool upper = t > kMaxFlowTenthsGal;
                t = upper ? kMaxFlowTenthsGal : kMinFlowTenthsGal;
                RangeMessage(upper, QString::asprintf("%.1f", t / 10));
            }
            v = t / 10;
        }
        const double edited = limited ? v : x;
        if (IsUp(field)) {
            FlowCheck(edited, Field(FlowDnField()));
        } else {
            FlowCheck(Field(FlowUpField()), edited);
        }
        return v;
    }
    if (field == QLatin1String("CheckNo1") || field == QLatin1String("CheckNo2")) {
        return x;
    }
    const Family family = m_database.ParameterFamily();
    double v = kNotTestable;
    try {
        m_database.SetParameterFamily(Family::None);
        TTable& metadata = Metadata();
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            if (metadata.FieldAsText(QStringLiteral("FieldName")) == field) {
                const double low = metadata.FieldAsFloat(QStringLiteral("Minimum"));
                const double high = metadata.FieldAsFloat(QStringLiteral("Maximum"));
                v = std::clamp(x, low, high);
                if (x > high || x < low) {
                    RangeMessage(x > high, QString::asprintf("%.2f", v));
                }
                break;
            }
        }
    } catch (const TableError&) {
        v = kNotTestable;
    }
    m_database.SetParameterFamily(family);
    return v;
}

void TFactoryEditor::FlowCheck(double up, double down) {
    if (!m_valveLoaded) {
        return;
    }
    const double q = FactoryMath::FlowTenths(up, m_usUnits);
    const double r = FactoryMath::FlowTenths(down, m_usUnits);
    m_upMark = FactoryMath::FlowUnsuitable(q, r, m_valve);
    m_downMark = FactoryMath::FlowUnsuitable(r, q, m_valve);
}

TFactoryInputs TFactoryEditor::Inputs() const {
    TFactoryInputs in;
    in.UsUnits = m_usUnits;
    const auto f = [this](const char* name) { return Field(QLatin1String(name)); };
    in.CheckNo1 = f("CheckNo1");
    in.CheckNo2 = f("CheckNo2");
    in.TKXOpDn = f("TKXOpDn");
    in.SIUType = f("SIUType");
    in.Language = f("Language");
    in.CommandInput = f("CommandInput");
    in.AuxSpeed = f("AuxSpeed");
    in.StartDelay = f("StartDelay");
    in.RelayFunction = f("RelayFunction");
    in.EdgeDetect = f("EdgeDetect");
    in.K6Speed = f("K6Speed");
    in.K7Speed = f("K7Speed");
    in.K8Speed = f("K8Speed");
    in.FlowUp = Field(FlowUpField());
    in.FlowDn = Field(FlowDnField());
    in.OffsetSolUp = Field(OffsetField());
    in.FlowCalUp = f("FlowCalUp");
    in.FlowCalDn = f("FlowCalDn");
    return in;
}

void TFactoryEditor::Recompute() {
    if (AnyMark() || !m_valveLoaded) {
        m_results.clear();
        return;
    }
    m_results = FactoryMath::ComputeResults(Inputs(), m_valve);
}

QString TFactoryEditor::ProposedFileName() const {
    const auto shown = [this](const char* name, const char* format) {
        const TFactoryResult* result = FactoryMath::FindResult(m_results, QLatin1String(name));
        return result != nullptr ? result->Shown : QString::asprintf(format, std::llround(Field(QLatin1String(name))));
    };
    return shown("CheckNo1", "%04lld") + shown("CheckNo2", "%05lld") + QStringLiteral(".fact");
}

QString TFactoryEditor::FileTitle(const QString& path) {
    return QFileInfo(path).fileName() + QStringLiteral(" - WinTorvex32");
}

std::vector<TFactoryFileRow> TFactoryEditor::FileRows() {
    std::vector<TFactoryFileRow> rows;
    TTable& table = m_database.Table(QStringLiteral("Fact_TableParameterDBSettings"));
    for (table.First(); !table.Eof(); table.Next()) {
        const QString type = table.FieldAsText(QStringLiteral("ControllerType"));
        const QString field = table.FieldAsText(QStringLiteral("FieldName"));
        if ((type != QLatin1String("All") && type != m_valve.Kind) || field == QLatin1String("OffsetSolUpInPsi")) {
            continue;
        }
        const TFactoryResult* result = FactoryMath::FindResult(m_results, field);
        if (result == nullptr) {
            throw TableError(QStringLiteral("no result %1").arg(field));
        }
        rows.push_back(TFactoryFileRow{static_cast<int>(table.FieldAsInteger(QStringLiteral("EeprAddrFact"))),
                                       static_cast<int>(table.FieldAsInteger(QStringLiteral("EeprAddrUser"))),
                                       static_cast<int>(table.FieldAsInteger(QStringLiteral("EeprAddrCrt"))),
                                       table.FieldAsText(QStringLiteral("Name")), std::llround(result->Code)});
    }
    return rows;
}

bool TFactoryEditor::CreateFile(const QString& path) {
    const QString title = FileTitle(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.mid(dot) != QLatin1String(".fact")) {
        m_feedback.ShowMessage(MessageKind::Error, title, Text(Record::FileNameNotValid) + path, MessageButtons::Ok);
        return false;
    }
    bool written = false;
    if (CanCreateFile()) {
        try {
            TFactoryFileContent content;
            content.DescriptionLabel = Text(kRecordDescription);
            content.Description = Sets().FieldAsText(QStringLiteral("Description"));
            content.Generated = m_clock.Now();
            content.Kind = m_valve.Kind;
            content.Rows = FileRows();
            written = WriteFactoryFile(path, content);
        } catch (const TableError&) {
            written = false;
        }
    }
    if (!written) {
        m_feedback.ShowMessage(MessageKind::Error, title, Text(Record::WriteFileError) + path, MessageButtons::Ok);
    }
    return written;
}
