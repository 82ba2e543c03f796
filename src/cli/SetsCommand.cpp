#include "cli/SetsCommand.h"

#include "core/params/TParameterDatabase.h"

int SetsCommand::Run(CliContext& context) {
    TTable& sets = context.Database->SetTable(m_family);
    for (sets.First(); !sets.Eof(); sets.Next()) {
        context.Out << sets.FieldAsInteger("Id") << '\t' << sets.FieldAsText("Name") << '\n';
    }
    return 0;
}
