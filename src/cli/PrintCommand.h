#pragma once

#include "cli/Command.h"
#include "core/base/Family.h"

// A stored set drawn into a PDF: the set printout (print) or the service report (report).
class PrintCommand : public Command {
public:
    QString Name() const override { return QStringLiteral("print"); }
    QString Arguments() const override { return QStringLiteral("--family F [--name NAME] --pdf OUT.pdf"); }
    QString Summary() const override {
        return QStringLiteral("the printout of a set (without --name: the set stored last) as a PDF");
    }
    void Parse(const QStringList& arguments) override;
    bool NeedsDatabase() const override { return true; }
    int Run(CliContext& context) override;

protected:
    enum class Pages { Printout, Report };
    virtual Pages Kind() const { return Pages::Printout; }

private:
    Family m_family = Family::Tkx;
    QString m_name;
    QString m_pdf;
};

class ReportCommand : public PrintCommand {
public:
    QString Name() const override { return QStringLiteral("report"); }
    QString Summary() const override {
        return QStringLiteral("the one-page service report of a set (without --name: the set stored last) as a PDF");
    }

protected:
    Pages Kind() const override { return Pages::Report; }
};
