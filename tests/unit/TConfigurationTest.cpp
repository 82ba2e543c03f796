#include "core/app/TConfiguration.h"
#include "core/app/DataDirectory.h"
#include "core/app/TSettingsEditor.h"
#include "core/base/Language.h"

#include "EnglishText.h"
#include "RecordingFeedback.h"
#include "TempTree.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

const QByteArray kTemplate = "[General]\nPicturesPerFile=200\n[Delays]\nEEpromWrite=150\n[Language]\nLanguageValue=3\n";

class TConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override { m_tree.Write("prog/WinTorvex32.config", kTemplate); }

    QString Docs() const { return m_tree.Path("docs"); }
    QString ConfigDir() const { return Docs() + "/Faldmark/WinTorvex32"; }
    QString ConfigFile() const { return ConfigDir() + "/WinTorvex32.config"; }
    QString DefaultDatabaseDir() const { return ConfigDir() + "/1.45/DataBase"; }

    void WriteUserConfig(const QByteArray& content) {
        m_tree.Write("docs/Faldmark/WinTorvex32/WinTorvex32.config", content);
    }
    void MakeDefaultDatabaseDir() { QDir().mkpath(DefaultDatabaseDir()); }

    TConfiguration& Create(TConfigurationEnvironment environment = {}) {
        if (environment.ExecutablePath.isEmpty()) {
            environment.ExecutablePath = m_tree.Path("prog/WinTorvex32");
        }
        if (environment.DocumentsFolder.isEmpty()) {
            environment.DocumentsFolder = Docs();
        }
        environment.PortCandidates = [this] { return m_ports; };
        environment.PortOpens = [this](const QString& name) { return m_held.count(name) == 0; };
        m_configuration = std::make_unique<TConfiguration>(std::move(environment), m_feedback);
        return *m_configuration;
    }

    TempTree m_tree;
    RecordingFeedback m_feedback;
    QStringList m_ports;
    std::set<QString> m_held;
    std::unique_ptr<TConfiguration> m_configuration;
};

TEST_F(TConfigurationTest, FirstStartCreatesTheConfigurationFromTheTemplateAndAsksForTheDatabase) {
    TConfiguration& c = Create();

    EXPECT_EQ(m_tree.Read(ConfigFile()), kTemplate);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    const auto& question = m_feedback.Messages[0];
    EXPECT_EQ(question.Buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.Kind, MessageKind::Warning);
    // The template's language (French) already speaks to the user.
    EXPECT_EQ(question.Text, Text(191, 3) + DefaultDatabaseDir() + Text(310, 3));
    // Told before the question, so that its Yes and No can be French too.
    ASSERT_FALSE(m_feedback.ChosenLanguages.empty());
    EXPECT_EQ(m_feedback.ChosenLanguages[0], std::make_pair(3, std::size_t{0}));
    EXPECT_TRUE(QFileInfo(DefaultDatabaseDir()).isDir());
    EXPECT_TRUE(c.Settings().ConfigFileUsable);
    EXPECT_TRUE(c.IsWorkDirectoryUsable());
    EXPECT_EQ(c.GetWorkDirectory(), ConfigDir());
    EXPECT_EQ(c.GetDatabaseDirectory(), DefaultDatabaseDir());
    EXPECT_EQ(c.GetEepromWriteDelay(), 150);
    EXPECT_EQ(c.Language().Index(), 3);
    EXPECT_EQ(c.Language().StoredValue(), 3);
    EXPECT_EQ(c.DataFilePath, ConfigDir() + "/DataFile.dat");
    EXPECT_EQ(c.DataDirectory, m_tree.Path("prog/"));
    EXPECT_EQ(c.HelpDirectory, m_tree.Path("prog/HelpFiles"));
    EXPECT_EQ(c.GetTemplateDatabaseDirectory(), m_tree.Path("prog/DataBase"));
}

