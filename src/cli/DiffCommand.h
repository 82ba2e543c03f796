#pragma once

#include "cli/Command.h"

// Lists the parameters in which a set differs from the controller or from another set.
class DiffCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("diff"); }
    QString Arguments() const override {
        return QStringLiteral("--family F (--name NAME | --file FILE.set) [--against-name NAME2 | --against-file "
                              "FILE2.set] [--port DEV]");
    }
    QString Summary() const override {
        return QStringLiteral("list where a set differs from the controller or another set");
    }
    void Parse(const QStringList& arguments) override;
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;
    QString PortOption() const override { return m_port; }

private:
    Family m_family = Family::Tkx;
    QString m_name;
    QString m_file;
    QString m_againstName;
    QString m_againstFile;
    QString m_port;
};
