#include "core/params/TParameterTransfer.h"

#include "core/params/ParameterCatalogue.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TSetCheck.h"
#include "core/params/VersionGates.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/app/TServiceLogbook.h"
#include "core/base/Clock.h"
#include "core/base/Feedback.h"
#include "core/base/IniFile.h"
#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/base/Records.h"
#include "core/link/TCommParameter.h"
#include "core/link/TTorvexController.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Thrown inside the write loop when a command did not reach the line.
struct BrokenWrite {};
// The user stopped the write; thrown between two parameters only.
struct StoppedWrite {};

// The type as a person reads it: the password replies name their family.
QString FamilyOfReply(QString type) {
    return type.replace(QLatin1String("2-PW!"), QLatin1String("VF-TKX"))
        .replace(QLatin1String("1-PW!"), QLatin1String("TKX"));
}

bool DecimalInteger(const QString& text, int& value) {
    return IniFile::ParseInteger(text, value);
}

// Saturating: a value no check has seen (a field that is not sent) never makes the cast undefined.
qint64 Whole(double value) {
    constexpr double kLimit = 9.0e18;
    return std::isfinite(value) ? static_cast<qint64>(std::clamp(value, -kLimit, kLimit)) : 0;
}
qint64 Nearest(double value) {
    return Whole(std::nearbyint(value));
}

// The controller reports unsigned values.
double Unsigned(qint32 value) {
    return static_cast<double>(static_cast<quint32>(value));
}

QString Fixed(double value, int decimals) {
    return LocaleFixed(value, decimals);
}

// A number for the information memo in the form its entry has always had.
QString InformationValue(int number, quint32 value, int version) {
    switch (number) {
    case 1001:
    case 1002:
        return Fixed(value / 1000.0, 3);
    case 1003:
    case 1004:
        return QString::number(value).rightJustified(9, QLatin1Char('0'));
    case 1009:
    case 1010:
        return Fixed(version > 2105 ? value / 1000.0 : value / 100.0, 3).rightJustified(2, QLatin1Char(' '));
    default:
        return QString::number(value).rightJustified(9, QLatin1Char(' '));
    }
}

} // namespace

TParameterTransfer::TParameterTransfer(TParameterDatabase& database, TControllerAccess& access, Family family)
    : m_database(database), m_access(access), m_family(family), m_gates(access.Configuration.Language()) {}

QString TParameterTransfer::Text(int record) const {
    return m_access.Configuration.Language().Text(record);
}

QString TParameterTransfer::FormatSoftwareVersion(const QString& text, const TLanguage& language) {
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return QStringLiteral("0");
        }
    }
    const qint64 value = text.isEmpty() ? 0 : text.right(18).toLongLong();
    if (value == 2050) {
        return language.Text(Record::Unknown) + QStringLiteral(" < 2.057");
    }
    return QString::number(value / 1000.0, 'f', 3).rightJustified(2, QLatin1Char(' '));
}

bool TParameterTransfer::IsControllerType(const QString& type) {
    const QString family = FamilyOfReply(type);
    return family == QLatin1String("TKX") || family == QLatin1String("VF-TKX");
}

bool TParameterTransfer::IsVersionReply(const QString& text) {
    int version = 0;
    return text.size() <= 7 && DecimalInteger(text, version);
}

std::unique_ptr<TTorvexController> TParameterTransfer::OpenSession() {
    static const TCommParameter none{QString()}; // a window without a port: nothing is delivered
    return m_access.OpenSession(Port != nullptr ? *Port : none);
}

QString TParameterTransfer::ExpectedType() const {
    return FamilyName(m_family);
}

void TParameterTransfer::SetProgress(int position) const {
    if (Progress) {
        Progress(position);
    }
}

void TParameterTransfer::Message(int captionRecord, const QString& text) const {
    m_access.Ui.ShowMessage(MessageKind::Error, Text(captionRecord), text, MessageButtons::Ok);
}

void TParameterTransfer::Remark(const QString& text) const {
    m_access.Ui.ShowMessage(MessageKind::Information, Text(Record::Remark), text, MessageButtons::Ok);
}

void TParameterTransfer::UpdateInfoLabel(const QString& type, const QString& versionText) {
    QString shown = FamilyOfReply(type);
    if (shown != QLatin1String("TKX") && shown != QLatin1String("VF-TKX")) {
        shown = Text(Record::Unknown);
    }
    m_infoLabel = Text(Record::ConnectedController) + QStringLiteral(": ") + shown + QStringLiteral("  ( ") +
                  Text(Record::SoftwareVersion) + QStringLiteral(": ") +
                  FormatSoftwareVersion(versionText, m_access.Configuration.Language()) + QStringLiteral(" )");
}

