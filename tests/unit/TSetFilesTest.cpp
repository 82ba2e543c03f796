#include "core/params/TSetFiles.h"

#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/params/TParameterDatabase.h"

#include "EnglishText.h"
#include "FileSizeLimit.h"
#include "TestInstallation.h"

#include <QRandomGenerator>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

class SetFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_configuration->DatabaseAvailable); }

    TTable& Sets(Family family) { return m_database->SetTable(family); }
    // The family's metadata rows: address and field name, in order.
    std::vector<std::pair<int, QString>> Rows(Family family) {
        m_database->SetParameterFamily(family);
        TTable& metadata = m_database->TableParameterDBSettings();
        std::vector<std::pair<int, QString>> rows;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            rows.emplace_back(static_cast<int>(metadata.FieldAsInteger("EpromAddress")),
                              metadata.FieldAsText("FieldName"));
        }
        return rows;
    }
    std::map<QString, double> WithDefaults(Family family, std::map<QString, double> values) {
        values.merge(Defaults(family)); // the given values win
        return values;
    }
    std::map<QString, double> Defaults(Family family) {
        m_database->SetParameterFamily(family);
        TTable& metadata = m_database->TableParameterDBSettings();
        std::map<QString, double> values;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            values[metadata.FieldAsText("FieldName")] = metadata.FieldAsFloat("Default");
        }
        return values;
    }
    // One line per metadata row, each with its default value unless given.
    QList<QByteArray> DefaultLines(Family family, const std::map<QString, QByteArray>& values = {}) {
        m_database->SetParameterFamily(family);
        TTable& metadata = m_database->TableParameterDBSettings();
        QList<QByteArray> lines;
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            const QString field = metadata.FieldAsText("FieldName");
            const auto given = values.find(field);
            lines << QByteArray::number(metadata.FieldAsInteger("EpromAddress")).rightJustified(4, ' ') + '\t' +
                         field.toLatin1() + '\t' +
                         (given != values.end() ? given->second
                                                : QByteArray::number(metadata.FieldAsFloat("Default"), 'f', 2));
        }
        return lines;
    }
    void AddSet(Family family, const QString& name, const std::map<QString, QString>& texts = {},
                const std::map<QString, double>& values = {}) {
        TTable& sets = Sets(family);
        sets.Insert();
        sets.SetFieldText("Name", name);
        for (const auto& [field, text] : texts) {
            sets.SetFieldText(field, text);
        }
        for (const auto& [field, value] : values) {
            sets.SetFieldFloat(field, value);
        }
        sets.Post();
    }
    // A set file as an older installation wrote it, with the lines it had.
    QByteArray LegacyFile(const QByteArray& header, const QList<QByteArray>& parameterLines, int count) {
        QByteArray file = "   0\t" + header + "\t    0.00\r\n";
        for (const QByteArray& line : parameterLines) {
            file += line + "\r\n";
        }
        file += "9997\tinfo\t    0.00\r\n9998\terrors\t    0.00\r\n9999\tdesc\t" +
                QByteArray::number(count).rightJustified(5, ' ') + ".00\r\n";
        return file;
    }

    TestInstallation m_installation;
    TempTree& m_tree = m_installation.Tree;
    RecordingFeedback& m_feedback = m_installation.Ui;
    std::unique_ptr<TConfiguration>& m_configuration = m_installation.Configuration;
    std::unique_ptr<TParameterDatabase>& m_database = m_installation.Database;
};

TEST_F(SetFilesTest, ASetFileIsWrittenByteForByte) {
    AddSet(Family::Tkx, "Lift 3",
           {{"InfoMemo", "a\tb\rc\r"}, {"ErrorMemo", "E1\r"}, {"Description", "first\r\nsecond"}},
           {{"StartSpeedUp", 0.3}, {"FastUp", 8.123}, {"HWZero", 12345.678}});
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    ASSERT_EQ(files.WriteSetFile(m_tree.Path("lift3.set")), TSetFiles::Ok);

    QByteArray expected = "   0\t{TKX---}Lift 3\t    0.00\r\n";
    for (const auto& [address, field] : Rows(Family::Tkx)) {
        const QByteArray value = field == "StartSpeedUp" ? "    0.30"
                                 : field == "FastUp"     ? "    8.12"
                                 : field == "HWZero"     ? "12345.68"
                                                         : "    0.00";
        expected +=
            QByteArray::number(address).rightJustified(4, ' ') + '\t' + field.toLatin1() + '\t' + value + "\r\n";
    }
    expected += "9997\ta{b[c\r\t   70.00\r\n"; // the memo's last character is written as it is
    expected += "9998\tE1\r\t   70.00\r\n";
    expected += "9999\tfirst[]second[]{TKX---}\t   56.00\r\n";
    EXPECT_EQ(m_tree.Read("lift3.set"), expected);
}

