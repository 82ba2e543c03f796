#include "cli/LedCommand.h"

#include "cli/SpecialTestSupport.h"

#include <map>

void LedCommand::Parse(const QStringList& arguments) {
    static const std::map<QString, TSpecialTest::Output> kLeds{{"up", TSpecialTest::Output::Up},
                                                               {"down", TSpecialTest::Output::Down},
                                                               {"run", TSpecialTest::Output::Run},
                                                               {"error", TSpecialTest::Output::Error},
                                                               {"siu1", TSpecialTest::Output::Siu1}};
    const auto it = arguments.size() == 2 ? kLeds.find(arguments[0]) : kLeds.end();
    if (it == kLeds.end()) {
        throw UsageError(QStringLiteral("led needs up, down, run, error or siu1, then on or off"));
    }
    m_output = it->second;
    m_on = ParseOnOff(QStringLiteral("led"), arguments[1]);
}

int LedCommand::Run(CliContext& context) {
    return RunSpecialTestCommand(context, [&](TSpecialTest& test) { return test.Switch(m_output, m_on); });
}