QString TParameterTransfer::QueryType(bool& identificationFailed) {
    QString type;
    {
        auto session = OpenSession();
        SetProgress(6);
        type = session->Query(ControllerCommand::ControllerType);
    }
    if (type.size() > 6) {
        type = Text(Record::Unknown);
        identificationFailed = true;
    }
    SetProgress(9);
    m_access.Time.Sleep(1000); // the controller needs a moment between two sessions
    SetProgress(12);
    return type;
}

void TParameterTransfer::ReportIdentity(const QString& type, const QString& versionText) const {
    Message(Record::Error, Text(Record::TransferError) + QStringLiteral("\r\r") + Text(Record::ConnectedController) +
                               QStringLiteral(": ") + type + QLatin1Char('\r') + Text(Record::SoftwareVersion) +
                               QStringLiteral(": ") +
                               FormatSoftwareVersion(versionText, m_access.Configuration.Language()));
}

TTransferOutcome TParameterTransfer::Read() {
    Clock& clock = m_access.Time;
    m_outcome = TTransferOutcome::TransferError;
    m_counts = {};
    if (DataView != nullptr) {
        DataView->StopCollecting();
    }
    clock.Sleep(500);
    if (ButtonsEnabled) {
        ButtonsEnabled(false);
    }
    clock.Sleep(500);
    SetProgress(3);

    QString type;
    QString versionText;
    bool identificationFailed = false;
    bool readStarted = false;
    bool outOfRange = false;
    std::vector<bool> listed(m_gates.Groups(m_family).size(), false);
    const auto finish = [&] {
        if (ButtonsEnabled) {
            ButtonsEnabled(true);
        }
        SetProgress(0);
        UpdateInfoLabel(type, versionText);
    };

    type = QueryType(identificationFailed);
    auto session = OpenSession();
    SetProgress(15);
    versionText = session->ReadSoftwareVersion(QStringLiteral("2050"));
    int version = 0;
    if (!DecimalInteger(versionText, version)) {
        Message(Record::Warning, Text(Record::TransferError));
        versionText = Text(Record::Unknown);
        session.reset();
        SetProgress(85);
        finish();
        return m_outcome;
    }
    if (versionText.size() > 7) {
        versionText = Text(Record::Unknown);
        identificationFailed = true;
    }
    if (identificationFailed) {
        type = FamilyOfReply(type);
        ReportIdentity(type, versionText);
        session.reset();
        finish();
        return m_outcome;
    }
    session.reset();
    clock.Sleep(500);
    SetProgress(18);
    session = OpenSession();

    // A controller whose password is active may still be read.
    type = m_family == Family::VfTkx ? FamilyOfReply(type)
                                     : (type == QLatin1String("1-PW!") ? QStringLiteral("TKX") : type);
    if (type != ExpectedType()) {
        if (type.isEmpty()) {
            Message(Record::Error, Text(Record::TransferError));
        } else {
            m_outcome = TTransferOutcome::Refused;
            Message(Record::Error, Text(Record::WrongController) + FamilyOfReply(type));
        }
    } else {
        SetProgress(21);
        session->ReadParameterDump(Progress);
        // Missing entries read as 0 for parameters a controller's software lacks, never for a
        // dump that broke off: a set of zeros must not be stored as the controller's values.
        if (session->LinkFailed() || !DumpComplete(*session)) {
            Message(Record::Error, Text(Record::TransferError) +
                                       QStringLiteral("\r\r(%1 entries received)").arg(session->Dump.Size()));
            session.reset();
            SetProgress(90);
            finish();
            return m_outcome;
        }
        readStarted = true;
        try {
            FillSet(*session, version, outOfRange, listed);
        } catch (const TableError& error) {
            // The line did its part: what failed is the database (full disk, no right to write),
            // and it is named with the system's reason.
            m_counts.Read = 0; // nothing was stored
            Message(Record::Error, Text(Record::WriteFileError) + error.Message());
            session.reset();
            SetProgress(90);
            finish();
            return m_outcome;
        }
        m_outcome = TTransferOutcome::Saved;
    }
    session.reset();
    SetProgress(90);
    if (readStarted) {
        ShowReadNotice(listed, outOfRange);
    }
    // Only the reads that got this far restart the view; the early exits above leave it stopped.
    if (DataView != nullptr) {
        clock.Sleep(2000);
        SetProgress(95);
        DataView->RestartCollecting();
        SetProgress(100);
        clock.Sleep(2000);
    }
    finish();
    return m_outcome;
}

bool TParameterTransfer::DumpComplete(const TTorvexController& session) {
    for (quint32 number = 1001; number <= 1010; ++number) {
        if (!session.Dump.Numbers.contains(number)) {
            return false;
        }
    }
    return true;
}

