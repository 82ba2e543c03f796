#include "core/params/TParameterEditing.h"

#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"

#include <cmath>

namespace {

bool IsTkxValve(qint64 code) {
    return (code >= 1 && code <= 8) || (code >= 11 && code <= 16);
}
bool IsVfValve(qint64 code) {
    return code == 9 || code == 10 || code == 17 || code == 18;
}
} // namespace

TParameterEditing::TParameterEditing(TParameterDatabase& database, Feedback& feedback, Family family)
    : m_database(database), m_feedback(feedback), m_family(family) {}

QString TParameterEditing::Text(int record) const {
    return m_database.Language().Text(record);
}

QString TParameterEditing::FamilyType() const {
    return m_family == Family::VfTkx ? QStringLiteral("ITKX") : QStringLiteral("TKX");
}

QString TParameterEditing::LimitText(const QString& prefix, double limit) {
    return prefix + QString::asprintf("%10.2f", limit);
}

void TParameterEditing::RangeError(const QString& text, const QString& caption) const {
    m_feedback.ShowMessage(MessageKind::Error, Text(Record::RangeError),
                           caption.isEmpty() ? text : caption + QLatin1Char('\r') + text, MessageButtons::Ok);
}

double TParameterEditing::CheckParameterValue(const QString& name, double value, const QString& caption) {
    m_database.SetParameterFamily(m_family);
    TTable& metadata = m_database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (metadata.FieldAsText("FieldName") == name || metadata.FieldAsText("ControllerType") != FamilyType()) {
            break;
        }
    }
    // Without a row of that name the walk ends on the last row, whose range then applies.
    const double minimum = metadata.FieldAsFloat("Minimum");
    const double maximum = metadata.FieldAsFloat("Maximum");
    const bool valveType = name == QLatin1String("ValveType");
    bool unavailable = false;
    if (valveType) {
        const qint64 code = static_cast<qint64>(std::nearbyint(value));
        const bool own = m_family == Family::VfTkx ? IsVfValve(code) : IsTkxValve(code);
        if (!own) {
            unavailable = true;
            // A code of the other family, or none at all: either way not for this controller.
            RangeError(Text(Record::ValveTypeNotAvailable));
        }
    }
    if (value > maximum) {
        if (!valveType) {
            RangeError(LimitText(QStringLiteral("Max. = "), maximum), caption);
        }
        return maximum;
    }
    if (value >= minimum) {
        return unavailable ? kUnavailable : value;
    }
    if (!valveType) {
        RangeError(LimitText(QStringLiteral("Min. = "), minimum), caption);
    }
    return minimum;
}

bool TParameterEditing::LevelAllows(const QString& field, int level) {
    m_database.SetParameterFamily(m_family);
    TTable& metadata = m_database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (metadata.FieldAsText("FieldName") == field && metadata.FieldAsText("ControllerType") == FamilyType()) {
            break;
        }
    }
    return level >= metadata.FieldAsInteger("PasswordLevel");
}

std::map<QString, QString> TParameterEditing::RangeHints(bool psi) {
    std::map<QString, QString> hints;
    // Building hints restricts the metadata to one family only for as long as it takes:
    // whoever looks at the metadata afterwards still sees what he saw before.
    const Family family = m_database.ParameterFamily();
    try {
        m_database.SetParameterFamily(m_family);
        TTable& metadata = m_database.TableParameterDBSettings();
        QString hint; // a factor other than 1, 10 or 100 keeps the hint of the row before
        QString barHint;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            const QString field = metadata.FieldAsText("FieldName");
            const qint64 factor = metadata.FieldAsInteger("Factor");
            const int decimals = factor == 1 ? 0 : factor == 10 ? 1 : factor == 100 ? 2 : -1;
            if (decimals >= 0) {
                const auto number = [&](const char* column) {
                    return LocaleFixed(metadata.FieldAsFloat(QLatin1String(column)), decimals);
                };
                hint = QStringLiteral("Range: ") + number("Minimum") + QStringLiteral("...") + number("Maximum") +
                       QStringLiteral("\rDefault: ") + number("Default");
                if (m_family == Family::VfTkx) {
                    hint = field + QLatin1Char('\r') + hint;
                }
            }
            if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUp")) {
                barHint = hint; // its edit field shows bar or psi: decided at the psi row
            } else if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUpInPsi")) {
                hints[QStringLiteral("OffsetSolUp")] = psi ? hint : barHint;
            } else {
                hints[field] = hint;
            }
        }
    } catch (const TableError&) {
        // Hints are a help, not a condition: a table problem leaves the rest without one.
    }
    try {
        m_database.SetParameterFamily(family);
    } catch (const TableError&) {
        // The restriction stays as it is; the next window or list sets its own.
    }
    return hints;
}

void TParameterEditing::ConvertToPsi() {
    TTable& sets = m_database.SetTable(m_family);
    const int current = sets.RecNo();
    try {
        for (sets.First(); !sets.Eof(); sets.Next()) {
            sets.Edit();
            sets.SetFieldFloat("OffsetSolUpInPsi", Conversion::BarToPsi(sets.FieldAsFloat("OffsetSolUp")));
        }
        sets.Post();
    } catch (const TableError&) {
        sets.Cancel();
    }
    if (current >= 0) {
        sets.MoveTo(current); // the technician stays on the set he was looking at
    }
}

void TParameterEditing::ConvertToBar() {
    TTable& sets = m_database.SetTable(m_family);
    const int current = sets.RecNo();
    try {
        for (sets.First(); !sets.Eof(); sets.Next()) {
            sets.Edit();
            sets.SetFieldFloat("OffsetSolUp", Conversion::PsiToBar(sets.FieldAsFloat("OffsetSolUpInPsi")));
        }
        sets.Post();
    } catch (const TableError&) {
        sets.Cancel();
    }
    if (current >= 0) {
        sets.MoveTo(current);
    }
}

void TParameterEditing::CurrentToBar() {
    TTable& sets = m_database.SetTable(m_family);
    if (!sets.IsOpen() || sets.IsEmpty() || sets.FieldIsNull("OffsetSolUpInPsi")) {
        return;
    }
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUp", Conversion::PsiToBar(sets.FieldAsFloat("OffsetSolUpInPsi")));
}

void TParameterEditing::CurrentToPsi() {
    TTable& sets = m_database.SetTable(m_family);
    if (!sets.IsOpen() || sets.IsEmpty()) {
        return;
    }
    sets.Edit();
    sets.SetFieldFloat("OffsetSolUpInPsi", Conversion::BarToPsi(sets.FieldAsFloat("OffsetSolUp")));
    sets.Post();
}
