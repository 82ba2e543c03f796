#include "cli/RelayCommand.h"

#include "cli/SpecialTestSupport.h"

void RelayCommand::Parse(const QStringList& arguments) {
    if (arguments.size() != 1) {
        throw UsageError(QStringLiteral("relay needs on or off"));
    }
    m_on = ParseOnOff(QStringLiteral("relay"), arguments[0]);
}

int RelayCommand::Run(CliContext& context) {
    return RunSpecialTestCommand(context,
                                 [&](TSpecialTest& test) { return test.Switch(TSpecialTest::Output::Relay, m_on); });
}
