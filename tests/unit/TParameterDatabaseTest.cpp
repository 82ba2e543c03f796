#include "core/params/TParameterDatabase.h"
#include "core/app/TConfiguration.h"
#include "core/base/Language.h"
#include "core/params/ParameterCatalogue.h"

#include "EnglishText.h"
#include "RecordingFeedback.h"
#include "TableFiles.h"
#include "TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class TParameterDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const TableDef& table : Schema::Catalogue()) {
            CreateTableFile(table, Templates());
        }
        QDir().mkpath(DatabaseDir());
        TConfigurationEnvironment environment;
        environment.ExecutablePath = m_tree.Path("prog/WinTorvex32");
        environment.DocumentsFolder = m_tree.Path("docs");
        m_configuration = std::make_unique<TConfiguration>(environment, m_feedback);
        m_database = std::make_unique<TParameterDatabase>(*m_configuration, m_feedback);
    }

    QString Templates() const { return m_tree.Path("prog/DataBase"); }
    QString DatabaseDir() const { return m_tree.Path("docs/Faldmark/WinTorvex32/1.45/DataBase"); }

    TempTree m_tree;
    RecordingFeedback m_feedback;
    std::unique_ptr<TConfiguration> m_configuration;
    std::unique_ptr<TParameterDatabase> m_database;
};

TEST_F(TParameterDatabaseTest, OpeningCopiesOnlyMissingFilesAndOpensEveryTable) {
    const QString own = DatabaseDir() + "/Tkx.DB";
    QFile::copy(Templates() + "/Tkx.DB", own);
    ExecOnTableFile(own, "INSERT INTO Tkx (Name) VALUES ('kept')");

    ASSERT_TRUE(m_database->OpenDatabase());
    EXPECT_TRUE(m_configuration->DatabaseAvailable);
    EXPECT_TRUE(m_feedback.Messages.empty());
    EXPECT_EQ(QDir(DatabaseDir()).entryList(QDir::Files).size(), 58);
    EXPECT_TRUE(m_database->TableTKX().FindName("kept")); // the user's file was not replaced
    for (const TableDef& table : Schema::Catalogue()) {
        EXPECT_TRUE(m_database->Table(table.ObjectName).IsOpen()) << table.ObjectName.toStdString();
    }

    m_database->CloseDatabase();
    EXPECT_FALSE(m_configuration->DatabaseAvailable);
    EXPECT_FALSE(m_database->TableTKX().IsOpen());
}

TEST_F(TParameterDatabaseTest, InstallingCopiesWhatTheTemplateHoldsAndKeepsWhatIsThere) {
    m_tree.Write("prog/DataBase/notes.txt", "from the template");
    const QString kept = m_tree.Write("docs/Faldmark/WinTorvex32/1.45/DataBase/ValveType.db", "the user's own");
    m_database->InstallDatabaseFiles();
    EXPECT_EQ(QDir(DatabaseDir()).entryList(QDir::Files), QDir(m_tree.Path("prog/DataBase")).entryList(QDir::Files));
    EXPECT_EQ(m_tree.Read(DatabaseDir() + "/notes.txt"), "from the template");
    EXPECT_EQ(m_tree.Read(kept), "the user's own");
}

TEST_F(TParameterDatabaseTest, ABrokenTableLeavesTheDatabaseUnavailableWithAClearMessage) {
    const QByteArray garbage(512, '\x7f');
    const QString broken = m_tree.Write("docs/Faldmark/WinTorvex32/1.45/DataBase/ValveType.db", garbage);
    EXPECT_FALSE(m_database->OpenDatabase());
    EXPECT_FALSE(m_configuration->DatabaseAvailable);
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    const auto& message = m_feedback.Messages[0];
    EXPECT_EQ(message.Kind, MessageKind::Error);
    EXPECT_EQ(message.Caption, Text(166));
    const QString reason = broken + ": file is not a database";
    EXPECT_EQ(message.Text, Text(198) + ".." + reason + "\r\r" + reason);
    EXPECT_EQ(m_tree.Read(broken), garbage);
    EXPECT_FALSE(m_database->TableTKX().IsOpen());
}

