#include "core/params/TSetCheck.h"

#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"

#include "core/base/Language.h"
#include "core/base/Records.h"

#include <cmath>
#include <map>

namespace {

struct Limits {
    double Minimum = 0;
    double Maximum = 0;
    double Factor = 1;
};

QString Fixed2(double value) {
    if (!std::isfinite(value)) {
        return QString::number(value);
    }
    // Large values in full, so the user sees what the file really holds.
    return std::abs(value) < 1e15 ? QString::number(value, 'f', 2) : QString::number(value, 'g', 6);
}

// Inside the range as the controller receives the value: scaled by the factor and rounded.
bool Inside(double value, const Limits& limits) {
    if (!std::isfinite(value)) {
        return false;
    }
    const double factor = limits.Factor > 0 ? limits.Factor : 1;
    const double sent = std::nearbyint(value * factor);
    return sent >= std::nearbyint(limits.Minimum * factor) && sent <= std::nearbyint(limits.Maximum * factor);
}

} // namespace

QString TValueProblem::Describe(const TLanguage& language) const {
    QString text = QStringLiteral("- ") + Caption + QStringLiteral(" (") + Field + QStringLiteral("): ");
    switch (Problem) {
    case Kind::Empty:
        // The range tells what may go into the empty field.
        text += language.Text(Record::EmptyField) + QStringLiteral("  [") + Fixed2(Minimum) + QStringLiteral(" .. ") +
                Fixed2(Maximum) + QLatin1Char(']');
        break;
    case Kind::Duplicated:
        text += Value + QStringLiteral("  (given twice)");
        break;
    case Kind::OutOfRange:
        text += Value + QStringLiteral("  [") + Fixed2(Minimum) + QStringLiteral(" .. ") + Fixed2(Maximum) +
                QLatin1Char(']');
        break;
    }
    if (Line > 0) {
        text += QStringLiteral(" (line %1)").arg(Line);
    }
    return text;
}

std::vector<TValueProblem> CheckSetForWriting(TParameterDatabase& database, Family family,
                                              const std::vector<TSetValue>& values, bool psi) {
    database.SetParameterFamily(family);
    TTable& metadata = database.TableParameterDBSettings();
    std::map<QString, Limits> limits;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        limits[metadata.FieldAsText(QStringLiteral("FieldName"))] = {metadata.FieldAsFloat(QStringLiteral("Minimum")),
                                                                     metadata.FieldAsFloat(QStringLiteral("Maximum")),
                                                                     metadata.FieldAsFloat(QStringLiteral("Factor"))};
    }
    // Of the two forms of the TKX minimum pressure only the one that is sent counts.
    const QString unused =
        family == Family::Tkx ? (psi ? QStringLiteral("OffsetSolUp") : QStringLiteral("OffsetSolUpInPsi")) : QString();

    std::vector<TValueProblem> problems;
    std::map<QString, int> seen;
    for (const TSetValue& value : values) {
        const auto known = limits.find(value.Field);
        if (known == limits.end()) {
            continue;
        }
        TValueProblem problem;
        problem.Field = value.Field;
        problem.Caption = ParameterCaption(value.Field, 0, database.Language().Index());
        problem.Value = value.Value ? Fixed2(*value.Value) : QString();
        problem.Minimum = known->second.Minimum;
        problem.Maximum = known->second.Maximum;
        problem.Line = value.Line;
        if (++seen[value.Field] > 1) {
            problem.Problem = TValueProblem::Kind::Duplicated;
            problems.push_back(problem);
        } else if (value.Field == unused) {
            continue;
        } else if (!value.Value) {
            problem.Problem = TValueProblem::Kind::Empty;
            problems.push_back(problem);
        } else if (!Inside(*value.Value, known->second)) {
            problem.Problem = TValueProblem::Kind::OutOfRange;
            problems.push_back(problem);
        }
    }
    return problems;
}

std::vector<TSetValue> CurrentSetValues(TParameterDatabase& database, Family family) {
    database.SetParameterFamily(family);
    TTable& metadata = database.TableParameterDBSettings();
    TTable& sets = database.SetTable(family);
    std::vector<TSetValue> values;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
        if (sets.FieldIsNull(field)) {
            values.push_back({field, std::nullopt});
        } else {
            values.push_back({field, sets.FieldAsFloat(field)});
        }
    }
    return values;
}

QString DescribeValueProblems(const std::vector<TValueProblem>& problems, const TLanguage& language) {
    QString text = language.Text(Record::ParametersOutOfRange);
    for (const TValueProblem& problem : problems) {
        text += QLatin1Char('\r') + problem.Describe(language);
    }
    return text;
}