void TParameterTransfer::FillSet(TTorvexController& session, int version, bool& outOfRange, std::vector<bool>& listed) {
    m_database.SetParameterFamily(m_family);
    TTable& metadata = m_database.TableParameterDBSettings();
    TTable& sets = m_database.SetTable(m_family);
    const auto& groups = m_gates.Groups(m_family);
    double bar = -1.0;

    metadata.First();
    sets.Insert();
    for (; !metadata.Eof(); metadata.Next()) {
        const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
        const quint16 address = static_cast<quint16>(metadata.FieldAsInteger(QStringLiteral("EpromAddress")));
        const double factor = metadata.FieldAsFloat(QStringLiteral("Factor"));
        if (factor == 0) {
            throw TableError(QStringLiteral("factor 0 for %1").arg(field));
        }
        TTorvexParameter parameter;
        session.GetParameter(address, parameter);
        const double value = Unsigned(parameter.Value) / factor;

        const TVersionGroup* group = m_gates.GroupOf(m_family, field);
        if (group != nullptr && !group->ReadBy(version)) {
            const std::size_t index = static_cast<std::size_t>(group - groups.data());
            if (m_family == Family::VfTkx && field == QLatin1String("FUError")) {
                if (parameter.Value == 0) {
                    sets.SetFieldFloat(field, 3); // newer controllers: evaluated as "3" unless they say otherwise
                }
                continue;
            }
            for (qsizetype i = 0; i < group->Fields.size(); ++i) {
                sets.SetFieldFloat(group->Fields[i], group->Substitutes[static_cast<std::size_t>(i)]);
            }
            if (m_family == Family::Tkx && field == QLatin1String("StartDelay") && version >= 2074) {
                // The old "type" setting: 1 meant the long start delay.
                sets.SetFieldFloat(field, value == 1 ? 4 : 1);
            } else if (!group->ListLines.isEmpty()) {
                listed[index] = true;
            }
            continue;
        }
        // The psi value is the bar value converted, not a parameter of its own.
        if (!(m_family == Family::Tkx && field == QLatin1String("OffsetSolUpInPsi"))) {
            ++m_counts.Read;
        }
        if (m_family == Family::Tkx && field == QLatin1String("EdgeDetect")) {
            const bool inside = value >= metadata.FieldAsFloat(QStringLiteral("Minimum")) &&
                                value <= metadata.FieldAsFloat(QStringLiteral("Maximum"));
            sets.SetFieldFloat(field, inside ? value : 2);
            outOfRange = outOfRange || !inside;
        } else if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUp")) {
            sets.SetFieldFloat(field, value);
            bar = value;
        } else if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUpInPsi")) {
            sets.SetFieldFloat(field, Conversion::BarToPsi(bar));
        } else {
            sets.SetFieldFloat(field, value);
        }
    }

    QString information;
    for (int number = 1001; number <= 1010; ++number) {
        TTorvexParameter p;
        session.GetParameter(static_cast<quint16>(number), p);
        const QString label =
            version > 2099 ? p.Name
                           : ParameterCatalogue::InformationCaption(p.Name, m_access.Configuration.Language().Index());
        information += label + QStringLiteral(":\t") +
                       InformationValue(number, static_cast<quint32>(p.Value), version) + QLatin1Char('\t') + p.Unit +
                       QLatin1Char('\r');
    }
    sets.SetFieldText(QStringLiteral("InfoMemo"), information);
    QString errors;
    for (int number = 1011; number <= 1018; ++number) {
        TTorvexParameter p;
        session.GetParameter(static_cast<quint16>(number), p);
        errors += p.Name + QStringLiteral(":\t") + QString::number(static_cast<quint32>(p.Value)) +
                  QStringLiteral(" h \t") + p.Unit + QLatin1Char('\r');
    }
    sets.SetFieldText(QStringLiteral("ErrorMemo"), errors);
    sets.SetFieldText(QStringLiteral("Description"), LocaleDateTimeText(m_access.Time.Now()));
    sets.SetFieldText(QStringLiteral("Name"), QStringLiteral("..."));
    sets.Refresh();
}

void TParameterTransfer::ShowReadNotice(const std::vector<bool>& listed, bool outOfRange) const {
    const auto& groups = m_gates.Groups(m_family);
    QString lines;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (listed[i]) {
            for (const QString& line : groups[i].ListLines) {
                lines += line + QLatin1Char('\r');
            }
        }
    }
    const QString outOfRangeText =
        Text(Record::ParametersOutOfRange) + QLatin1Char('\r') + QStringLiteral("- ") + Text(325) + QLatin1Char('\r');
    if (outOfRange) {
        if (lines.isEmpty()) {
            Remark(outOfRangeText + QLatin1Char('\r') + Text(Record::NoImpactOnFunction) + QLatin1Char('\r') +
                   Text(Record::DefaultsInsertedInstead) + QStringLiteral(".\r"));
        } else {
            lines += QLatin1Char('\r') + outOfRangeText;
        }
    }
    if (!lines.isEmpty()) {
        Remark(Text(Record::VersionIgnoresParameters) + QLatin1Char('\r') + lines + QLatin1Char('\r') +
               Text(Record::NoImpactOnFunction) + QLatin1Char('\r') + Text(Record::DefaultsInsertedInstead) +
               QStringLiteral(".\r"));
    }
}

