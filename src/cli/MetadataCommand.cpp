#include "cli/MetadataCommand.h"

#include "core/params/TParameterDatabase.h"

int MetadataCommand::Run(CliContext& context) {
    TParameterDatabase& database = *context.Database;
    database.SetParameterFamily(m_family);
    TTable& metadata = database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        QStringList cells{metadata.FieldAsText("ControllerType"), metadata.FieldAsText("FieldName"),
                          QString::number(metadata.FieldAsInteger("EpromAddress"))};
        for (const char* field : {"Factor", "Minimum", "Maximum", "Default"}) {
            cells << metadata.FieldAsText(QLatin1String(field));
        }
        cells << QString::number(metadata.FieldAsInteger("PasswordLevel"));
        context.Out << cells.join(QLatin1Char('\t')) << '\n';
    }
    return 0;
}