TEST_F(SetFilesTest, ARoundTripGivesBackValuesMemosNameAndDescription) {
    const QString description = QString::fromUtf8("Shaft B\r\nafter service\tby K. Müller");
    AddSet(Family::VfTkx, "VF lift",
           {{"InfoMemo", "Software version:\t2.142\t\r"},
            {"ErrorMemo", "Error 1:\t12 h \t\r"},
            {"Description", description}},
           WithDefaults(Family::VfTkx, {{"FastUp", 7.5}, {"K7Accel", 1.25}, {"TKXOpDn", 1}}));
    TSetFiles files(*m_database, m_feedback, Family::VfTkx);
    ASSERT_EQ(files.WriteSetFile(m_tree.Path("vf.set")), TSetFiles::Ok);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(files.ReadSetFile(m_tree.Path("vf.set")), TSetFiles::Ok);
        TTable& sets = Sets(Family::VfTkx);
        EXPECT_EQ(sets.GetState(), TTable::State::Insert); // shown, not yet saved
        sets.Post();
        EXPECT_EQ(sets.FieldAsText("Name"), "VF lift");
        EXPECT_DOUBLE_EQ(sets.FieldAsFloat("FastUp"), 7.5);
        EXPECT_DOUBLE_EQ(sets.FieldAsFloat("K7Accel"), 1.25);
        EXPECT_EQ(sets.FieldAsText("InfoMemo"), "Software version:\t2.142\t\r");
        EXPECT_EQ(sets.FieldAsText("ErrorMemo"), "Error 1:\t12 h \t\r");
        // The description neither grows on a round trip nor loses its TAB.
        EXPECT_EQ(sets.FieldAsText("Description"), description);
        ASSERT_EQ(files.WriteSetFile(m_tree.Path("vf.set")), TSetFiles::Ok);
    }
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST_F(SetFilesTest, AllSetsFilesCountOnAcrossTheSets) {
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    ASSERT_EQ(files.WriteAllSetsFile(m_tree.Path("empty.prm")), TSetFiles::Ok);
    const QByteArray empty = m_tree.Read("empty.prm");
    EXPECT_TRUE(empty.startsWith("   0\t{TKX---}\t    0.00\r\n"));
    EXPECT_EQ(empty.count("9999\t"), 1);

    for (const char* name : {"C", "a", "B"}) {
        AddSet(Family::Tkx, name, {}, WithDefaults(Family::Tkx, {{"FastUp", 1.5}}));
    }
    ASSERT_EQ(files.WriteAllSetsFile(m_tree.Path("all.prm")), TSetFiles::Ok);
    const QByteArray all = m_tree.Read("all.prm");
    EXPECT_TRUE(all.contains("\t   56.00\r\n   0\tB\t    0.00\r\n"));
    EXPECT_TRUE(all.contains("\t  112.00\r\n   0\tC\t    0.00\r\n"));
    EXPECT_TRUE(all.endsWith("[]{TKX---}\t  168.00\r\n"));
    EXPECT_TRUE(all.startsWith("   0\t{TKX---}a\t"));

    Sets(Family::Tkx).First();
    for (int i = 0; i < 3; ++i) {
        Sets(Family::Tkx).Delete();
    }
    ASSERT_EQ(files.ReadAllSetsFile(m_tree.Path("all.prm")), TSetFiles::Ok);
    TTable& sets = Sets(Family::Tkx);
    sets.Post();
    ASSERT_EQ(sets.RecordCount(), 3);
    QStringList names;
    for (sets.First(); !sets.Eof(); sets.Next()) {
        names << sets.FieldAsText("Name");
        EXPECT_DOUBLE_EQ(sets.FieldAsFloat("FastUp"), 1.5);
    }
    EXPECT_EQ(names, QStringList({"a", "B", "C"}));
}