namespace {

// The write's notice flags, in the order the notice lists them.
enum WriteFlag {
    SiuChanged,
    RelayChanged,
    InverterStatusChanged,
    CommandInputChanged,
    ValveTypeHeldBack,
    OperationModeHeldBack,
    NorthAmericanSiuHeldBack,
    RelayAllErrorsHeldBack,
    kWriteFlagCount
};

// Adapts the value to send to what the controller's version accepts; false holds the row back.
bool ApplyWriteRules(Family family, const QString& field, int version, qint64 code, qint64& value,
                     std::vector<bool>& flags) {
    const bool tkx = family == Family::Tkx;
    if (field == QLatin1String("SIUType")) {
        if (version >= 2143 && (code == 2 || code == 4)) {
            value = tkx && version >= 2192 ? 5 : (code == 2 ? 3 : 1);
            flags[SiuChanged] = true;
        }
        if (version < 2210 && code == 6) {
            flags[NorthAmericanSiuHeldBack] = true;
            return false;
        }
    } else if (field == QLatin1String("RelayFunction")) {
        if (version < 2143 && code == 3) {
            value = 2;
            flags[RelayChanged] = true;
        }
        if (version < 2210 && code == 4) {
            flags[RelayAllErrorsHeldBack] = true;
            return false;
        }
    } else if (!tkx && field == QLatin1String("FUError")) {
        if (version >= 2143 && code != 3) {
            value = 3;
            flags[InverterStatusChanged] = true;
        }
    } else if (field == QLatin1String("ValveType")) {
        const bool unknown = tkx ? ((version < 2107 && code >= 11 && code <= 13) || (version < 2110 && code == 14) ||
                                    (version < 2143 && (code == 15 || code == 16)))
                                 : (version < 2160 && (code == 17 || code == 18));
        if (unknown) {
            flags[ValveTypeHeldBack] = true;
            return false;
        }
    } else if (field == QLatin1String("CommandInput")) {
        if (version < 2130 && code == 4) {
            value = 1;
            flags[CommandInputChanged] = true;
        }
    } else if (!tkx && field == QLatin1String("TKXOpDn")) {
        if (version < 2160 && code == 4) {
            flags[OperationModeHeldBack] = true;
            return false;
        }
    }
    return true;
}

QString Lines(const TLanguage& language, std::initializer_list<int> records) {
    QString text;
    for (int record : records) {
        text += QStringLiteral("- ") + language.Text(record) + QLatin1Char('\r');
    }
    return text;
}

} // namespace

void TParameterTransfer::PrepareWrite() {
    if (DataView != nullptr) {
        DataView->StopCollecting();
    }
    if (ButtonsEnabled) {
        ButtonsEnabled(false);
    }
    m_access.Time.Sleep(500);
}

TTransferOutcome TParameterTransfer::Write(int passwordLevel, bool psi, int eepromWriteDelay) {
    Clock& clock = m_access.Time;
    PrepareWrite();
    // A changed-only write that found nothing to send has nothing to read back.
    if (WriteParameterSet(passwordLevel, psi, eepromWriteDelay) == 0 && Verify && !(ChangedOnly && m_sent.empty())) {
        clock.Sleep(1000); // the controller needs a moment between two sessions
        if (m_access.Stopping()) {
            m_outcome = TTransferOutcome::Stopped; // written whole, not read back
        } else if (!VerifyWritten()) {
            m_outcome = TTransferOutcome::TransferError;
        }
    }
    LogWrite(ChangedOnly ? QStringLiteral("write changed")
                         : (OnlyFields ? QStringLiteral("write ticked") : QStringLiteral("write")));
    SetProgress(90);
    if (DataView != nullptr) {
        clock.Sleep(2000);
        SetProgress(95);
        DataView->RestartCollecting();
        SetProgress(100);
        clock.Sleep(2000);
    }
    if (ButtonsEnabled) {
        ButtonsEnabled(true);
    }
    SetProgress(0);
    return m_outcome;
}

