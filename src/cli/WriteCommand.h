#pragma once

#include "cli/Command.h"

// Writes a set (from a file, or a stored one by name) into the connected controller.
class WriteCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("write"); }
    QString Arguments() const override {
        return QStringLiteral(
            "--family F (--file FILE.set | --name NAME) [--password CODE] [--verify] [--changed-only]");
    }
    QString Summary() const override { return QStringLiteral("write a set into the controller"); }
    void Parse(const QStringList& arguments) override;
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

private:
    Family m_family = Family::Tkx;
    QString m_file;
    QString m_name;
    QString m_password;
    bool m_verify = false;
    bool m_changedOnly = false;
};
