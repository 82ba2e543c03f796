#include "core/app/TServiceLogbook.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TPrintPage.h"
#include "core/params/TServiceReport.h"

#include "ManualClock.h"
#include "TempTree.h"
#include "TestInstallation.h"

#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace {

const QDateTime kMorning(QDate(2026, 5, 4), QTime(9, 15, 0));

TEST(ServiceLogbookTest, EntriesAreAppendedWholeAndListedNewestFirst) {
    TempTree tree;
    const TServiceLogbook logbook(tree.Path());
    EXPECT_TRUE(logbook.Entries().empty()); // none made yet, and reading makes none
    EXPECT_FALSE(QFileInfo::exists(logbook.FilePath()));

    logbook.Append({kMorning,
                    "TKX",
                    "000004711",
                    "2.220",
                    "write changed",
                    {{"FastUp", "8", "6.55", "verified"}, {"SlowUp", "", "0.9", "not sent"}}});
    logbook.Append({kMorning.addSecs(60), "", "", "2.107", "zero point", {}});
    logbook.Append({kMorning.addSecs(120), "VF-TKX", "000000815", "", "write", {{"Note", "a, \"b\"", "c", "sent"}}});

    const std::vector<TLogbookEntry> all = logbook.Entries();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].Action, "write");
    EXPECT_EQ(all[1].Action, "zero point");
    EXPECT_TRUE(all[1].Lines.empty());
    EXPECT_EQ(all[2].Time, kMorning);
    ASSERT_EQ(all[2].Lines.size(), 2u);
    EXPECT_EQ(all[2].Lines[1].Outcome, "not sent");

    const std::vector<TLogbookEntry> one = logbook.Entries("000004711");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].SoftwareVersion, "2.220");

    const std::vector<QStringList> rows = TServiceLogbook::Rows(all);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].join('|'), "2026-05-04 09:16:00|||zero point||||");
    EXPECT_EQ(rows[2].join('|'), "2026-05-04 09:15:00|TKX|000004711|write changed|FastUp|8|6.55|verified");
    EXPECT_EQ(TServiceLogbook::Csv({all[0]}),
              "TIME,TYPE,SERIAL,ACTION,FIELD,BEFORE,AFTER,OUTCOME\r\n"
              "2026-05-04 09:17:00,VF-TKX,000000815,write,Note,\"a, \"\"b\"\"\",c,sent\r\n");
}

// Every file of the directory with its bytes.
std::map<QString, QByteArray> Files(const QString& directory) {
    std::map<QString, QByteArray> files;
    QDirIterator it(directory, QDir::Files);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files[QFileInfo(file).fileName()] = file.readAll();
    }
    return files;
}

TEST(ServiceLogbookTest, AnExistingDatabaseGetsItsLogbookWithoutAnyOtherTableTouched) {
    TestInstallation installation;
    TParameterDatabase& database = *installation.Database;
    TTable& sets = database.TableTKX();
    sets.Insert();
    sets.SetFieldText("Name", "kept");
    sets.Post();
    const QString directory = installation.Configuration->GetDatabaseDirectory();
    const auto before = Files(directory);
    ASSERT_EQ(before.count(TServiceLogbook::FileName()), 0u);

    database.Logbook().Append({kMorning, "TKX", "", "", "write", {{"FastUp", "", "6.55", "sent"}}});
    auto after = Files(directory);
    EXPECT_EQ(after.erase(TServiceLogbook::FileName()), 1u);
    EXPECT_EQ(after, before);
    EXPECT_EQ(database.Logbook().Entries().size(), 1u);
}

