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

QString Tail(const QString& line) {
    return line.mid(line.indexOf(" ["));
}

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
    // The same text under any locale: a US or ISO desktop must not change the log's form.
    const QLocale saved;
    for (const char* name : {"de_DE", "en_US", "zh_TW"}) {
        QLocale::setDefault(QLocale(QLatin1String(name)));
        EXPECT_EQ(TLogger::FormatLine(QDateTime(QDate(2020, 2, 7), QTime(13, 43, 5)), 1, "Start Logging"),
                  "07.02.2020 13:43:05 [1] >> Start Logging\r\n")
            << name;
        EXPECT_EQ(TLogger::FormatLine(QDateTime(QDate(2020, 12, 24), QTime(9, 5, 0)), 2, "x"),
                  "24.12.2020 09:05:00 [2] >> x\r\n")
            << name;
        // At midnight exactly the time is left out.
        EXPECT_EQ(TLogger::FormatLine(QDateTime(QDate(2020, 2, 7), QTime(0, 0)), 3, "x"), "07.02.2020 [3] >> x\r\n")
            << name;
    }
    QLocale::setDefault(saved);
}

} // namespace