TEST(TParameterDatabase, OpenErrorTexts) {
    const TLanguage english;
    EXPECT_EQ(TParameterDatabase::OpenErrorText("disk full", english), "Error Open File : \r..\r\rdisk full");
    EXPECT_EQ(TParameterDatabase::OpenErrorText("/db/Tkx.DB: locked", english),
              "Error Open File : \r../db/Tkx.DB: locked\r\r/db/Tkx.DB: locked");
}

TEST_F(TParameterDatabaseTest, FamiliesAndLanguageVariants) {
    ASSERT_TRUE(m_database->OpenDatabase());
    ExecOnTableFile(
        DatabaseDir() + "/ParameterDBSettings.DB",
        "INSERT INTO ParameterDBSettings (ControllerType, FieldName) VALUES ('TKX','FastUp'),('ITKX','FastDn')");
    TTable& metadata = m_database->TableParameterDBSettings();
    metadata.Refresh();
    m_database->SetParameterFamily(Family::Tkx);
    metadata.First();
    EXPECT_EQ(metadata.FieldAsText("FieldName"), "FastUp");
    m_database->SetParameterFamily(Family::VfTkx); // the VF-TKX window after the TKX one
    EXPECT_EQ(metadata.RecordCount(), 1);
    EXPECT_EQ(metadata.FieldAsText("FieldName"), "FastDn");
    m_database->SetParameterFamily(Family::None);
    EXPECT_EQ(metadata.RecordCount(), 2);

    const std::pair<int, const char*> variants[] = {{1, "DE"}, {2, "EN"}, {3, "FR"}, {4, "IT"}, {5, "SP"},
                                                    {6, "PL"}, {7, "EN"}, {8, "EN"}, {9, "EN"}, {55, "EN"}};
    for (const auto& [index, suffix] : variants) {
        EXPECT_EQ(m_database->LanguageTable("RelayFunction", index).Definition().SqlName(),
                  QString("RelayFunction_") + suffix);
    }
}

TEST(ParameterCaption, LabelsUnitsAndInformationNames) {
    EXPECT_EQ(ParameterCaption("StartSpeedUp", 0, Language::English), "Start speed UP");
    EXPECT_EQ(ParameterCaption("StartSpeedUp", 1, Language::English), "V");
    EXPECT_EQ(ParameterCaption("OffsetSolUpInPsi", 1, Language::English), "psi");
    EXPECT_EQ(ParameterCaption("ValveType", 0, Language::English), "Valve type");
    EXPECT_EQ(ParameterCaption("ValveType", 1, Language::English), "");
    EXPECT_EQ(ParameterCaption("Operation hour", 1, Language::English), "Operation hours");
    for (const char* name : {"CheckNo1", "startspeedup", "Language", ""}) {
        EXPECT_EQ(ParameterCaption(name, 0, Language::English), "Not found") << name;
        EXPECT_EQ(ParameterCaption(name, 1, Language::English), "Not found") << name;
    }
    EXPECT_EQ(ParameterCaption("FastDn", 0, 1), Text(37, 1) + " " + Text(115, 1));
    EXPECT_EQ(ParameterCaption("HWZero", 0, 1), "HW Zero");
    EXPECT_EQ(ParameterCaption("Software version", 0, 1), Text(236, 1));
}

TEST(Conversion, RoundsHalvesToEvenAndConvertsPressures) {
    EXPECT_EQ(Conversion::ToController(0.125, 100), 12);
    EXPECT_EQ(Conversion::ToController(0.375, 100), 38);
    EXPECT_EQ(Conversion::ToController(2.5, 1), 2);
    EXPECT_EQ(Conversion::ToController(3.5, 1), 4);
    EXPECT_EQ(Conversion::ToController(7.0, 10), 70);
    EXPECT_DOUBLE_EQ(Conversion::ToDisplay(850, 100), 8.5);
    EXPECT_DOUBLE_EQ(Conversion::BarToPsi(7.0), 102);
    EXPECT_DOUBLE_EQ(Conversion::PsiToBar(145), 10.0);
    EXPECT_DOUBLE_EQ(Conversion::PsiToBar(102), 7.0);
    EXPECT_DOUBLE_EQ(Conversion::BarToPsi(0), 0);
}

} // namespace
