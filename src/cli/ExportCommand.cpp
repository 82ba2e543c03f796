#include "cli/ExportCommand.h"

#include "cli/SetFileSupport.h"

#include "core/params/TParameterDatabase.h"

void ExportCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {QStringLiteral("--family"), QStringLiteral("--name")});
    if (!parsed.Has(QStringLiteral("--family")) || parsed.Positional.size() != 1) {
        throw UsageError(QStringLiteral("export needs --family F and one FILE"));
    }
    m_family = ParseFamily(parsed.Value(QStringLiteral("--family")));
    m_name = parsed.Value(QStringLiteral("--name"));
    m_file = parsed.Positional.first();
    SetFileSupport::KindOf(m_file, true);
}

int ExportCommand::Run(CliContext& context) {
    TTable& sets = context.Database->SetTable(m_family);
    sets.First();
    if (!m_name.isEmpty() && !sets.FindName(m_name)) {
        context.Err << "torvex: no set named \"" << m_name << "\"" << Qt::endl;
        return 1;
    }
    TSetFiles files(*context.Database, context.Ui, m_family);
    return SetFileSupport::Export(context, files, SetFileSupport::KindOf(m_file, true), m_file) ? 0 : 1;
}
