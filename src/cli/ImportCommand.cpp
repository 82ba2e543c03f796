#include "cli/ImportCommand.h"

#include "cli/SetFileSupport.h"

#include "core/params/TParameterDatabase.h"

void ImportCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments, {QStringLiteral("--family")});
    if (!parsed.Has(QStringLiteral("--family")) || parsed.Positional.size() != 1) {
        throw UsageError(QStringLiteral("import needs --family F and one FILE"));
    }
    m_family = ParseFamily(parsed.Value(QStringLiteral("--family")));
    m_file = parsed.Positional.first();
    SetFileSupport::KindOf(m_file, false);
}

int ImportCommand::Run(CliContext& context) {
    TSetFiles files(*context.Database, context.Ui, m_family);
    if (!SetFileSupport::Import(context, files, SetFileSupport::KindOf(m_file, false), m_file)) {
        return 1;
    }
    TTable& sets = context.Database->SetTable(m_family);
    sets.Post(); // the command line keeps what it imported
    context.Out << "Imported set " << sets.FieldAsInteger("Id") << " \"" << sets.FieldAsText("Name") << "\"\n";
    return 0;
}