TEST_F(SetFilesTest, TheOtherFamilysFileIsRefusedAndAMissingMarkerIsANameOfItsOwn) {
    AddSet(Family::VfTkx, "inverter");
    TSetFiles vf(*m_database, m_feedback, Family::VfTkx);
    ASSERT_EQ(vf.WriteSetFile(m_tree.Path("vf.set")), TSetFiles::Ok);
    TSetFiles tkx(*m_database, m_feedback, Family::Tkx);
    EXPECT_EQ(tkx.ReadSetFile(m_tree.Path("vf.set")), TSetFiles::OtherFamily);
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0);
    EXPECT_EQ(tkx.ReadSetFile(m_tree.Path("nothing-here.set")), TSetFiles::CannotOpen);

    const QList<QByteArray> lines = DefaultLines(Family::Tkx);
    m_tree.Write("plain.set", LegacyFile("Plain name", lines, static_cast<int>(lines.size())));
    EXPECT_EQ(tkx.ReadSetFile(m_tree.Path("plain.set")), TSetFiles::Ok);
    EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), "Plain name");
}

TEST_F(SetFilesTest, OlderFilesGetTheirMissingValuesAndLegacyNames) {
    // Windows-1252 bytes as an older installation wrote them, without the newer parameters.
    QList<QByteArray> lines;
    const QStringList newer{"FlowCalUp",    "FlowCalDn",     "EdgeDetect", "StartDelay",
                            "CommandInput", "RelayFunction", "AuxCurve"};
    for (const QByteArray& line : DefaultLines(Family::Tkx, {{"FastUp", "3.00"}})) {
        if (!newer.contains(QString::fromLatin1(line.split('\t')[1]))) {
            lines << line;
        }
    }
    lines << "  79\tLivTkxType\t    1.00"
          << "  80\tCmdInputType\t    2.00"
          << "  82\tCompatibility\t    3.00";
    m_tree.Write("old.set", LegacyFile("{TKX---}Aufzug M\xfcller", lines, static_cast<int>(lines.size())));

    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    ASSERT_EQ(files.ReadSetFile(m_tree.Path("old.set")), TSetFiles::Ok);
    TTable& sets = Sets(Family::Tkx);
    EXPECT_EQ(sets.FieldAsText("Name"), QString::fromUtf8("Aufzug Müller"));
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("StartDelay"), 4);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("CommandInput"), 2);
    // "Compatibility" gives a value but counts as no relay function: the defaults win.
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("RelayFunction"), 1);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("AuxCurve"), 0);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("FlowCalUp"), 1);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("EdgeDetect"), 2);
    EXPECT_DOUBLE_EQ(sets.FieldAsFloat("FastUp"), 3);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Caption, "Remark");
    EXPECT_EQ(m_feedback.Messages[0].Text,
              Text(258) +
                  "\r- Calibration Factor UP\r- Calibration Factor DOWN\r- Aux. curve\r- Relay function\r"
                  "- Edge detection\r\r" +
                  Text(255) + "\r" + Text(257) + ".\r");
}

TEST_F(SetFilesTest, BrokenFilesEndTheImportAndLeaveNoHalfSetBehind) {
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    const QList<QByteArray> lines = DefaultLines(Family::Tkx);
    const QByteArray good = LegacyFile("{TKX---}x", lines, static_cast<int>(lines.size()));
    struct Case {
        const char* name;
        QByteArray bytes;
        TSetFiles::Result result;
    } cases[] = {
        {"wrong count", LegacyFile("{TKX---}x", lines, 55), TSetFiles::WrongCount},
        {"cut inside a line", good.left(good.size() / 2) + "  12\tStartSp", TSetFiles::WrongCount},
        {"no end line", good.left(good.indexOf("9997")), TSetFiles::WrongCount},
        {"not a number", good.left(200) + "\r\nabc\tFastUp\t1.00\r\n", TSetFiles::BadContent},
        {"value not a number", good.left(200) + "\r\n  16\tFastUp\tfast\r\n", TSetFiles::BadContent},
        {"unknown field", good.left(200) + "\r\n  16\tNoSuchField\t1.00\r\n", TSetFiles::BadContent},
        {"empty", QByteArray(), TSetFiles::WrongCount},
    };
    for (const Case& c : cases) {
        m_feedback.Messages.clear();
        m_tree.Write("broken.set", c.bytes);
        EXPECT_EQ(files.ReadSetFile(m_tree.Path("broken.set")), c.result) << c.name;
        EXPECT_EQ(Sets(Family::Tkx).GetState(), TTable::State::Browse) << c.name;
        EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0) << c.name;
    }
    // Arbitrary bytes: never a crash or a hang, never a set left behind.
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 50; ++round) {
        QByteArray noise(static_cast<qsizetype>(random->bounded(2000)), '\0');
        for (char& byte : noise) {
            byte = static_cast<char>(random->bounded(256));
        }
        if (round % 2 == 0) {
            noise.prepend(good.left(random->bounded(static_cast<int>(good.size()))));
        }
        m_tree.Write("noise.prm", noise);
        const TSetFiles::Result result = files.ReadAllSetsFile(m_tree.Path("noise.prm"));
        EXPECT_NE(result, TSetFiles::Ok) << round;
        EXPECT_EQ(Sets(Family::Tkx).GetState(), TTable::State::Browse) << round;
    }
}

