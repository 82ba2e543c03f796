#include "core/params/TTable.h"

#include "TableFiles.h"
#include "TempTree.h"

#include <gtest/gtest.h>

namespace {

class TTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = CreateTableFile(*Schema::FindTable("TableTKX"), m_tree.Path());
        m_table.Open(m_tree.Path());
    }

    void AddSet(const QString& name, double fastUp) {
        m_table.Insert();
        m_table.SetFieldText("Name", name);
        m_table.SetFieldFloat("FastUp", fastUp);
        m_table.Post();
    }

    QStringList Names() {
        QStringList names;
        for (m_table.First(); !m_table.Eof(); m_table.Next()) {
            names << m_table.FieldAsText("Name");
        }
        return names;
    }

    TempTree m_tree;
    QString m_path;
    TTable m_table{*Schema::FindTable("TableTKX")};
};

TEST_F(TTableTest, AnEmptySetTableHasNoRecord) {
    m_table.First();
    EXPECT_TRUE(m_table.Eof());
    EXPECT_TRUE(m_table.Bof());
    EXPECT_TRUE(m_table.IsEmpty());
    EXPECT_EQ(m_table.RecNo(), -1);
    EXPECT_FALSE(m_table.FindName("anything"));
}

TEST_F(TTableTest, PostedRecordsGetAnIdAndSurviveReopening) {
    AddSet("Lift 1", 8.5);
    AddSet(QString(40, QLatin1Char('x')), 7.25);
    m_table.Edit();
    m_table.SetFieldFloat("ValveType", 99); // a code no lookup row knows stays as it is
    m_table.Post();
    EXPECT_EQ(m_table.FieldAsText("Name"), QString(32, QLatin1Char('x')));
    const qint64 id = m_table.FieldAsInteger("id");

    m_table.Close();
    TTable again(*Schema::FindTable("TableTKX"));
    again.Open(m_tree.Path());
    ASSERT_EQ(again.RecordCount(), 2);
    ASSERT_TRUE(again.FindName(QString(32, QLatin1Char('X'))));
    EXPECT_EQ(again.FieldAsInteger("Id"), id);
    EXPECT_DOUBLE_EQ(again.FieldAsFloat("FASTUP"), 7.25);
    EXPECT_DOUBLE_EQ(again.FieldAsFloat("ValveType"), 99);
    EXPECT_TRUE(again.FieldIsNull("SlowUp"));
    EXPECT_EQ(again.FieldAsText("SlowUp"), "");
}

TEST_F(TTableTest, NamesAreOrderedAndFoundWithoutRegardToCase) {
    for (const char* name : {"beta", "Alpha", "\xc3\x84rger", "alpha", "Zeta"}) {
        AddSet(QString::fromUtf8(name), 1);
    }
    EXPECT_EQ(Names(), QStringList({"Alpha", "alpha", "beta", "Zeta", QString::fromUtf8("\xc3\x84rger")}));

    // Two sets with one name: the first in name order, which is the older one.
    ASSERT_TRUE(m_table.FindName("ALPHA"));
    EXPECT_EQ(m_table.FieldAsText("Name"), "Alpha");
    ASSERT_TRUE(m_table.FindName(QString::fromUtf8("\xc3\xa4RGER")));

    m_table.MoveTo(2);
    EXPECT_FALSE(m_table.FindName("alp")); // exact matches only
    EXPECT_FALSE(m_table.FindName("beta "));
    EXPECT_EQ(m_table.FieldAsText("Name"), "beta");
}

TEST_F(TTableTest, MovingTheCursorSavesAPendingEdit) {
    AddSet("A", 1);
    AddSet("B", 2);
    m_table.First();
    m_table.Edit();
    m_table.SetFieldFloat("FastUp", 9.5);
    m_table.Next();
    EXPECT_EQ(m_table.GetState(), TTable::State::Browse);
    m_table.First();
    EXPECT_DOUBLE_EQ(m_table.FieldAsFloat("FastUp"), 9.5);

    // A pending insert is saved by a search too.
    m_table.Insert();
    m_table.SetFieldText("Name", "C");
    m_table.FindName("A");
    EXPECT_EQ(Names(), QStringList({"A", "B", "C"}));
}

TEST_F(TTableTest, CancelDropsThePendingRecordAndDeleteRemovesTheCurrentOne) {
    AddSet("A", 1);
    AddSet("B", 2);
    m_table.FindName("A");
    m_table.Edit();
    m_table.SetFieldFloat("FastUp", 5);
    EXPECT_DOUBLE_EQ(m_table.FieldAsFloat("FastUp"), 5);
    m_table.Cancel();
    EXPECT_DOUBLE_EQ(m_table.FieldAsFloat("FastUp"), 1);

    m_table.Insert();
    EXPECT_EQ(m_table.RecordCount(), 3);
    m_table.Cancel();
    EXPECT_EQ(m_table.RecordCount(), 2);

    m_table.FindName("A");
    m_table.Delete();
    EXPECT_EQ(Names(), QStringList({"B"}));
    m_table.Refresh();
    EXPECT_EQ(m_table.RecordCount(), 1);
}