namespace {
QString OutcomeName(TWrittenParameter::Outcome outcome) {
    switch (outcome) {
    case TWrittenParameter::Outcome::Sent:
        return QStringLiteral("sent");
    case TWrittenParameter::Outcome::Verified:
        return QStringLiteral("verified");
    case TWrittenParameter::Outcome::Failed:
        return QStringLiteral("failed");
    case TWrittenParameter::Outcome::NotSent:
        break;
    }
    return QStringLiteral("not sent");
}
} // namespace

void TParameterTransfer::LogWrite(const QString& action) {
    if (m_written.empty()) {
        return; // nothing was meant to reach the controller: nothing changed on it
    }
    TLogbookEntry entry;
    entry.ControllerType = FamilyName(m_family);
    entry.SerialNumber = SerialNumber;
    entry.SoftwareVersion = SoftwareVersion;
    entry.Action = action;
    for (const TWrittenParameter& written : m_written) {
        entry.Lines.push_back({written.Field, written.Before, written.After, OutcomeName(written.Result)});
    }
    AppendToLogbook(m_access, entry);
}

TTransferOutcome TParameterTransfer::ChangeValveType(int passwordLevel, bool psi, int eepromWriteDelay) {
    Clock& clock = m_access.Time;
    PrepareWrite();
    const int result = WriteParameterSet(passwordLevel, psi, eepromWriteDelay);
    LogWrite(QStringLiteral("valve type"));
    if (result == 0) {
        SetProgress(90);
        clock.Sleep(500);
        SetProgress(95);
        // The controller loads the new valve type's values while the session is still open:
        // the pause comes before the closing "Q".
        const std::unique_ptr<TTorvexController> session = OpenSession();
        session->SendCommand(ControllerCommand::LoadValveType);
        clock.Sleep(1000);
    }
    SetProgress(98);
    clock.Sleep(500);
    return m_outcome;
}

std::vector<TValueProblem> TParameterTransfer::CheckCurrentSet(int passwordLevel, bool psi) {
    m_database.SetParameterFamily(m_family);
    TTable& metadata = m_database.TableParameterDBSettings();
    std::map<QString, qint64> levels;
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        levels[metadata.FieldAsText(QStringLiteral("FieldName"))] =
            metadata.FieldAsInteger(QStringLiteral("PasswordLevel"));
    }
    std::vector<TSetValue> values;
    for (const TSetValue& value : CurrentSetValues(m_database, m_family)) {
        // A read leaves the inverter status of newer VF-TKX controllers empty: the write sends them "3" then.
        const bool decidedByTheWrite =
            m_family == Family::VfTkx && value.Field == QLatin1String("FUError") && !value.Value;
        if (levels[value.Field] <= passwordLevel && !decidedByTheWrite) {
            values.push_back(value);
        }
    }
    return CheckSetForWriting(m_database, m_family, values, psi);
}

bool TParameterTransfer::RefuseUnsafeValues(int passwordLevel, bool psi) {
    const std::vector<TValueProblem> problems = CheckCurrentSet(passwordLevel, psi);
    if (problems.empty()) {
        return false;
    }
    Message(Record::RangeError, DescribeValueProblems(problems, m_access.Configuration.Language()));
    return true;
}

bool TParameterTransfer::VerifyWritten() {
    auto session = OpenSession();
    session->ReadParameterDump();
    if (session->LinkFailed() || !DumpComplete(*session)) {
        session.reset();
        Message(Record::Error, Text(Record::TransferError));
        return false;
    }
    TSetComparison identity;
    TSetCompare::TakeIdentity(*session, identity);
    SerialNumber = identity.SerialNumber;
    SoftwareVersion = identity.SoftwareVersion;
    std::map<quint16, quint32> expected;
    for (const auto& [address, value] : m_sent) {
        expected[address] = value; // the last value sent to an address is the one it keeps
    }
    std::map<quint16, QString> fields;
    m_database.SetParameterFamily(m_family);
    TTable& metadata = m_database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        const auto address = static_cast<quint16>(metadata.FieldAsInteger(QStringLiteral("EpromAddress")));
        if (!fields.count(address)) {
            fields[address] = metadata.FieldAsText(QStringLiteral("FieldName"));
        }
    }
    QString differences;
    m_counts.Verified = static_cast<int>(expected.size());
    m_counts.Matched = m_counts.Verified;
    for (const auto& [address, value] : expected) {
        TTorvexParameter held;
        const bool present = session->Dump.Numbers.contains(address);
        session->GetParameter(address, held);
        const bool same = present && static_cast<quint32>(held.Value) == value;
        for (TWrittenParameter& written : m_written) {
            if (written.Address == address && written.Result != TWrittenParameter::Outcome::NotSent) {
                written.Result = same ? TWrittenParameter::Outcome::Verified : TWrittenParameter::Outcome::Failed;
            }
        }
        if (!same) {
            --m_counts.Matched;
            differences +=
                QStringLiteral("\r- ") + ParameterCaption(fields[address], 0, m_database.Language().Index()) +
                QStringLiteral(" (") + fields[address] +
                QStringLiteral("): sent %1, controller holds %2")
                    .arg(value)
                    .arg(present ? QString::number(static_cast<quint32>(held.Value)) : QStringLiteral("nothing"));
        }
    }
    session.reset();
    if (differences.isEmpty()) {
        return true;
    }
    Message(Record::Error, Text(Record::TransferError) + QStringLiteral("\r") + differences);
    return false;
}