// The build tree keeps the data beside the programs, an installation under ../share/wintorvex32/.
TEST_F(TConfigurationTest, TheDataIsFoundBesideTheProgramOrWhereItIsInstalled) {
    struct Case {
        const char* name;
        bool beside;    // a DataBase folder beside the executable
        bool installed; // a DataBase folder in ../share/wintorvex32
        const char* expected;
    };
    const Case cases[] = {
        {"build tree", true, false, "usr/bin/"},
        {"installed", false, true, "usr/share/wintorvex32/"},
        {"both: the build tree wins", true, true, "usr/bin/"},
        {"neither: beside the program", false, false, "usr/bin/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        if (c.beside) {
            QDir().mkpath(tree.Path("usr/bin/DataBase"));
            tree.Write("usr/bin/WinTorvex32.config", "[Language]\nLanguageValue=3\n");
        }
        if (c.installed) {
            QDir().mkpath(tree.Path("usr/share/wintorvex32/DataBase"));
            tree.Write("usr/share/wintorvex32/WinTorvex32.config", "[Language]\nLanguageValue=5\n");
        }
        const QString expected = tree.Path(c.expected);
        EXPECT_EQ(DataDirectoryOf(tree.Path("usr/bin/torvex")), expected);

        TConfigurationEnvironment environment;
        environment.ExecutablePath = tree.Path("usr/bin/WinTorvex32");
        environment.DocumentsFolder = tree.Path("docs");
        m_feedback.Answers = {MessageAnswer::Yes};
        TConfiguration& configuration = Create(std::move(environment));
        EXPECT_EQ(configuration.DataDirectory, expected);
        EXPECT_EQ(configuration.HelpDirectory, expected + "HelpFiles");
        EXPECT_EQ(configuration.GetTemplateDatabaseDirectory(), expected + "DataBase");
        // The configuration template of the chosen place gives the language of a first start.
        const int templateLanguage = !c.beside && c.installed ? 5 : c.beside ? 3 : 0;
        if (templateLanguage != 0) {
            EXPECT_EQ(configuration.Language().Index(), templateLanguage);
            EXPECT_EQ(tree.Read("docs/Faldmark/WinTorvex32/WinTorvex32.config"),
                      tree.Read(expected + "WinTorvex32.config"));
        }
        m_configuration.reset();
    }
}

TEST_F(TConfigurationTest, DecliningTheDatabaseDirectoryLeavesTheWorkDirectoryUnusable) {
    m_feedback.Answers = {MessageAnswer::No};
    TConfiguration& c = Create();

    ASSERT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_EQ(m_feedback.Messages[1].Text, Text(177, 3));
    EXPECT_EQ(m_feedback.Messages[1].Buttons, MessageButtons::Ok);
    EXPECT_FALSE(QFileInfo::exists(DefaultDatabaseDir()));
    EXPECT_FALSE(c.IsWorkDirectoryUsable());
    // The configuration directory was new, so the template was copied all the same.
    EXPECT_TRUE(c.Settings().ConfigFileUsable);
}

TEST_F(TConfigurationTest, ADatabaseDirectoryThatCannotBeCreatedIsReported) {
    m_tree.Write("blocker", "a file, not a directory");
    WriteUserConfig("[General]\nWorkDir=" + m_tree.Path("blocker/work").toUtf8() + "\n");
    TConfiguration& c = Create();

    ASSERT_EQ(m_feedback.Messages.size(), 2u);
    EXPECT_EQ(m_feedback.Messages[0].Buttons, MessageButtons::YesNo);
    // The message names the directory: the user can see which setting to correct.
    EXPECT_EQ(m_feedback.Messages[1].Text, m_tree.Path("blocker/work/1.45/DataBase") + "\r" + Text(192, 3));
    EXPECT_FALSE(c.IsWorkDirectoryUsable());
    EXPECT_EQ(c.GetWorkDirectory(), m_tree.Path("blocker/work"));
}

TEST_F(TConfigurationTest, AnExistingButEmptyConfigurationDirectoryGetsTheTemplateOnlyOnceTheDatabaseIsThere) {
    QDir().mkpath(ConfigDir());
    Create();
    EXPECT_EQ(m_tree.Read(ConfigFile()), kTemplate);
    EXPECT_TRUE(m_configuration->Settings().ConfigFileUsable);

    QFile::remove(ConfigFile());
    QDir(ConfigDir() + "/1.45").removeRecursively();
    m_feedback.Answers = {MessageAnswer::No};
    TConfiguration& c = Create();
    EXPECT_FALSE(QFileInfo::exists(ConfigFile()));
    EXPECT_FALSE(c.Settings().ConfigFileUsable);
    EXPECT_EQ(c.GetEepromWriteDelay(), 100); // defaults, not the template's values
    EXPECT_EQ(c.Language().Index(), 3);      // but the installation's language
}

