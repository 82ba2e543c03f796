#pragma once

#include "core/base/Family.h"

#include <QString>

#include <map>

class Feedback;
class TParameterDatabase;

// What the parameter windows decide about an edited set: the range check of a value,
// which fields a password level unlocks, the range hints, and the bar/psi conversion
// of the minimum pressure. One family each (1 TKX, 2 VF-TKX).
class TParameterEditing {
public:
    // The result for a valve type the controller family does not have.
    static constexpr double kUnavailable = 99999999;

    TParameterEditing(TParameterDatabase& database, Feedback& feedback, Family family);

    // The value clamped to the metadata range (with its message); for ValveType also the
    // family check (kUnavailable for a code of the other family).
    // caption: the field's caption, put before the range message so it says which field it is about.
    double CheckParameterValue(const QString& name, double value, const QString& caption = QString());
    // Whether the level may edit (and send) the field.
    bool LevelAllows(const QString& field, int level);
    // The range hint of every numeric field of the family, by field name. For the TKX
    // minimum pressure the hint sits under "OffsetSolUp": the bar or (psi) the psi range.
    std::map<QString, QString> RangeHints(bool psi);

    // The psi value of every set from its bar value (a TKX window becoming active with
    // psi selected), and back (closing it). A table error ends the walk silently.
    void ConvertToPsi();
    void ConvertToBar();
    // The same for the current set alone: its bar value follows a psi value as soon as
    // it is typed, and a set that arrives while psi is shown gets its psi value.
    void CurrentToBar();
    void CurrentToPsi();

    // "Max. = " / "Min. = " and the limit right-aligned in 10 with two decimals and a point.
    static QString LimitText(const QString& prefix, double limit);

private:
    QString FamilyType() const;
    QString Text(int record) const;
    void RangeError(const QString& text, const QString& caption = QString()) const;

    TParameterDatabase& m_database;
    Feedback& m_feedback;
    Family m_family;
};
