#include "cli/DiffCommand.h"

#include "cli/ControllerPort.h"
#include "cli/SetFileSupport.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TSetCompare.h"

void DiffCommand::Parse(const QStringList& arguments) {
    const CommandArguments parsed(Name(), arguments,
                                  {QStringLiteral("--family"), QStringLiteral("--name"), QStringLiteral("--file"),
                                   QStringLiteral("--against-name"), QStringLiteral("--against-file"),
                                   QStringLiteral("--port")});
    if (!parsed.Has(QStringLiteral("--family")) || !parsed.Positional.isEmpty() ||
        parsed.Has(QStringLiteral("--file")) == parsed.Has(QStringLiteral("--name")) ||
        (parsed.Has(QStringLiteral("--against-name")) && parsed.Has(QStringLiteral("--against-file")))) {
        throw UsageError(QStringLiteral("diff needs --family F, either --file FILE.set or --name NAME, and at most one "
                                        "of --against-name NAME2 and --against-file FILE2.set"));
    }
    m_family = ParseFamily(parsed.Value(QStringLiteral("--family")));
    m_name = parsed.Value(QStringLiteral("--name"));
    m_file = parsed.Value(QStringLiteral("--file"));
    m_againstName = parsed.Value(QStringLiteral("--against-name"));
    m_againstFile = parsed.Value(QStringLiteral("--against-file"));
    m_port = parsed.Value(QStringLiteral("--port"));
    if (parsed.Has(QStringLiteral("--port")) && m_port.isEmpty()) {
        throw UsageError(QStringLiteral("--port needs a device"));
    }
    for (const QString& file : {m_file, m_againstFile}) {
        if (!file.isEmpty() && SetFileSupport::KindOf(file, false) != SetFileSupport::Kind::Set) {
            throw UsageError(QStringLiteral("diff takes .set files"));
        }
    }
}

namespace {

// The values of a stored set or a set file; the file's set does not stay in the database.
bool TakeSet(CliContext& context, Family family, const QString& name, const QString& file,
             std::vector<TSetValue>& values) {
    TParameterDatabase& database = *context.Database;
    TTable& sets = database.SetTable(family);
    if (!file.isEmpty()) {
        TSetFiles files(database, context.Ui, family);
        if (!SetFileSupport::Import(context, files, SetFileSupport::Kind::Set, file)) {
            return false;
        }
        values = TSetCompare::CurrentValues(database, family);
        sets.Cancel();
        return true;
    }
    if (!sets.FindName(name)) {
        context.Err << "torvex: no set named \"" << name << "\"" << Qt::endl;
        return false;
    }
    values = TSetCompare::CurrentValues(database, family);
    return true;
}

} // namespace

int DiffCommand::Run(CliContext& context) {
    TParameterDatabase& database = *context.Database;
    const bool psi = context.Configuration.Language().UsImperial();
    std::vector<TSetValue> ours;
    if (!TakeSet(context, m_family, m_name, m_file, ours)) {
        return 1;
    }
    std::optional<TSetComparison> comparison;
    if (!m_againstName.isEmpty() || !m_againstFile.isEmpty()) {
        std::vector<TSetValue> theirs;
        if (!TakeSet(context, m_family, m_againstName, m_againstFile, theirs)) {
            return 1;
        }
        comparison = TSetCompare::AgainstSet(database, m_family, ours, theirs, psi);
    } else {
        ControllerPort port(context);
        if (!port.Obtained()) {
            return 1;
        }
        TControllerAccess access(context.Configuration, context.Ui, context.Time);
        comparison = TSetCompare::AgainstController(database, access, m_family, ours, &*port, psi);
        if (!comparison) {
            return 1;
        }
    }
    for (const TParameterDifference& difference : comparison->Differences) {
        context.Out << difference.Field << '\t' << difference.Caption << '\t'
                    << TParameterDifference::ValueText(difference.Theirs) << '\t'
                    << TParameterDifference::ValueText(difference.Ours) << '\t' << difference.Unit << '\n';
    }
    context.Out.flush();
    for (const TParameterDifference& missing : comparison->NotOnController) {
        context.Err << "torvex: not on this controller: " << missing.Field << '\t' << missing.Caption << Qt::endl;
    }
    context.Err << comparison->Differences.size() << " of " << comparison->Compared << " parameters differ" << Qt::endl;
    return 0;
}