TEST_F(TConfigurationTest, AConfigurationDirectoryThatCannotBeCreatedIsReportedInTheTemplatesLanguage) {
    m_tree.Write("docs", "a file where the documents folder should be");
    TConfiguration& c = Create();

    ASSERT_GE(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, ConfigDir() + "\r" + Text(192, 3));
    EXPECT_EQ(m_feedback.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_FALSE(c.Settings().ConfigFileUsable);
}

TEST_F(TConfigurationTest, LanguageValues) {
    struct Case {
        QByteArray userConfig; // empty: no per-user file
        QByteArray templateConfig;
        int storedValue;
        int index;
    };
    const Case cases[] = {
        {"[Language]\nLanguageValue=102\n", kTemplate, 102, 2},
        {"[Language]\nLanguageValue=1\n", kTemplate, 1, 1},
        {"[General]\nDrawSpeed=15\n", kTemplate, 3, 3}, // only the template names one
        {"[General]\nDrawSpeed=15\n", "[General]\n", 2, 2},
        {"[Language]\nLanguageValue=0\n", "[Language]\nLanguageValue=102\n", 2, 2},
        {"[Language]\nLanguageValue=9\n", kTemplate, 9, 9},
        {"[Language]\nLanguageValue=55\n", kTemplate, 55, 55},
    };
    for (const Case& test : cases) {
        MakeDefaultDatabaseDir();
        WriteUserConfig(test.userConfig);
        m_tree.Write("prog/WinTorvex32.config", test.templateConfig);
        TConfiguration& c = Create();
        EXPECT_EQ(c.Language().StoredValue(), test.storedValue) << test.userConfig.constData();
        EXPECT_EQ(c.Language().Index(), test.index) << test.userConfig.constData();
        EXPECT_EQ(c.GetLanguageIndex(), test.index) << test.userConfig.constData();
        if (test.index == 55) {
            EXPECT_EQ(c.Language().Text(4), "Language"); // 55 has no column of its own
        }
    }
}

TEST_F(TConfigurationTest, SettingsComeFromTheFileAndBadNumbersFallBackToTheirDefaults) {
    MakeDefaultDatabaseDir();
    WriteUserConfig("[General]\nPicturesPerFile=50\nNbPicturesPerFile=80\nLengthOfPicture=45\nDrawSpeed=x\n"
                    "CurveMaxV=10.5\nCurveMinV=-2,5\nSaveAutoEnabled=0\nPauseSending=0\nWorkFile=run.dat\n"
                    "[Delays]\nEEpromWrite=abcdefghij\nParameterRead=250\nGapForNewPage=\n");
    TConfiguration& c = Create();

    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_EQ(c.GetPicturesPerFile(), 50);
    EXPECT_EQ(c.GetLengthOfPicture(), 45);
    EXPECT_EQ(c.GetDrawSpeed(), 15);
    EXPECT_DOUBLE_EQ(c.GetCurveMaxV(), 10.5);
    EXPECT_DOUBLE_EQ(c.GetCurveMinV(), -2.5);
    EXPECT_FALSE(c.IsSaveAutoEnabled());
    EXPECT_TRUE(c.IsPauseSending()); // counts only once the settings page has been visited
    EXPECT_EQ(c.Settings().EEpromWrite, "abcdefghij");
    EXPECT_EQ(c.GetEepromWriteDelay(), 100);
    EXPECT_EQ(c.GetParameterReadTimeout(), 250);
    EXPECT_EQ(c.GetGapForNewPage(), 300);
    EXPECT_EQ(c.DataFilePath, ConfigDir() + "/run.dat");
    EXPECT_EQ(c.FrameLength, 16);
    EXPECT_EQ(c.FrameStartByte, 0x0F);
    EXPECT_EQ(c.FrameEndByte, 0x55);
    EXPECT_EQ(c.FifoCapacity, 100);
    EXPECT_DOUBLE_EQ(c.AnalogScale, 0.001);
    EXPECT_FALSE(c.DatabaseAvailable);
}

TEST_F(TConfigurationTest, NumbersBeyondWhatTheDialogAcceptsAreClampedWhenReadAndLogged) {
    MakeDefaultDatabaseDir();
    WriteUserConfig("[General]\nPicturesPerFile=5000\nLengthOfPicture=-3\nDrawSpeed=1000\nCurveMaxV=1e9\n"
                    "CurveMinV=-100.5\n[Delays]\nEEpromWrite=1001\nParameterRead=2147483647\nGapForNewPage=32000\n");
    TConfiguration& c = Create();

    EXPECT_EQ(c.GetPicturesPerFile(), 1000);
    EXPECT_EQ(c.GetLengthOfPicture(), 0);
    EXPECT_EQ(c.GetDrawSpeed(), 1000); // the ends themselves are accepted
    EXPECT_DOUBLE_EQ(c.GetCurveMaxV(), 1000);
    EXPECT_DOUBLE_EQ(c.GetCurveMinV(), -100);
    EXPECT_EQ(c.GetEepromWriteDelay(), 1000);
    // A reply timeout of 24 days would leave identify waiting; the dialog's limit applies.
    EXPECT_EQ(c.GetParameterReadTimeout(), 32000);
    EXPECT_EQ(c.LinkSettings().ReplyTimeout, 32000);
    EXPECT_EQ(c.GetGapForNewPage(), 32000);
    EXPECT_EQ(c.Settings().ParameterRead, "32000"); // the dialog shows what is used

    // The log starts after the configuration: its lines are handed over then, once.
    QStringList log;
    c.SetLog([&](const QString& line) { log << line; });
    EXPECT_EQ(log, (QStringList{"Configuration: PicturesPerFile=5000 is outside 0..1000, 1000 is used",
                                "Configuration: LengthOfPicture=-3 is outside 0..1000, 0 is used",
                                "Configuration: CurveMaxV=1e9 is outside -100..1000, 1000 is used",
                                "Configuration: CurveMinV=-100.5 is outside -100..1000, -100 is used",
                                "Configuration: EEpromWrite=1001 is outside 0..1000, 1000 is used",
                                "Configuration: ParameterRead=2147483647 is outside 0..32000, 32000 is used"}));
    // A value typed beyond the range (no log then: the dialog shows it) is not used either.
    c.Settings().GapForNewPage = "99999";
    EXPECT_EQ(c.GetGapForNewPage(), 32000);
    EXPECT_EQ(log.size(), 6);
}

TEST_F(TConfigurationTest, AnEmptyWorkDirMeansTheDefault) {
    MakeDefaultDatabaseDir();
    WriteUserConfig("[General]\nWorkDir=\n");
    TConfiguration& c = Create();
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_EQ(c.GetWorkDirectory(), ConfigDir());
}

TEST_F(TConfigurationTest, AWorkDirectoryForThisRunIsCreatedWithoutAQuestion) {
    MakeDefaultDatabaseDir();
    WriteUserConfig("[General]\nWorkDir=/elsewhere\n");
    TConfigurationEnvironment environment;
    environment.WorkDirOverride = m_tree.Path("run/");
    TConfiguration& c = Create(environment);
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_EQ(c.GetWorkDirectory(), m_tree.Path("run"));
    EXPECT_TRUE(QFileInfo(m_tree.Path("run/1.45/DataBase")).isDir());
    EXPECT_EQ(m_tree.Read(ConfigFile()), "[General]\nWorkDir=/elsewhere\n");
}

TEST_F(TConfigurationTest, PortsAreProbedInOrderWithTheirOwnSettings) {
    MakeDefaultDatabaseDir();
    m_ports = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};
    m_held = {"/dev/ttyS1"};
    WriteUserConfig("[/dev/ttyS0]\nBaud=1200\nParity=even\nStopBits=2\nDataBits=7\n"
                    "[/dev/ttyUSB0]\nParity=evn\nBaud=fast\n"
                    "[Ports]\nDevices= /tmp/torvex-sim ; /dev/ttyS0;/dev/held\n");
    m_held.insert("/dev/held");
    TConfiguration& c = Create();

    EXPECT_EQ(c.PortNames(), QStringList({"/dev/ttyS0", "/dev/ttyUSB0", "/tmp/torvex-sim"}));
    EXPECT_EQ(c.PortCount(), 3);
    const TCommParameter& s0 = *c.Settings().Ports[0];
    EXPECT_EQ(s0.Baud, 1200);
    EXPECT_EQ(s0.Parity, 2);
    EXPECT_EQ(s0.StopBits, 1);
    EXPECT_EQ(s0.DataBits, 7);
    const TCommParameter& usb = *c.Settings().Ports[1];
    EXPECT_EQ(usb.Baud, 19200);
    EXPECT_EQ(usb.ParityAsText(), "None");
    EXPECT_TRUE(c.Settings().PortChoicesEnabled);
}

