#pragma once

#include "cli/Command.h"

#include "core/service/TSpecialTest.h"

// Asks the controller its valve type, its type or its actual value and prints the reply.
class QueryCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("query"); }
    QString Arguments() const override { return QStringLiteral("valve-type|controller-type|actual-value"); }
    QString Summary() const override { return QStringLiteral("print the controller's reply to one query"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    TSpecialTest::Question m_question = TSpecialTest::Question::ControllerType;
};
