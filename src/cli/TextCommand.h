#pragma once

#include "cli/Command.h"

// Prints one language record in the current language: a help for translators.
class TextCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("text"); }
    QString Arguments() const override { return QStringLiteral("N"); }
    QString Summary() const override { return QStringLiteral("print text record N (0..330) in the current language"); }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    int m_record = 0;
};