TEST_F(TConfigurationTest, SelectPortOffersTheFreePortsAndMarksTheChosenOne) {
    MakeDefaultDatabaseDir();
    m_ports = {"/dev/ttyS0", "/dev/ttyUSB0"};
    TConfiguration& c = Create();

    m_feedback.PortChoice = 1;
    PortReservation first = c.SelectPort();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Name, "/dev/ttyUSB0");
    EXPECT_TRUE(first->InUse);

    m_feedback.PortChoice = 0;
    const PortReservation second = c.SelectPort();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Name, "/dev/ttyS0");

    // Nothing free: the list is empty and can only be cancelled.
    EXPECT_FALSE(c.SelectPort());
    ASSERT_EQ(m_feedback.OfferedPorts.size(), 3u);
    EXPECT_EQ(m_feedback.OfferedPorts[0], QStringList({"/dev/ttyS0", "/dev/ttyUSB0"}));
    EXPECT_EQ(m_feedback.OfferedPorts[1], QStringList({"/dev/ttyS0"}));
    EXPECT_TRUE(m_feedback.OfferedPorts[2].isEmpty());

    TCommParameter* usb = first.Get();
    first.Release();
    EXPECT_FALSE(usb->InUse);
    EXPECT_FALSE(first);
    m_feedback.PortChoice = -1;
    EXPECT_FALSE(c.SelectPort());
    EXPECT_FALSE(usb->InUse);
    EXPECT_FALSE(c.ReservePort("/dev/nothing"));
    // A taken port is not handed out a second time, or two holders would give it back twice.
    EXPECT_FALSE(c.ReservePort("/dev/ttyS0"));
    EXPECT_TRUE(second->InUse);
}

