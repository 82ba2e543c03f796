#include "core/base/TLogger.h"

#include "TempTree.h"
#include "VirtualClock.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

QStringList LogLines(const TempTree& tree, const QString& dir = {}) {
    const QByteArray content = tree.Read((dir.isEmpty() ? tree.Path() : dir) + "/TorvexLog.txt");
    QStringList lines = QString::fromUtf8(content).split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QString Tail(const QString& line) { return line.mid(line.indexOf(" [")); }

TEST(TLogger, TwoRunsAppendTheirStartAndEndLinesToOneFile) {
    TempTree tree;
    VirtualClock clock;
    for (int run = 0; run < 2; ++run) {
        TLogger logger([&] { return tree.Path(); }, clock);
        EXPECT_TRUE(logger.IsOpen());
        logger.Log("PWD User", 1);
    }
    const QStringList lines = LogLines(tree);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(Tail(lines[0]), " [1] >> Start Logging");
    EXPECT_EQ(Tail(lines[1]), " [1] >> PWD User");
    EXPECT_EQ(Tail(lines[2]), " [1] >> End Logging");
    EXPECT_EQ(Tail(lines[3]), " [1] >> Start Logging");
    EXPECT_EQ(Tail(lines[5]), " [1] >> End Logging");
    // Ending waits so the last line is seen on disk before the program goes.
    EXPECT_EQ(clock.Pauses, std::vector<int>({2000, 2000}));
}

TEST(TLogger, OnlyMessagesUpToTheTraceLevelAreWritten) {
    TempTree tree;
    VirtualClock clock;
    {
        TLogger logger([&] { return tree.Path(); }, clock);
        logger.Log("PWD FactorySettings enabled", 4);
        logger.SetTraceLevel(9);
        EXPECT_EQ(logger.GetTraceLevel(), 5);
        logger.Log("PWD Edit FactorySettings enabled", 5);
        logger.SetTraceLevel(-3);
        EXPECT_EQ(logger.GetTraceLevel(), 0);
        logger.Log("PWD User", 1);
    }
    const QStringList lines = LogLines(tree);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(Tail(lines[1]), " [5] >> PWD Edit FactorySettings enabled");
    EXPECT_EQ(Tail(lines[2]), " [0] >> End Logging");
}

TEST(TLogger, LinesFollowAChangedWorkingDirectory) {
    TempTree first;
    TempTree second;
    VirtualClock clock;
    QString workDir = first.Path();
    {
        TLogger logger([&] { return workDir; }, clock);
        workDir = second.Path();
        logger.Log("written where the log was", 1);
        logger.Log("written in the new directory", 1);
    }
    EXPECT_EQ(LogLines(first).size(), 2);
    const QStringList moved = LogLines(second);
    ASSERT_EQ(moved.size(), 2);
    EXPECT_EQ(Tail(moved[0]), " [1] >> written in the new directory");
    EXPECT_EQ(Tail(moved[1]), " [1] >> End Logging");
}

TEST(TLogger, StaysSilentWithoutAUsableDirectory) {
    TempTree tree;
    VirtualClock clock;
    TLogger logger([&] { return tree.Path("missing"); }, clock);
    EXPECT_FALSE(logger.IsOpen());
    EXPECT_TRUE(logger.Log("PWD User", 1));
}

TEST(TLogger, LineFormat) {
    const QLocale locale = QLocale::system();
    const QDateTime when(QDate(2020, 2, 7), QTime(13, 43, 5));
    const QString line = TLogger::FormatLine(when, 1, "Start Logging");
    EXPECT_TRUE(line.startsWith(locale.toString(when.date(), QLocale::ShortFormat) + ' ')) << line.toStdString();
    EXPECT_TRUE(line.contains("43")) << line.toStdString();
    EXPECT_TRUE(line.endsWith(" [1] >> Start Logging\r\n")) << line.toStdString();
    // At midnight exactly the time is left out.
    const QDateTime midnight(QDate(2020, 2, 7), QTime(0, 0));
    EXPECT_EQ(TLogger::FormatLine(midnight, 3, "x"),
              locale.toString(midnight.date(), QLocale::ShortFormat) + " [3] >> x\r\n");
}

} // namespace