TEST_F(SetFilesTest, TheTextFileIsForPeople) {
    AddSet(Family::Tkx, "Lift 3",
           {{"InfoMemo", "Software version:\t2.107\t\r"},
            {"ErrorMemo", "Error 1:\t12 h \t\r"},
            {"Description", "one\r\ntwo"}},
           {{"FastUp", 8}});
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    ASSERT_EQ(files.WriteTextFile(m_tree.Path("lift3.txt")), TSetFiles::Ok);
    const QString text = QString::fromLatin1(m_tree.Read("lift3.txt"));
    EXPECT_TRUE(text.startsWith("Saved: \t"));
    EXPECT_TRUE(text.contains("\r\nRecord name: \tLift 3\r\n\r\n"));
    EXPECT_TRUE(text.contains("\tFast UP\t    8.00\tV\r\n"));
    EXPECT_TRUE(text.contains("\tMin. pressure UP\t    0.00\tpsi\r\n"));
    EXPECT_TRUE(text.contains("\r\nDescription:\r\n\tone\r\n\ttwo\r\n"));
    EXPECT_TRUE(text.contains("\r\nInformation:\r\n\tSoftware version:\t2.107\t\r\n"));
    EXPECT_TRUE(text.endsWith("\r\nError list:\r\n\tError 1:\t12 h \t"));
}

TEST_F(SetFilesTest, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    AddSet(Family::Tkx, "x");
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    EXPECT_EQ(files.WriteSetFile(m_tree.Path("no/such/dir/x.set")), TSetFiles::CannotOpen);
    EXPECT_EQ(files.WriteAllSetsFile(m_tree.Path("no/such/dir/x.prm")), TSetFiles::CannotOpen);
    EXPECT_FALSE(QFileInfo::exists(m_tree.Path("no/such/dir")));
}

TEST_F(SetFilesTest, ImportRefusesValuesOutsideTheRangeAndDuplicatedNames) {
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    const QList<QByteArray> good = DefaultLines(Family::Tkx); // StartSpeedUp is the first row: line 2 of the file
    const struct {
        const char* name;
        QList<QByteArray> lines;
        QString shown; // a part of the message
    } cases[] = {
        {"huge", DefaultLines(Family::Tkx, {{"StartSpeedUp", "99999999.00"}}),
         "(StartSpeedUp): 99999999.00  [0.00 .. 2.00] (line 2)"},
        {"beyond any integer", DefaultLines(Family::Tkx, {{"StartSpeedUp", "1e300"}}),
         "(StartSpeedUp): 1e+300  [0.00 .. 2.00]"},
        {"below", DefaultLines(Family::Tkx, {{"OffsetSolUp", "4.94"}}), "(OffsetSolUp): 4.94  [5.00 .. 60.00]"},
        {"duplicated", QList<QByteArray>(good) << "  12\tStartSpeedUp\t    0.50",
         QStringLiteral("(StartSpeedUp): 0.50  (given twice) (line %1)").arg(good.size() + 2)},
    };
    for (const auto& c : cases) {
        m_feedback.Messages.clear();
        m_tree.Write("unsafe.set", LegacyFile("{TKX---}x", c.lines, static_cast<int>(c.lines.size())));
        EXPECT_EQ(files.ReadSetFile(m_tree.Path("unsafe.set")), TSetFiles::BadContent) << c.name;
        EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0) << c.name;
        EXPECT_EQ(Sets(Family::Tkx).GetState(), TTable::State::Browse) << c.name;
        ASSERT_EQ(m_feedback.Messages.size(), 1u) << c.name;
        EXPECT_EQ(m_feedback.Messages[0].Caption, Text(173));
        const QString text = m_feedback.Messages[0].Text;
        EXPECT_TRUE(text.startsWith(m_tree.Path("unsafe.set") + "\r\r" + Text(307) + "\r- ")) << text.toStdString();
        EXPECT_TRUE(text.contains(c.shown)) << text.toStdString();
    }
    m_tree.Write("good.set", LegacyFile("{TKX---}x", good, static_cast<int>(good.size())));
    EXPECT_EQ(files.ReadSetFile(m_tree.Path("good.set")), TSetFiles::Ok);
}