TEST_F(TConfigurationTest, ThePortChosenLastIsOfferedFirst) {
    MakeDefaultDatabaseDir();
    m_ports = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};
    TConfiguration& c = Create();
    m_feedback.PortChoice = 2;
    EXPECT_EQ(c.SelectPort()->Name, "/dev/ttyUSB0");
    m_feedback.PortChoice = -1; // cancelled: the last choice stays
    EXPECT_FALSE(c.SelectPort());
    m_feedback.PortChoice = 0;
    EXPECT_EQ(c.SelectPort()->Name, "/dev/ttyUSB0");
    ASSERT_EQ(m_feedback.OfferedPorts.size(), 3u);
    EXPECT_EQ(m_feedback.OfferedPorts[0], QStringList({"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}));
    EXPECT_EQ(m_feedback.OfferedPorts[1], QStringList({"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS1"}));
    EXPECT_EQ(m_feedback.OfferedPorts[2], m_feedback.OfferedPorts[1]);
}

TEST_F(TConfigurationTest, AReservationGivesItsPortBackWhereverItEnds) {
    MakeDefaultDatabaseDir();
    m_ports = {"/dev/ttyS0"};
    TConfiguration& c = Create();
    const TCommParameter& port = *c.Settings().Ports[0];

    {
        const PortReservation scoped = c.ReservePort("/dev/ttyS0");
        ASSERT_TRUE(scoped);
        EXPECT_TRUE(port.InUse);
    }
    EXPECT_FALSE(port.InUse);

    // Moved on, the port stays taken until its last holder lets go, and only once.
    PortReservation moved;
    {
        PortReservation taken = c.ReservePort("/dev/ttyS0");
        moved = std::move(taken);
        EXPECT_FALSE(taken);
        taken.Release();
        EXPECT_TRUE(port.InUse);
    }
    EXPECT_TRUE(port.InUse);
    PortReservation other = c.ReservePort("/dev/ttyS0");
    EXPECT_FALSE(other);
    moved = PortReservation(); // replacing a holder releases what it held
    EXPECT_FALSE(port.InUse);
    other = c.ReservePort("/dev/ttyS0");
    EXPECT_TRUE(other);
}

TEST_F(TConfigurationTest, TheStandardPortIsTakenWithoutADialogAndNotTwice) {
    MakeDefaultDatabaseDir();
    m_ports = {"/dev/ttyS0", "/dev/ttyUSB0"};
    // The last detected port's section decides the standard-port settings.
    WriteUserConfig("[/dev/ttyS0]\nStandardPortEnabled=0\nStandardPort=\n"
                    "[/dev/ttyUSB0]\nStandardPortEnabled=1\nStandardPort=/dev/ttyUSB0\n");
    TConfiguration& c = Create();

    const PortReservation port = c.SelectPort();
    ASSERT_TRUE(port);
    EXPECT_EQ(port->Name, "/dev/ttyUSB0");
    EXPECT_FALSE(c.SelectPort());
    EXPECT_TRUE(m_feedback.OfferedPorts.empty());
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST_F(TConfigurationTest, NoPortsDisableThePortChoices) {
    MakeDefaultDatabaseDir();
    WriteUserConfig("[/dev/ttyS0]\nStandardPortEnabled=1\nStandardPort=/dev/ttyS0\n");
    TConfiguration& c = Create();
    EXPECT_EQ(c.PortCount(), 0);
    EXPECT_FALSE(c.Settings().PortChoicesEnabled);
    EXPECT_FALSE(c.SelectPort());
}

TEST_F(TConfigurationTest, LanguageChoicesAreWrittenOnlyOnceTheUserMakesThem) {
    MakeDefaultDatabaseDir();
    WriteUserConfig("[Language]\nLanguageValue=1\n");
    TConfiguration& c = Create();
    EXPECT_TRUE(c.Settings().LanguageProgrammatic);

    c.ChooseLanguage(102); // the user's first click in this run is not written at once
    EXPECT_EQ(m_tree.Read(ConfigFile()), "[Language]\nLanguageValue=1\n");
    EXPECT_EQ(c.Language().Index(), 2);
    EXPECT_EQ(c.Language().StoredValue(), 102);
    EXPECT_TRUE(c.Language().UsImperial());
    c.ChooseLanguage(7);
    EXPECT_EQ(m_tree.Read(ConfigFile()), "[Language]\nLanguageValue=7\n");
    EXPECT_TRUE(c.Settings().LanguageChanged);
    EXPECT_FALSE(c.Settings().LanguageProgrammatic);
}

TEST_F(TConfigurationTest, WithoutATemplateEverythingIsDefault) {
    QFile::remove(m_tree.Path("prog/WinTorvex32.config"));
    TConfiguration& c = Create();
    EXPECT_EQ(c.Language().Index(), 2);
    EXPECT_EQ(c.GetEepromWriteDelay(), 100);
    EXPECT_EQ(c.GetParameterReadTimeout(), 1000);
    EXPECT_EQ(c.GetPicturesPerFile(), 200);
    // Saving is allowed: the first save creates the file the copy could not.
    EXPECT_TRUE(c.Settings().ConfigFileUsable);
    EXPECT_FALSE(QFileInfo::exists(ConfigFile()));
}

} // namespace

// OK in the settings dialog settles the working directory and tells the database's owner
// where it stands: the database is never left open on a folder the technician moved away from.
TEST_F(TConfigurationTest, OkSettlesTheWorkingDirectoryAndTellsTheDatabaseOwner) {
    const struct {
        const char* name;
        const char* folder;   // below the tree; "" keeps the current one
        bool makeDatabase;    // the folder has its database folder already
        MessageAnswer answer; // to the question whether to create it
        bool closes;          // OK returns true
        bool movedThere;
    } cases[] = {
        {"unchanged", "", false, MessageAnswer::Yes, true, false},
        {"existing", "work", true, MessageAnswer::Yes, true, true},
        {"created on Yes", "new", false, MessageAnswer::Yes, true, true},
        {"kept on No", "declined", false, MessageAnswer::No, false, false},
        {"cannot be created", "file/below", false, MessageAnswer::Yes, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeDefaultDatabaseDir();
        TConfiguration& configuration = Create();
        const QString before = configuration.GetWorkDirectory();
        m_tree.Write("file", "not a folder");
        const QString folder = m_tree.Path(c.folder);
        if (c.makeDatabase) {
            QDir().mkpath(TConfiguration::DatabaseDirectoryFor(folder));
        }
        if (*c.folder != '\0') {
            configuration.Settings().WorkDirectory = folder;
        }
        TSettingsEditor editor(configuration, m_feedback);
        std::vector<bool> told;
        editor.SetWorkDirectoryApplied([&](bool usable) { told.push_back(usable); });
        m_feedback.Messages.clear();
        m_feedback.Answers = {c.answer};

        EXPECT_EQ(editor.Ok(-1, {}, QStringLiteral("Options")), c.closes);
        EXPECT_EQ(told, std::vector<bool>{true}) << "the owner reopens the database where it is usable";
        const QString now = configuration.GetWorkDirectory();
        EXPECT_EQ(QDir(now) == QDir(folder), c.movedThere) << now.toStdString();
        if (!c.movedThere) {
            EXPECT_EQ(QDir(now), QDir(before));
        }
        EXPECT_EQ(configuration.GetDatabaseDirectory(), TConfiguration::DatabaseDirectoryFor(now));
    }
}