TEST(ServiceLogbookTest, ALogbookThatCannotBeWrittenIsReportedAndTheOperationStands) {
    TempTree tree;
    tree.Write("file", "not a folder");
    EXPECT_THROW(TServiceLogbook(tree.Path("file")).Append({kMorning, "", "", "", "write", {}}), LogbookError);
    // A file that is no database at all.
    tree.Write("garbage/Logbook.db", QByteArray(4096, 'x'));
    EXPECT_THROW(TServiceLogbook(tree.Path("garbage")).Entries(), LogbookError);
    EXPECT_THROW(TServiceLogbook(tree.Path("garbage")).Append({kMorning, "", "", "", "write", {}}), LogbookError);
    EXPECT_EQ(tree.Read("garbage/Logbook.db"), QByteArray(4096, 'x'));

    TestInstallation installation;
    ManualClock clock;
    TControllerAccess access(*installation.Configuration, installation.Ui, clock);
    QFile::remove(installation.Configuration->GetDatabaseDirectory() + "/Logbook.db");
    QDir().mkpath(installation.Configuration->GetDatabaseDirectory() + "/Logbook.db"); // a folder in its place
    AppendToLogbook(access, {{}, "TKX", "", "", "write", {}});
    ASSERT_EQ(installation.Ui.Messages.size(), 1u);
    EXPECT_EQ(installation.Ui.Messages[0].Kind, MessageKind::Warning);
    EXPECT_TRUE(installation.Ui.Messages[0].Text.startsWith("The logbook could not be written: "))
        << installation.Ui.Messages[0].Text.toStdString();
}

TEST(ServiceLogbookTest, TheCsvNeverReplacesTheLogbookAndReachesAPipeItsReaderWaitsOn) {
    TempTree tree;
    QDir().mkpath(tree.Path("db"));
    const TServiceLogbook logbook(tree.Path("db"));
    logbook.Append({kMorning, "TKX", "000004711", "2.220", "write", {{"FastUp", "8", "6.55", "sent"}}});
    const std::vector<TLogbookEntry> entries = logbook.Entries();
    const QByteArray stored = tree.Read("db/Logbook.db");
    ASSERT_TRUE(QFile::link(logbook.FilePath(), tree.Path("link.csv")));
    for (const QString& path : {logbook.FilePath(), tree.Path("db/../db/Logbook.db"), tree.Path("link.csv")}) {
        QString reason;
        EXPECT_FALSE(logbook.SaveCsv(path, entries, reason)) << path.toStdString();
        EXPECT_EQ(reason, "is the logbook itself");
    }
    EXPECT_EQ(tree.Read("db/Logbook.db"), stored);
    EXPECT_EQ(logbook.Entries().size(), 1u);

    const QByteArray fifo = QFile::encodeName(tree.Path("pipe"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    QString reason;
    EXPECT_TRUE(logbook.SaveCsv(tree.Path("pipe"), entries, reason)) << reason.toStdString();
    QByteArray received(4096, '\0');
    const ssize_t size = ::read(reader, received.data(), received.size());
    ::close(reader);
    EXPECT_EQ(received.left(size > 0 ? size : 0), TServiceLogbook::Csv(entries));
    EXPECT_FALSE(QFileInfo(tree.Path("pipe")).isFile()); // still the pipe
}

TEST(ServiceLogbookTest, TheServiceReportTellsTodaysChangesOfItsController) {
    TempTree tree;
    const TServiceLogbook logbook(tree.Path());
    logbook.Append({kMorning.addDays(-1), "TKX", "000054321", "", "write", {{"SlowUp", "", "0.7", "sent"}}});
    logbook.Append({kMorning, "TKX", "000099999", "", "write", {{"AccelUp", "", "1.1", "sent"}}});
    logbook.Append({kMorning, "TKX", "000054321", "", "write ticked", {{"FastUp", "8", "6.55", "verified"}}});
    TServiceReportData report;
    report.SerialNumber = "000054321";
    TServiceReport::TakeChangesToday(report, logbook, kMorning.date());
    ASSERT_EQ(report.ChangesToday.size(), 1u);
    EXPECT_EQ(report.ChangesToday[0].Action, "write ticked");

    TPrintSettings settings;
    settings.LanguageIndex = 2;
    const TPageDocument document =
        TServiceReport::Layout(report, TPageGeometry::ForPage(4960, 7016), settings, "05/04/2026");
    QStringList texts;
    for (const TPageText& text : document.Pages[0].Texts) {
        texts << text.Text;
    }
    const qsizetype heading = texts.indexOf("Changes today:");
    ASSERT_GE(heading, 0) << texts.join('|').toStdString();
    EXPECT_EQ(texts.mid(heading + 1, 6),
              (QStringList{"09:15:00", "Ticked parameters written", "Fast UP", "8", "6.55", "verified"}));

    // No serial number, nothing to tell.
    report.SerialNumber.clear();
    TServiceReport::TakeChangesToday(report, logbook, kMorning.date());
    EXPECT_TRUE(report.ChangesToday.empty());
}

} // namespace
