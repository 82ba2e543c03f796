#include "cli/ReadCommand.h"

#include "cli/ControllerPort.h"
#include "cli/SetFileSupport.h"

#include "core/app/ControllerCommands.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TParameterTransfer.h"

void ReadCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {QStringLiteral("--family"), QStringLiteral("--out")});
    if (!parsed.Has(QStringLiteral("--family")) || !parsed.Positional.isEmpty()) {
        throw UsageError(QStringLiteral("read needs --family tkx or --family vf-tkx"));
    }
    m_family = ParseFamily(parsed.Value(QStringLiteral("--family")));
    m_out = parsed.Value(QStringLiteral("--out"));
    if (!m_out.isEmpty()) {
        SetFileSupport::KindOf(m_out, true);
    }
}

int ReadCommand::Run(CliContext& context) {
    ControllerPort port(context);
    if (!port.Obtained()) {
        return 1;
    }
    TParameterDatabase& database = *context.Database;
    TTable& sets = database.SetTable(m_family);
    TControllerAccess access(context.Configuration, context.Ui, context.Time);
    TParameterTransfer transfer(database, access, m_family);
    transfer.Port = &*port;
    const TTransferOutcome outcome = transfer.Read();
    context.Out << transfer.InfoLabel() << '\n';
    if (outcome != TTransferOutcome::Saved) {
        if (sets.GetState() == TTable::State::Insert) {
            sets.Cancel();
        }
        return 1;
    }
    context.Out << "Saved as set " << sets.FieldAsInteger("Id") << " \"" << sets.FieldAsText("Name") << "\"\n";
    if (m_out.isEmpty()) {
        return 0;
    }
    TSetFiles files(database, context.Ui, m_family);
    return SetFileSupport::Export(context, files, SetFileSupport::KindOf(m_out, true), m_out) ? 0 : 1;
}
