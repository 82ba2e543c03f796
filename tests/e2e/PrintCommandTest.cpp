#include "core/base/Language.h"
#include "core/livedata/TDataFile.h"
#include "core/params/ParameterCatalogue.h"

#include "SmallDisk.h"
#include "TableFiles.h"
#include "TempTree.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>

namespace {

// torvex print and report, read back from the PDF as a reader of the logbook would.
class PrintCommandTest : public ::testing::Test {
protected:
    struct Result {
        int ExitCode = -1;
        QString Out;
        QString Err;
    };
    Result Run(const QString& program, const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.Path());
        environment.insert("XDG_CONFIG_HOME", m_home.Path(".config"));
        environment.insert("LC_ALL", "C");
        environment.remove("QT_QPA_PLATFORM");
        QDir().mkpath(m_home.Path("run"));
        QFile::setPermissions(m_home.Path("run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert("XDG_RUNTIME_DIR", m_home.Path("run"));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    Result Torvex(const QStringList& arguments) {
        return Run(QStringLiteral(TORVEX_BIN_DIR "/torvex"), QStringList{"--workdir", m_home.Path("work")} + arguments);
    }
    // The PDF as pdftotext lays it out, one entry per page.
    QStringList PdfPages(const QString& pdf) {
        const Result text = Run("pdftotext", {"-layout", pdf, "-"});
        EXPECT_EQ(text.ExitCode, 0) << text.Err.toStdString();
        QStringList pages = text.Out.split('\f');
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
            pages.removeLast();
        }
        return pages;
    }
    struct Row {
        QString Field;
        int Address;
        QString Value;
    };
    // Metadata rows of VF-TKX in table order, and a stored set with a distinct value in each.
    std::vector<Row> StoreDistinctSet(const QString& name) {
        const Result metadata = Torvex({"metadata", "--family", "vf-tkx"});
        EXPECT_EQ(metadata.ExitCode, 0) << metadata.Err.toStdString();
        std::vector<Row> rows;
        QStringList fields{"Name", "Description"};
        QStringList values{"'" + name + "'", "'Valve block replaced'"};
        for (const QString& line : metadata.Out.trimmed().split('\n')) {
            const QStringList cells = line.split('\t');
            const int address = cells[2].toInt();
            const QString value = QString::number(address) + ".25";
            rows.push_back({cells[1], address, value});
            fields << cells[1];
            values << value;
        }
        ExecOnTableFile(m_home.Path("work/1.45/DataBase/Itkx.DB"),
                        "INSERT INTO Itkx (" + fields.join(',') + ") VALUES (" + values.join(',') + ")");
        return rows;
    }

    TempTree m_home;
};

TEST_F(PrintCommandTest, PrintedSetHoldsEveryParameterOnItsLineInAddressOrder) {
    ASSERT_EQ(Torvex({"sets", "--family", "vf-tkx"}).ExitCode, 0); // installs the database
    StoreDistinctSet("Older set");
    std::vector<Row> rows = StoreDistinctSet("Shaft 3");
    const QString pdf = m_home.Path("out/set.pdf");
    QDir().mkpath(m_home.Path("out"));
    const Result print = Torvex({"print", "--family", "vf-tkx", "--pdf", pdf});
    ASSERT_EQ(print.ExitCode, 0) << print.Err.toStdString();
    EXPECT_EQ(print.Err, "");

    // One slot per address, the later row winning, in address order.
    std::map<int, Row> slots;
    for (const Row& row : rows) {
        slots[row.Address] = row;
    }
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), slots.size() > 62 ? 3 : 2);
    EXPECT_TRUE(pages[0].contains(QRegularExpression("Record name: +Shaft 3"))) << "the set stored last";
    int index = 0;
    qsizetype position = 0;
    for (const auto& [address, row] : slots) {
        const int page = index < 62 ? 0 : 1;
        if (index == 62) {
            position = 0;
        }
        const ParameterInfo* info = ParameterCatalogue::Find(row.Field);
        ASSERT_NE(info, nullptr) << row.Field.toStdString();
        const QString expected =
            ParameterCatalogue::Label(*info, Language::English) + " " + row.Value + " " + QString::fromUtf8(info->Unit);
        const QStringList lines = pages[page].split('\n');
        qsizetype found = -1;
        for (qsizetype i = position; i < lines.size(); ++i) {
            if (lines[i].simplified() == expected.simplified()) {
                found = i;
                break;
            }
        }
        EXPECT_GE(found, 0) << "page " << page + 1 << ": " << expected.toStdString();
        position = found >= 0 ? found + 1 : position;
        ++index;
    }
    for (const QString& page : pages) {
        EXPECT_TRUE(page.contains("www.faldmark.example")) << "footer on every page";
        EXPECT_TRUE(page.contains("Printed: "));
    }
    EXPECT_TRUE(pages.back().contains("Valve block replaced"));
}