TEST_F(TTableTest, WrongFieldsAndWritesOutsideEditingAreErrors) {
    AddSet("A", 1);
    try {
        m_table.FieldAsFloat("NoSuchField");
        FAIL() << "no error for an unknown field";
    } catch (const TableError& error) {
        EXPECT_TRUE(error.Message().contains("NoSuchField"));
        EXPECT_TRUE(error.Message().startsWith(m_path));
    }
    EXPECT_THROW(m_table.SetFieldFloat("FastUp", 2), TableError);
    m_table.Edit();
    EXPECT_THROW(m_table.SetFieldText("FastUp", "fast"), TableError);
    m_table.SetFieldText("FastUp", " 3.5 ");
    m_table.Post();
    EXPECT_DOUBLE_EQ(m_table.FieldAsFloat("FastUp"), 3.5);
}

TEST_F(TTableTest, WindowsHearOfEveryMoveAndChange) {
    AddSet("A", 1);
    AddSet("B", 2);
    int changes = 0;
    QStringList fields;
    QObject listener;
    QObject::connect(&m_table, &TTable::DataChanged, &listener, [&] { ++changes; });
    QObject::connect(&m_table, &TTable::FieldChanged, &listener, [&](const QString& field) { fields << field; });
    m_table.First();
    m_table.Next();
    m_table.Edit();
    m_table.SetFieldFloat("fastup", 3);
    m_table.Post();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(fields, QStringList({"FastUp"}));
}

TEST(TTable, ABrokenOrMissingFileIsReportedAndLeftAlone) {
    TempTree tree;
    const QByteArray garbage("this is not a database, just forty-odd bytes");
    const QString path = tree.Write("Tkx.DB", garbage);
    TTable table(*Schema::FindTable("TableTKX"));
    try {
        table.Open(tree.Path());
        FAIL() << "a broken file opened";
    } catch (const TableError& error) {
        EXPECT_TRUE(error.Message().startsWith(path)) << error.Message().toStdString();
    }
    EXPECT_FALSE(table.IsOpen());
    EXPECT_EQ(tree.Read(path), garbage);

    TTable missing(*Schema::FindTable("TableValveType"));
    EXPECT_THROW(missing.Open(tree.Path()), TableError);
    EXPECT_FALSE(QFileInfo::exists(tree.Path("ValveType.db")));
}

TEST(TTable, TheMetadataRangeKeepsOneFamilyInDeliveredOrder) {
    TempTree tree;
    const TableDef& definition = *Schema::FindTable("TableParameterDBSettings");
    const QString path = CreateTableFile(definition, tree.Path());
    ExecOnTableFile(path, "INSERT INTO ParameterDBSettings (ControllerType, FieldName) VALUES "
                          "('TKX','Zeta'),('ITKX','B'),('TKX','Alpha'),('ITKX','A')");
    TTable table(definition);
    table.Open(tree.Path());
    const auto fields = [&] {
        QStringList names;
        for (table.First(); !table.Eof(); table.Next()) {
            names << table.FieldAsText("FieldName");
        }
        return names;
    };
    EXPECT_EQ(fields(), QStringList({"B", "A", "Zeta", "Alpha"}));
    table.SetRange("TKX", "TKX");
    EXPECT_EQ(fields(), QStringList({"Zeta", "Alpha"}));
    table.SetRange("ITKX", "ITKX");
    EXPECT_EQ(fields(), QStringList({"B", "A"}));
    table.CancelRange();
    EXPECT_EQ(table.RecordCount(), 4);
}

TEST_F(TTableTest, ARenamedSetMovesToItsPlaceAndABatchKeepsEveryRecordWhole) {
    AddSet("B", 1);
    AddSet("D", 2);
    m_table.FindName("D");
    m_table.Edit();
    m_table.SetFieldText("Name", "A");
    m_table.Post();
    EXPECT_EQ(m_table.FieldAsText("Name"), "A"); // the cursor follows the record
    EXPECT_EQ(m_table.RecNo(), 0);
    EXPECT_EQ(Names(), QStringList({"A", "B"}));

    {
        TTable::Batch batch(m_table);
        AddSet("C", 3);
        AddSet("E", 4);
        batch.Commit();
    }
    TTable reopened(*Schema::FindTable("TableTKX"));
    reopened.Open(m_tree.Path());
    EXPECT_EQ(reopened.RecordCount(), 4);
    EXPECT_TRUE(reopened.FindName("E"));
    EXPECT_DOUBLE_EQ(reopened.FieldAsFloat("FastUp"), 4);
}

} // namespace
