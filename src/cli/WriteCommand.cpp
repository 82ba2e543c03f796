#include "cli/WriteCommand.h"

#include "cli/ControllerPort.h"
#include "cli/SetFileSupport.h"
#include "cli/StopSignals.h"

#include "core/access/TPasswordLevel.h"
#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TParameterTransfer.h"

void WriteCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(
        Name(), arguments,
        {QStringLiteral("--family"), QStringLiteral("--file"), QStringLiteral("--name"), QStringLiteral("--password")},
        {QStringLiteral("--verify"), QStringLiteral("--changed-only")});
    if (!parsed.Has(QStringLiteral("--family")) || !parsed.Positional.isEmpty() ||
        parsed.Has(QStringLiteral("--file")) == parsed.Has(QStringLiteral("--name"))) {
        throw UsageError(QStringLiteral("write needs --family F and either --file FILE.set or --name NAME"));
    }
    m_family = ParseFamily(parsed.Value(QStringLiteral("--family")));
    m_file = parsed.Value(QStringLiteral("--file"));
    m_name = parsed.Value(QStringLiteral("--name"));
    m_password = parsed.Value(QStringLiteral("--password"));
    m_verify = parsed.Has(QStringLiteral("--verify"));
    m_changedOnly = parsed.Has(QStringLiteral("--changed-only"));
    if (!m_file.isEmpty() && SetFileSupport::KindOf(m_file, false) != SetFileSupport::Kind::Set) {
        throw UsageError(QStringLiteral("write takes a .set file"));
    }
}

int WriteCommand::Run(CliContext& context) {
    TParameterDatabase& database = *context.Database;
    TTable& sets = database.SetTable(m_family);
    if (!m_file.isEmpty()) {
        TSetFiles files(database, context.Ui, m_family);
        if (!SetFileSupport::Import(context, files, SetFileSupport::Kind::Set, m_file)) {
            return 1;
        }
    } else if (!sets.FindName(m_name)) {
        context.Err << "torvex: no set named \"" << m_name << "\"" << Qt::endl;
        return 1;
    }
    ControllerPort port(context);
    TTransferOutcome outcome = TTransferOutcome::TransferError;
    if (port.Obtained()) {
        // The level the password dialog would give this entry; none is level 1.
        TPasswordLevel level;
        level.Enter(m_password, context.Configuration.Language());
        TControllerAccess access(context.Configuration, context.Ui, context.Time);
        const StopSignals stop; // Ctrl+C ends the write between two parameters
        access.StopRequested = &StopSignals::Requested;
        TParameterTransfer transfer(database, access, m_family);
        transfer.Port = &*port;
        transfer.Verify = m_verify || context.Configuration.IsVerifyAfterWrite();
        transfer.ChangedOnly = m_changedOnly;
        outcome = transfer.Write(level.GetPasswordLevel(), context.Configuration.Language().UsImperial(),
                                 context.Configuration.GetEepromWriteDelay());
        context.Out << transfer.InfoLabel() << '\n';
        if (m_changedOnly && transfer.LastComparison()) {
            context.Out.flush();
            context.Err << "Sent " << transfer.LastCounts().Written << " of " << transfer.LastComparison()->Compared
                        << " parameters" << Qt::endl;
        }
        if (outcome == TTransferOutcome::Stopped) {
            const TTransferCounts& counts = transfer.LastCounts();
            context.Err << "torvex: stopped: " << counts.Written << " parameters sent"
                        << (counts.Verified < 0 && transfer.Verify ? ", not read back" : "") << Qt::endl;
        }
    }
    // A set imported only to be written does not stay in the database.
    if (!m_file.isEmpty()) {
        sets.Cancel();
    }
    if (outcome == TTransferOutcome::Stopped) {
        return StopSignals::kExitCode;
    }
    return outcome == TTransferOutcome::Saved ? 0 : 1;
}