// A PDF aimed at the database it is printed from, or at a data file, would replace the stored sets
// or the recorded runs with exit 0.
TEST_F(PrintCommandTest, APdfNeverTakesThePlaceOfTheStoredSetsOrOfRecordedRuns) {
    ASSERT_EQ(Torvex({"sets", "--family", "vf-tkx"}).ExitCode, 0);
    StoreDistinctSet("Shaft 3");
    QByteArray header(TDataFileHeader::Size, '\0');
    TDataFileHeader().Encode(reinterpret_cast<std::uint8_t*>(header.data()));
    const QString runs = m_home.Write("runs.dat", header);
    const struct {
        QString Command;
        QString Target;
        QString Kind;
    } cases[] = {{"print", m_home.Path("work/1.45/DataBase/Itkx.DB"), "a database file"},
                 {"report", m_home.Path("work/1.45/DataBase/Itkx.DB"), "a database file"},
                 {"print", runs, "a data file"}};
    for (const auto& c : cases) {
        const QByteArray before = m_home.Read(c.Target);
        const Result refused = Torvex({c.Command, "--family", "vf-tkx", "--pdf", c.Target});
        EXPECT_EQ(refused.ExitCode, 1) << c.Target.toStdString();
        EXPECT_EQ(refused.Err,
                  "torvex: " + c.Target + " is " + c.Kind + ": the PDF would replace it; choose another name\n");
        EXPECT_EQ(m_home.Read(c.Target), before);
    }
    EXPECT_TRUE(Torvex({"sets", "--family", "vf-tkx"}).Out.contains("Shaft 3"));
}

TEST_F(PrintCommandTest, ReportAndFailuresLeaveNoHalfFile) {
    ASSERT_EQ(Torvex({"sets", "--family", "vf-tkx"}).ExitCode, 0);
    StoreDistinctSet("Shaft 3");
    const QString pdf = m_home.Path("report.pdf");
    const Result report = Torvex({"report", "--family", "vf-tkx", "--name", "shaft 3", "--pdf", pdf});
    ASSERT_EQ(report.ExitCode, 0) << report.Err.toStdString();
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2); // every value differs from its default, so the list goes on
    EXPECT_TRUE(pages[0].contains("Service report"));
    EXPECT_TRUE(pages[0].contains(QRegularExpression("Controller type +VF-TKX")));

    const QString existing = m_home.Write("kept.pdf", "old contents");
    const Result unknown = Torvex({"print", "--family", "vf-tkx", "--name", "Nobody", "--pdf", existing});
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_EQ(unknown.Err, "torvex: no set named \"Nobody\"\n");
    const Result empty = Torvex({"report", "--family", "tkx", "--pdf", existing});
    EXPECT_EQ(empty.ExitCode, 1);
    EXPECT_EQ(m_home.Read(existing), "old contents");
    const Result nowhere = Torvex({"print", "--family", "vf-tkx", "--pdf", m_home.Path("missing/dir/x.pdf")});
    EXPECT_EQ(nowhere.ExitCode, 1);
    EXPECT_TRUE(nowhere.Err.startsWith("torvex: ")) << nowhere.Err.toStdString();
    for (const QStringList& wrong : {QStringList{"print", "--family", "tkx"}, QStringList{"report", "--pdf", "a.pdf"},
                                     QStringList{"print", "--family", "tkx", "--pdf", "a.pdf", "extra"}}) {
        EXPECT_EQ(Torvex(wrong).ExitCode, 2) << wrong.join(' ').toStdString();
    }
}

TEST_F(PrintCommandTest, APdfOntoANearlyFullDiskIsWholeOrTheOldOneStays) {
    const SmallDisk disk(m_home.Path("disk"), 512);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "no right to mount a small file system here";
    }
    ASSERT_EQ(Torvex({"sets", "--family", "vf-tkx"}).ExitCode, 0);
    StoreDistinctSet("Shaft 3");
    const QString pdf = m_home.Path("disk/set.pdf");
    ASSERT_EQ(Torvex({"print", "--family", "vf-tkx", "--pdf", pdf}).ExitCode, 0);
    const QByteArray good = m_home.Read("disk/set.pdf");
    ASSERT_GT(good.size(), 1000);
    // The same printout again, with 4 to 36 KB left: replaced by a whole one, or kept as it was.
    int failures = 0;
    for (int kilobytes = 4; kilobytes <= 36; kilobytes += 4) {
        ASSERT_TRUE(disk.FillLeaving("filler", kilobytes * 1024));
        const Result print = Torvex({"print", "--family", "vf-tkx", "--pdf", pdf});
        if (print.ExitCode == 0) {
            EXPECT_FALSE(PdfPages(pdf).isEmpty()) << kilobytes << " KB free";
        } else {
            ++failures;
            EXPECT_EQ(print.ExitCode, 1) << kilobytes << " KB free";
            EXPECT_EQ(print.Err, "torvex: " + pdf + ": No space left on device\n") << kilobytes << " KB free";
            EXPECT_EQ(m_home.Read("disk/set.pdf"), good) << kilobytes << " KB free";
        }
        QFile::remove(m_home.Path("disk/filler"));
    }
    EXPECT_GT(failures, 0) << "the disk never ran full: the loop shows nothing";
}

} // namespace
