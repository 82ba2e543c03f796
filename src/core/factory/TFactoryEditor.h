#pragma once

#include "core/factory/TFactoryFile.h"
#include "core/factory/TFactoryResults.h"

#include <QString>

#include <optional>
#include <set>
#include <vector>

class Clock;
class Feedback;
class TParameterDatabase;
class TTable;

// What the factory settings editor decides: valve data, range and flow checks, the
// Results, the unit conversions and the file. It works on the current record of the
// factory set table; the window shows what it holds and calls it on every input.
class TFactoryEditor {
public:
    static constexpr double kNotTestable = 99997;

    // usUnits: flows in US gpm and the minimum pressure in psi.
    TFactoryEditor(TParameterDatabase& database, Feedback& feedback, Clock& clock, bool usUnits);

    bool UsUnits() const { return m_usUnits; }
    // The fields the flow and minimum-pressure inputs are bound to.
    QString FlowUpField() const;
    QString FlowDnField() const;
    QString OffsetField() const;
    QString FlowUnit() const;
    QString PressureUnit() const;

    // Hints of the inputs.
    QString FlowHint() const;
    QString ValveHint();
    // Range hints of the numeric inputs taken from the parameter metadata, by field name.
    std::vector<std::pair<QString, QString>> RangeHints();

    // Creation with a database: the metric-to-imperial conversion (US units only), then the
    // valve of the current record loaded, its flows checked and the Results computed.
    void Start();
    // Every close: the imperial fields back into the metric ones (US units only).
    void ConvertToMetric();

    // The valve list closed on a code.
    void ValveTypeChange(double listValue);
    // Any other list closed: the choice is posted at once, so no later input's check can drop it.
    void ListChanged();
    // A numeric input left; no value for an empty text.
    void InputCheck(const QString& field, std::optional<double> value);
    // The range rule of a field: the value to keep, or 99997 when it cannot be checked.
    double RangeCheck(const QString& field, double value);
    // The description typed by the user.
    void DescriptionChanged() { Post(); }

    // What the window shows.
    int CurrentValveCode() const { return m_currentValveCode; }
    const TValveData& Valve() const { return m_valve; }
    bool ValveLoaded() const { return m_valveLoaded; }
    bool UpFlowMark() const { return m_upMark; }
    bool DownFlowMark() const { return m_downMark; }
    bool LookupMark() const { return m_lookupMark; }
    // The fields whose range could not be looked up: the reason the file cannot be made.
    const std::set<QString>& LookupFailures() const { return m_lookupFailed; }
    bool AnyMark() const { return m_upMark || m_downMark || m_lookupMark; }
    bool CanCreateFile() const { return !AnyMark() && m_valveLoaded; }
    // Empty while a mark is set.
    const std::vector<TFactoryResult>& Results() const { return m_results; }

    // The name the save dialog proposes: check numbers as shown, then ".fact".
    QString ProposedFileName() const;
    // The window title while a file is written: "NAME.fact - WinTorvex32".
    static QString FileTitle(const QString& path);
    // The file of the current Results; reports failures with the file title as caption.
    bool CreateFile(const QString& path);
    // The rows of the file for the loaded valve's kind.
    std::vector<TFactoryFileRow> FileRows();

    TTable& Sets();

private:
    QString Text(int record) const;
    TTable& ValveTypes();
    TTable& Metadata();
    bool LoadValve(int code);
    double LookUpRange(const QString& field, double value);
    void FlowCheck(double up, double down);
    void Recompute();
    void Post();
    void Store(const QString& field, double value);
    double Field(const QString& field) const;
    void RangeMessage(bool upper, const QString& limit) const;
    TFactoryInputs Inputs() const;

    TParameterDatabase& m_database;
    Feedback& m_feedback;
    Clock& m_clock;
    bool m_usUnits;
    int m_currentValveCode = 0;
    TValveData m_valve;
    bool m_valveLoaded = false;
    bool m_upMark = false;
    bool m_downMark = false;
    bool m_lookupMark = false;
    std::set<QString> m_lookupFailed; // fields whose range could not be looked up
    std::vector<TFactoryResult> m_results;
};
