#include "cli/SegmentsCommand.h"

#include "cli/SpecialTestSupport.h"

void SegmentsCommand::Parse(const QStringList& arguments) {
    if (arguments.size() != 1) {
        throw UsageError(QStringLiteral("segments needs on or off"));
    }
    m_on = ParseOnOff(QStringLiteral("segments"), arguments[0]);
}

int SegmentsCommand::Run(CliContext& context) {
    return RunSpecialTestCommand(context, [&](TSpecialTest& test) { return test.Segments(m_on); });
}
