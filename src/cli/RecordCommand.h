#pragma once

#include "cli/Command.h"

// Records lift runs from the controller's live data into a data file.
class RecordCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("record"); }
    QString Arguments() const override { return QStringLiteral("--out FILE.dat [--seconds N] [--pictures N]"); }
    QString Summary() const override {
        return QStringLiteral("record live data into a data file until N seconds, N pictures or Ctrl+C");
    }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    QString m_out;
    int m_seconds = 0;  // 0: no limit
    int m_pictures = 0; // 0: no limit
};