int TParameterTransfer::WriteParameterSet(int passwordLevel, bool psi, int eepromWriteDelay) {
    Clock& clock = m_access.Time;
    m_outcome = TTransferOutcome::TransferError;
    m_sent.clear();
    m_written.clear();
    m_comparison.reset();
    m_counts = {};
    try {
        // Nothing leaves the PC when a value would arrive wrapped or outside what the controller allows.
        if (RefuseUnsafeValues(passwordLevel, psi)) {
            m_outcome = TTransferOutcome::Refused;
            return kWriteFailed;
        }
    } catch (const TableError&) {
        Message(Record::Warning, Text(Record::TransferError));
        return kWriteFailed;
    }
    SetProgress(3);
    bool identificationFailed = false;
    QString type;
    std::unique_ptr<TTorvexController> session;
    if (ChangedOnly) {
        // One session for the type, the version, the dump and the rows: the pauses between
        // sessions would cost more than the few rows that differ.
        session = OpenSession();
        SetProgress(6);
        type = session->Query(ControllerCommand::ControllerType);
        if (type.size() > 6) {
            type = Text(Record::Unknown);
            identificationFailed = true;
        }
    } else {
        type = QueryType(identificationFailed);
        session = OpenSession();
    }
    SetProgress(15);

    QString versionText = session->ReadSoftwareVersion(QStringLiteral("2050"));
    int version = 0;
    if (!DecimalInteger(versionText, version)) {
        Message(Record::Warning, Text(Record::TransferError));
        versionText = Text(Record::Unknown);
        session.reset();
        SetProgress(85);
        UpdateInfoLabel(type, versionText);
        return kWriteFailed;
    }
    // The changed-only write reads the controller before command mode.
    if (!ChangedOnly) {
        session->EnterCommandMode();
    }
    if (versionText.size() > 7) {
        versionText = Text(Record::Unknown);
        identificationFailed = true;
    }
    if (identificationFailed) {
        ReportIdentity(FamilyOfReply(type), versionText);
        session.reset();
        SetProgress(85);
        UpdateInfoLabel(type, versionText);
        return kWriteFailed;
    }

    int result = kWriteFailed;
    bool writing = false;
    std::vector<bool> flags(kWriteFlagCount, false);
    const QString ownPasswordReply = m_family == Family::VfTkx ? QStringLiteral("2-PW!") : QStringLiteral("1-PW!");
    if (type != ExpectedType()) {
        if (type.isEmpty()) {
            Message(Record::Error, Text(Record::TransferError));
        } else if (type == ownPasswordReply) {
            result = kWritePasswordActive;
            m_outcome = TTransferOutcome::Refused;
            Message(Record::Error, Text(305));
        } else {
            m_outcome = TTransferOutcome::Refused;
            Message(Record::Error, Text(Record::WrongController) + FamilyOfReply(type));
        }
    } else {
        std::optional<std::set<QString>> only = OnlyFields;
        if (ChangedOnly) {
            std::vector<TSetValue> ours;
            try {
                ours = CurrentSetValues(m_database, m_family);
            } catch (const TableError&) {
                Message(Record::Warning, Text(Record::TransferError));
                return kWriteFailed;
            }
            if (!TSetCompare::ReadSteadyDump(*session) || !DumpComplete(*session)) {
                Message(Record::Error, Text(Record::TransferError) +
                                           QStringLiteral("\r\r(%1 entries received)").arg(session->Dump.Size()));
                session.reset();
                SetProgress(85);
                UpdateInfoLabel(type, versionText);
                return kWriteFailed;
            }
            m_comparison = TSetCompare::AgainstDump(m_database, m_family, ours, *session, version, psi);
            SerialNumber = m_comparison->SerialNumber;
            SoftwareVersion = m_comparison->SoftwareVersion;
            only = m_comparison->DifferingFields();
            for (const TParameterDifference& difference : m_comparison->Differences) {
                Before[difference.Field] = TParameterDifference::ValueText(difference.Theirs);
            }
            if (only->empty()) {
                // Nothing differs: nothing is sent, and the controller is left as it was.
                session.reset();
                m_outcome = TTransferOutcome::Saved;
                SetProgress(85);
                UpdateInfoLabel(type, versionText);
                return 0;
            }
            session->EnterCommandMode();
        }
        writing = true;
        SetProgress(18);
        int progress = 18;
        // One parameter to the controller; the write ends at the first one that does not leave the PC.
        const auto send = [&](quint16 address, qint64 value) {
            session->WriteParameter(address,
                                    TTorvexParameter{static_cast<qint32>(static_cast<quint32>(value)), {}, {}});
            if (session->WriteFailed()) {
                throw BrokenWrite();
            }
            m_sent.emplace_back(address, static_cast<quint32>(value));
            for (TWrittenParameter& written : m_written) {
                if (written.Address == address && written.Result == TWrittenParameter::Outcome::NotSent) {
                    written.Result = TWrittenParameter::Outcome::Sent;
                }
            }
            const auto before = m_sent.end() - 1;
            if (std::none_of(m_sent.begin(), before, [address](const auto& entry) { return entry.first == address; })) {
                ++m_counts.Written;
            }
        };
        try {
            m_database.SetParameterFamily(m_family);
            TTable& metadata = m_database.TableParameterDBSettings();
            TTable& sets = m_database.SetTable(m_family);
            double offsetFactor = 10; // until the OffsetSolUp row has been met
            // What the write means to send, told before the first row: a write cut short still
            // says what it did not send.
            for (metadata.First(); !metadata.Eof(); metadata.Next()) {
                const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
                const TVersionGroup* group = m_gates.GroupOf(m_family, field);
                const bool gated =
                    group != nullptr && !group->WrittenTo(version) &&
                    !(m_family == Family::Tkx && field == QLatin1String("StartDelay") && version >= 2074);
                const bool otherUnit =
                    m_family == Family::Tkx && field == QLatin1String(psi ? "OffsetSolUp" : "OffsetSolUpInPsi");
                if (metadata.FieldAsInteger(QStringLiteral("PasswordLevel")) > passwordLevel || gated || otherUnit ||
                    (only && !only->count(field))) {
                    continue;
                }
                const auto value = sets.FieldIsNull(field) ? std::optional<double>() : sets.FieldAsFloat(field);
                m_written.push_back(
                    {field, static_cast<quint16>(metadata.FieldAsInteger(QStringLiteral("EpromAddress"))),
                     Before.count(field) ? Before.at(field) : QString(), TParameterDifference::ValueText(value)});
            }
            for (metadata.First(); !metadata.Eof(); metadata.Next()) {
                SetProgress(++progress);
                if (m_access.Stopping()) {
                    throw StoppedWrite();
                }
                if (metadata.FieldAsInteger(QStringLiteral("PasswordLevel")) > passwordLevel) {
                    continue;
                }
                const QString field = metadata.FieldAsText(QStringLiteral("FieldName"));
                const quint16 address = static_cast<quint16>(metadata.FieldAsInteger(QStringLiteral("EpromAddress")));
                const double factor = metadata.FieldAsFloat(QStringLiteral("Factor"));
                if (only && !only->count(field)) {
                    if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUp")) {
                        offsetFactor = factor; // the psi row converts with it
                    }
                    continue; // not chosen: nothing sent, no pause
                }
                const double stored = sets.FieldAsFloat(field);

                const TVersionGroup* group = m_gates.GroupOf(m_family, field);
                if (group != nullptr && !group->WrittenTo(version)) {
                    if (m_family == Family::Tkx && field == QLatin1String("StartDelay") && version >= 2074) {
                        // Older controllers know only a long (1) and a short (2) start.
                        const qint32 old = Nearest(stored * factor) >= 4 ? 1 : 2;
                        send(address, old);
                        clock.Sleep(eepromWriteDelay);
                    }
                    continue;
                }
                qint64 value = Nearest(stored * factor);
                bool sending = ApplyWriteRules(m_family, field, version, Nearest(stored), value, flags);
                if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUp")) {
                    offsetFactor = factor;
                    sending = !psi;
                } else if (m_family == Family::Tkx && field == QLatin1String("OffsetSolUpInPsi")) {
                    value = Whole(std::trunc((stored / Conversion::kPsiPerBar + 0.05) * offsetFactor));
                    sending = psi;
                }
                if (sending) {
                    send(address, value);
                }
                clock.Sleep(eepromWriteDelay);
            }
        } catch (const BrokenWrite&) {
            Message(Record::Error,
                    Text(Record::TransferError) + QStringLiteral("\r\r(%1 parameters sent before the line failed)")
                                                      .arg(static_cast<int>(m_sent.size())));
            session.reset();
            SetProgress(85);
            UpdateInfoLabel(type, versionText);
            return kWriteFailed;
        } catch (const StoppedWrite&) {
            // The session ends as after a whole write; what was sent is in LastCounts().
            m_outcome = TTransferOutcome::Stopped;
            session->QuitWithReply();
            session.reset();
            SetProgress(85);
            UpdateInfoLabel(type, versionText);
            return kWriteFailed;
        } catch (const TableError&) {
            Message(Record::Warning, Text(Record::TransferError));
            session->QuitWithReply();
            session.reset();
            SetProgress(85);
            UpdateInfoLabel(type, versionText);
            return kWriteFailed;
        }
        result = 0;
    }
    SetProgress(85);
    session->QuitWithReply();
    const bool closedCleanly = !session->WriteFailed();
    session.reset();
    if (result == 0 && !closedCleanly) {
        Message(Record::Error, Text(Record::TransferError));
        result = kWriteFailed;
        writing = false;
    }
    if (result == 0) {
        m_outcome = TTransferOutcome::Saved;
    }
    if (writing) {
        ShowWriteNotice(version, flags);
    }
    SetProgress(85);
    UpdateInfoLabel(type, versionText);
    return result;
}