TEST_F(SetFilesTest, ImportRefusesWhatCannotBeASetFile) {
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    QFile huge(m_tree.Path("huge.set"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(16 * 1024 * 1024)); // sparse: costs no disk
    huge.close();
    QDir().mkpath(m_tree.Path("folder.set"));
    ASSERT_EQ(::mkfifo(m_tree.Path("pipe.set").toLocal8Bit().constData(), 0600), 0);
    for (const QString& path :
         {QStringLiteral("/dev/zero"), m_tree.Path("huge.set"), m_tree.Path("folder.set"), m_tree.Path("pipe.set")}) {
        EXPECT_EQ(files.ReadSetFile(path), TSetFiles::CannotOpen) << path.toStdString();
        EXPECT_FALSE(files.ErrorReason().isEmpty()) << path.toStdString();
        EXPECT_EQ(TSetFiles::FailureText(TSetFiles::CannotOpen, false, path, m_configuration->Language(),
                                         files.ErrorReason()),
                  Text(197) + path + "\r(" + files.ErrorReason() + ")");
        EXPECT_EQ(files.ReadAllSetsFile(path), TSetFiles::CannotOpen) << path.toStdString();
    }
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), 0);
}

TEST_F(SetFilesTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    AddSet(Family::Tkx, "Lift 3", {}, {{"FastUp", 8}});
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    for (const char* name : {"lift.set", "lift.prm", "lift.txt"}) {
        const TSetFiles::Kind kind = QByteArray(name).endsWith("set")   ? TSetFiles::Kind::Set
                                     : QByteArray(name).endsWith("prm") ? TSetFiles::Kind::AllSets
                                                                        : TSetFiles::Kind::Text;
        const QByteArray before = "a good file from yesterday";
        m_tree.Write(name, before);
        {
            // The new file needs more than the disk has left: the failure shows only when the buffer is flushed.
            FileSizeLimit full(512);
            EXPECT_EQ(files.Export(kind, m_tree.Path(name)), TSetFiles::CannotOpen) << name;
        }
        EXPECT_EQ(m_tree.Read(name), before) << name;
        EXPECT_EQ(QDir(m_tree.Path()).entryList(QDir::Files).filter(name).size(), 1) << "no temporary left";
        EXPECT_EQ(files.ErrorReason(), "File too large") << name;
    }
    QDir().mkpath(m_tree.Path("taken.set"));
    EXPECT_EQ(files.WriteSetFile(m_tree.Path("taken.set")), TSetFiles::CannotOpen);
    EXPECT_EQ(TSetFiles::FailureText(TSetFiles::CannotOpen, true, m_tree.Path("taken.set"), m_configuration->Language(),
                                     files.ErrorReason()),
              Text(196) + m_tree.Path("taken.set") + "\r(Is a directory)");
}

