#pragma once

#include "cli/Command.h"

// Lists the pictures (lift runs) of a data file.
class PicturesCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("pictures"); }
    QString Arguments() const override { return QStringLiteral("FILE.dat [--figures]"); }
    QString Summary() const override {
        return QStringLiteral("list the pictures of a data file: number, start, records, seconds, direction "
                              "[, fast, slow and levelling s, peak demand and feedback V, largest deviation V]");
    }
    void Parse(const QStringList& arguments) override;
    int Run(CliContext& context) override;

private:
    QString m_file;
    bool m_figures = false;
};