void TParameterTransfer::ShowWriteNotice(int version, const std::vector<bool>& flags) const {
    QString notice;
    const QString up = QLatin1Char(' ') + Text(Record::UpperCaseUp);
    const QString down = QLatin1Char(' ') + Text(Record::UpperCaseDown);
    if (version < 2052) {
        notice += QStringLiteral("- ") + Text(Record::CalibrationFactor) + up + QLatin1Char('\r') +
                  QStringLiteral("- ") + Text(Record::CalibrationFactor) + down + QLatin1Char('\r');
    }
    if (m_family == Family::Tkx) {
        if (version < 2061) {
            notice += Lines(m_access.Configuration.Language(), {263});
        }
        if (version < 2074) {
            notice += Lines(m_access.Configuration.Language(), {267});
        }
        if (version < 2098) {
            notice += Lines(m_access.Configuration.Language(), {269});
        }
        if (version < 2099) {
            notice += Lines(m_access.Configuration.Language(), {270, 268});
        }
        if (version < 2106) {
            notice += Lines(m_access.Configuration.Language(), {271, 272, 273, 274});
        }
        if (version < 2220) {
            notice += Lines(m_access.Configuration.Language(), {325});
        }
    } else {
        if (version < 2053) {
            notice += Lines(m_access.Configuration.Language(), {259});
        }
        if (version < 2106) {
            notice += Lines(m_access.Configuration.Language(), {267, 269, 270, 268, 271, 272, 273, 274});
        }
        if (version < 2142) {
            notice += Lines(m_access.Configuration.Language(), {289});
        }
    }
    if (!notice.isEmpty()) {
        notice = Text(Record::VersionIgnoresParameters) + notice + QLatin1Char('\r');
    }
    if (flags[SiuChanged] || flags[RelayChanged] || flags[InverterStatusChanged] || flags[CommandInputChanged]) {
        notice += Text(Record::ParametersOutOfRange) + QLatin1Char('\r') + QLatin1Char('(') +
                  Text(Record::DefaultsInsertedInstead) + QStringLiteral("):\r");
        const std::pair<WriteFlag, int> changed[] = {
            {SiuChanged, 58}, {RelayChanged, 268}, {InverterStatusChanged, 72}, {CommandInputChanged, 269}};
        for (const auto& [flag, record] : changed) {
            if (flags[flag]) {
                notice += Lines(m_access.Configuration.Language(), {record});
            }
        }
    }
    if (flags[ValveTypeHeldBack] || flags[OperationModeHeldBack]) {
        notice += Text(Record::ParametersOutOfRange) + QLatin1Char('\r') + QLatin1Char('(') + Text(308) +
                  QStringLiteral("!):\r");
        if (flags[ValveTypeHeldBack]) {
            notice += Lines(m_access.Configuration.Language(), {57});
        }
        if (flags[OperationModeHeldBack]) {
            notice += Lines(m_access.Configuration.Language(), {51});
        }
    }
    if (flags[NorthAmericanSiuHeldBack] || flags[RelayAllErrorsHeldBack]) {
        notice += QLatin1Char('\r') + Text(318);
        const QString kept = QStringLiteral("  (") + Text(324) + QStringLiteral(")\r");
        if (flags[NorthAmericanSiuHeldBack]) {
            notice += Text(323) + QStringLiteral("North America") + Text(319) + Text(58) + QLatin1Char('\r') + kept;
        }
        if (flags[RelayAllErrorsHeldBack]) {
            notice += Text(323) + Text(321) + Text(319) + Text(268) + QLatin1Char('\r') + kept;
        }
    }
    if (!notice.isEmpty()) {
        Remark(notice);
    }
}
