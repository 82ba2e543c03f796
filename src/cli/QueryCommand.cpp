#include "cli/QueryCommand.h"

#include "cli/SpecialTestSupport.h"

#include <map>

void QueryCommand::Parse(const QStringList& arguments) {
    static const std::map<QString, TSpecialTest::Question> kQuestions{
        {"valve-type", TSpecialTest::Question::ValveType},
        {"controller-type", TSpecialTest::Question::ControllerType},
        {"actual-value", TSpecialTest::Question::ActualValue}};
    const auto it = arguments.size() == 1 ? kQuestions.find(arguments[0]) : kQuestions.end();
    if (it == kQuestions.end()) {
        throw UsageError(QStringLiteral("query needs valve-type, controller-type or actual-value"));
    }
    m_question = it->second;
}

int QueryCommand::Run(CliContext& context) {
    return RunSpecialTestCommand(context, [&](TSpecialTest& test) {
        const std::optional<QString> reply = test.Ask(m_question);
        if (!reply) {
            // A failed line has been told, and has ended the session; a silent controller has not.
            if (test.Connected()) {
                context.Err << "torvex: the controller did not answer the query" << Qt::endl;
            }
            return false;
        }
        // As the window does after these two queries, with its Run LED box cleared.
        if (m_question != TSpecialTest::Question::ControllerType && !test.FlashRunLed(false)) {
            return false;
        }
        context.Out << *reply << Qt::endl;
        return true;
    });
}
