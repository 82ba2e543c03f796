#include "print/TPagePainter.h"

#include "TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TPageDocument OnePage(int width, int height) {
    TPageDocument document;
    document.Width = width;
    document.Height = height;
    TPageSheet page;
    page.Logo = QRect(width - 600, 100, 500, 200);
    page.Texts.push_back({100, 400, QStringLiteral("Fast UP")});
    page.Lines.push_back({100, 350, width - 100, 350});
    document.Pages.push_back(page);
    return document;
}

} // namespace

TEST(PagePainter, ALogoThatCannotBeDrawnIsReportedAndThePageIsStillWritten) {
    TempTree tree;
    const QString missing = tree.Path("nowhere/Logo.svg");
    const QString garbage = tree.Write("garbage.svg", QByteArray("\x89PNG\0\xff<svg", 10) + QByteArray(300, '\xfe'));
    const QString good = QStringLiteral(TORVEX_BIN_DIR "/Logo.svg");
    struct Case {
        QString Logo;
        bool Reported;
    };
    for (const Case& c : {Case{missing, true}, Case{garbage, true}, Case{good, false}}) {
        const QString pdf = tree.Path("page.pdf");
        QFile::remove(pdf);
        const TPagePainter::Outcome outcome = TPagePainter::WritePdf(pdf, OnePage, c.Logo);
        EXPECT_TRUE(outcome.Written) << outcome.Error.toStdString();
        EXPECT_EQ(!outcome.LogoError.isEmpty(), c.Reported) << c.Logo.toStdString();
        if (c.Reported) {
            EXPECT_TRUE(outcome.LogoError.startsWith(c.Logo)) << outcome.LogoError.toStdString();
        }
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(5) == "%PDF-");
    }
}