// Names and descriptions as users type them come back exactly: older installations read the
// 8-bit files as Windows-1252, so a text that fits there is written so, unless those bytes
// would read back as UTF-8; everything else is written as UTF-8.
TEST_F(SetFilesTest, TypedTextSurvivesARoundTrip) {
    const struct {
        QString name;
        bool windows1252; // the bytes an older installation reads correctly
    } cases[] = {
        {QString::fromUtf8("Aufzug Müller"), true},
        {QString::fromUtf8("Fuß“"), false}, // "ß“" in Windows-1252 is valid UTF-8 for another letter
        {QString::fromUtf8("Winda Zażółć gęślą jaźń"), false},
        {QString::fromUtf8("升降機 3 號"), false},
    };
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    for (const auto& c : cases) {
        AddSet(Family::Tkx, c.name, {{"Description", c.name + "\r\nsecond line"}}, Defaults(Family::Tkx));
        ASSERT_EQ(files.WriteSetFile(m_tree.Path("typed.set")), TSetFiles::Ok);
        const QByteArray bytes = m_tree.Read("typed.set");
        EXPECT_EQ(bytes.contains(c.name.toUtf8()), !c.windows1252) << c.name.toStdString();
        ASSERT_EQ(files.ReadSetFile(m_tree.Path("typed.set")), TSetFiles::Ok) << c.name.toStdString();
        Sets(Family::Tkx).Post();
        EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), c.name);
        EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Description"), c.name + "\r\nsecond line");
        EXPECT_TRUE(Sets(Family::Tkx).FindName(c.name)) << c.name.toStdString();
    }
    // A file from an older installation (Windows-1252) and one a text editor saved as UTF-8 with a mark.
    const QList<QByteArray> lines = DefaultLines(Family::Tkx);
    const struct {
        QByteArray bytes;
        QString name;
    } foreign[] = {
        {LegacyFile("{TKX---}M\xfcller \x93"
                    "B\x94 \x80",
                    lines, static_cast<int>(lines.size())),
         QString::fromUtf8("Müller “B” €")},
        {"\xef\xbb\xbf" +
             LegacyFile(QString::fromUtf8("{TKX---}Zażółć 升降機").toUtf8(), lines, static_cast<int>(lines.size())),
         QString::fromUtf8("Zażółć 升降機")},
    };
    for (const auto& f : foreign) {
        m_tree.Write("foreign.set", f.bytes);
        ASSERT_EQ(files.ReadSetFile(m_tree.Path("foreign.set")), TSetFiles::Ok);
        EXPECT_EQ(Sets(Family::Tkx).FieldAsText("Name"), f.name);
        Sets(Family::Tkx).Cancel();
    }
}

TEST_F(SetFilesTest, ABrokenAllSetsFileSaysWhatWasStoredAndWhere) {
    AddSet(Family::Tkx, "a", {}, {});
    TSetFiles files(*m_database, m_feedback, Family::Tkx);
    QByteArray file;
    const QList<QByteArray> lines = DefaultLines(Family::Tkx);
    for (const char* name : {"one", "two"}) {
        file += LegacyFile(QByteArray("{TKX---}") + name, lines, static_cast<int>(lines.size()));
    }
    const int badLine = static_cast<int>(file.count('\n')) + 2;
    file += "   0\tthree\t    0.00\r\n  12\tStartSpeedUp\tfast\r\n";
    m_tree.Write("broken.prm", file);
    m_feedback.Messages.clear();
    const int before = Sets(Family::Tkx).RecordCount();
    EXPECT_EQ(files.ReadAllSetsFile(m_tree.Path("broken.prm")), TSetFiles::BadContent);
    EXPECT_EQ(Sets(Family::Tkx).RecordCount(), before + 2);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text,
              Text(194) + m_tree.Path("broken.prm") +
                  QStringLiteral(" (line %1)\r2 sets stored before line %1.").arg(badLine));
}

} // namespace

TEST(SetFileKinds, NamesFiltersAndFilterPositionsComeFromOneTable) {
    const struct {
        const char* Name;
        std::optional<TSetFiles::Kind> Kind;
    } names[] = {{"a.set", TSetFiles::Kind::Set},     {"dir.x/all.prm", TSetFiles::Kind::AllSets},
                 {"lift.txt", TSetFiles::Kind::Text}, {"lift.SET", std::nullopt},
                 {"lift.set.bak", std::nullopt},      {"set", std::nullopt}};
    for (const auto& name : names) {
        EXPECT_EQ(TSetFiles::KindOf(name.Name), name.Kind) << name.Name;
    }
    EXPECT_EQ(TSetFiles::Filters(true), (QStringList{"Parameter Set (*.set)", "Parameter Database (*.prm)",
                                                     "Text File (*.txt)", "Any Files (*.*)"}));
    // Without the text file a text export opens on "Any Files".
    const QStringList plain = TSetFiles::Filters(false);
    EXPECT_EQ(plain, (QStringList{"Parameter Set (*.set)", "Parameter Database (*.prm)", "Any Files (*.*)"}));
    EXPECT_EQ(plain[TSetFiles::FilterIndex(TSetFiles::Kind::AllSets) - 1], "Parameter Database (*.prm)");
    EXPECT_EQ(plain[TSetFiles::FilterIndex(TSetFiles::Kind::Text) - 1], "Any Files (*.*)");
    EXPECT_FALSE(TSetFiles::Info(TSetFiles::Kind::Text).Importable);
}
