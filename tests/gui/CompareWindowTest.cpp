#include "core/app/TServiceLogbook.h"
#include "core/base/Records.h"
#include "core/params/TParameterDatabase.h"
#include "gui/params/TCompareDialog.h"
#include "gui/service/TFormLogbook.h"

#include "MetadataDefaults.h"
#include "ParameterWindowFixture.h"
#include "SimulatorProcess.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

namespace {

// Compare beside Send in both parameter windows, against torvex-sim, and the logbook window.
class CompareWindow : public ParameterWindow {
protected:
    TViewParameter* OpenWithPort(Family family) {
        TViewParameter* window = family == Family::Tkx
                                     ? static_cast<TViewParameter*>(m_program->Windows().ViewTKXParameter())
                                     : static_cast<TViewParameter*>(m_program->Windows().ViewITKXParameter());
        window->SetPort(TakePort());
        return Open(family);
    }
    static QStringList Writes(const QString& log) { return log.split('\n').filter("torvex-sim: received E:"); }
    static QStringList Column(QTableWidget* grid, int column) {
        QStringList texts;
        for (int row = 0; row < grid->rowCount(); ++row) {
            texts << grid->item(row, column)->text();
        }
        return texts;
    }
};

TEST_F(CompareWindow, CompareShowsTheDifferencesAndWritesOnlyTheTickedRows) {
    for (const Family family : {Family::Tkx, Family::VfTkx}) {
        SCOPED_TRACE(FamilyName(family).toStdString());
        // 2.141: a VF-TKX controller without the auxiliary speed.
        SimulatorProcess simulator(
            {"--family", FamilyName(family), "--software", family == Family::Tkx ? "2220" : "2141"});
        ASSERT_FALSE(simulator.Device().isEmpty());
        QDir(m_tree.Path("docs")).removeRecursively();
        Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\nEEpromWrite=0\n", {simulator.Device()});
        AddSet(
            family, "Lift",
            WithMetadataDefaults(m_program->Database(), family, {{"FastUp", 6.55}, {"SlowUp", 0.9}, {"AccelUp", 1.5}}));
        TViewParameter* window = OpenWithPort(family);
        auto* compare = Find<QPushButton>(window, "BtnCompare");
        ASSERT_TRUE(compare->isEnabled());
        EXPECT_EQ(compare->text(), "Compare");

        QStringList parameters;
        QStringList controller;
        QStringList set;
        QString apart;
        window->ChooseDifferences = [&](const TSetComparison& comparison) -> std::optional<std::set<QString>> {
            TCompareDialog dialog(comparison, m_program->Configuration().Language(), "Parameters", window);
            dialog.show();
            auto* grid = Find<QTableWidget>(&dialog, "GridDifferences");
            parameters = Column(grid, 0);
            controller = Column(grid, 1);
            set = Column(grid, 2);
            auto* label = dialog.findChild<QLabel*>("LabelNotOnController");
            apart = label != nullptr ? label->text() : QString();
            for (int row = 0; row < grid->rowCount(); ++row) {
                EXPECT_EQ(grid->item(row, 0)->checkState(), Qt::Checked);
            }
            grid->item(1, 0)->setCheckState(Qt::Unchecked); // FastUp stays as the controller has it
            Find<QPushButton>(&dialog, "BtnWriteTicked")->click();
            return dialog.result() == QDialog::Accepted ? std::optional(dialog.Ticked()) : std::nullopt;
        };
        compare->click();
        EXPECT_EQ(parameters, (QStringList{"Acceleration UP (AccelUp)", "Fast UP (FastUp)", "Slow UP (SlowUp)"}));
        EXPECT_EQ(controller, (QStringList{"4.85", "8", "0.8"}));
        EXPECT_EQ(set, (QStringList{"1.5", "6.55", "0.9"}));
        EXPECT_EQ(apart.contains("Auxiliary speed"), family == Family::VfTkx) << apart.toStdString();
        EXPECT_EQ(Writes(simulator.LogWith({"received E:018:00090\\r"})),
                  (QStringList{"torvex-sim: received E:015:00150\\r", "torvex-sim: received E:018:00090\\r"}));

        const auto entries = m_program->Database().Logbook().Entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].Action, "write ticked");
        EXPECT_EQ(entries[0].ControllerType, FamilyName(family));
        EXPECT_EQ(entries[0].SerialNumber.size(), 9);
        ASSERT_EQ(entries[0].Lines.size(), 2u);
        EXPECT_EQ(entries[0].Lines[0].Field, "AccelUp");
        EXPECT_EQ(entries[0].Lines[0].Before, "4.85");
        EXPECT_EQ(entries[0].Lines[0].After, "1.5");
        EXPECT_EQ(entries[0].Lines[0].Outcome, "sent");

        // A Send after it sends the whole set again.
        const qsizetype before = Writes(simulator.Log()).size();
        Find<QPushButton>(window, "BtnWrite")->click();
        EXPECT_GE(Writes(simulator.Log()).size() - before, 40);
        window->close();
        Stop();
    }
}

TEST_F(CompareWindow, NothingDiffersSaysSoAndWritesNothing) {
    SimulatorProcess simulator({"--family", "TKX", "--software", "2220"});
    ASSERT_FALSE(simulator.Device().isEmpty());
    Start("[Language]\nLanguageValue=2\n[Delays]\nParameterRead=150\nEEpromWrite=0\n", {simulator.Device()});
    AddSet(Family::Tkx, "Lift", WithMetadataDefaults(m_program->Database(), Family::Tkx, {}));
    TViewParameter* window = OpenWithPort(Family::Tkx);
    bool asked = false;
    window->ChooseDifferences = [&](const TSetComparison&) -> std::optional<std::set<QString>> {
        asked = true;
        return std::nullopt;
    };
    m_feedback.Messages.clear();
    Find<QPushButton>(window, "BtnCompare")->click();
    EXPECT_FALSE(asked);
    ASSERT_EQ(m_feedback.Messages.size(), 1u) << m_feedback.Texts().join(" | ").toStdString();
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Information);
    EXPECT_EQ(m_feedback.Messages[0].Text, "No parameter differs: nothing was written.");
    EXPECT_TRUE(Writes(simulator.Log()).isEmpty());
    EXPECT_TRUE(m_program->Database().Logbook().Entries().empty());
    window->close();
}

TEST_F(CompareWindow, TheLogbookWindowListsNewestFirstFiltersBySerialAndExportsCsv) {
    Start("[Language]\nLanguageValue=1\n");
    const TServiceLogbook logbook = m_program->Database().Logbook();
    const QDateTime morning(QDate(2026, 5, 4), QTime(9, 15, 0));
    logbook.Append({morning, "TKX", "000012345", "2.220", "write changed", {{"FastUp", "8", "6.55", "verified"}}});
    logbook.Append({morning.addSecs(3600), "VF-TKX", "000067890", "2.142", "zero point", {}});
    TFormLogbook* form = m_program->Windows().Logbook();
    form->show();
    auto* grid = Find<QTableWidget>(form, "GridLogbook");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), "2026-05-04 10:15:00");
    EXPECT_EQ(grid->item(0, 3)->text(), QString::fromUtf8("Nullpunktmessung"));
    EXPECT_EQ(grid->item(1, 4)->text(), "FastUp");
    EXPECT_EQ(grid->item(1, 7)->text(), QString::fromUtf8("geprüft"));

    auto* serial = Find<QComboBox>(form, "ComboBoxSerial");
    EXPECT_EQ(serial->itemText(0), "Alle");
    serial->setCurrentIndex(serial->findData("000012345"));
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 2)->text(), "000012345");

    const QString csv = m_tree.Path("out/logbook.csv");
    QDir().mkpath(m_tree.Path("out"));
    form->ChooseCsvFile = [&] { return csv; };
    Find<QPushButton>(form, "BtnExportCsv")->click();
    EXPECT_EQ(m_tree.Read(csv), "TIME,TYPE,SERIAL,ACTION,FIELD,BEFORE,AFTER,OUTCOME\r\n"
                                "2026-05-04 09:15:00,TKX,000012345,write changed,FastUp,8,6.55,verified\r\n");
    // A folder that cannot take the file: said, and nothing half-written.
    form->ChooseCsvFile = [&] { return m_tree.Path("no/such/folder/logbook.csv"); };
    m_feedback.Messages.clear();
    Find<QPushButton>(form, "BtnExportCsv")->click();
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Kind, MessageKind::Error);
    form->close();
}

TEST_F(CompareWindow, TheNewTextsFollowTheLanguage) {
    for (const int language : {1, 7}) {
        QDir(m_tree.Path("docs")).removeRecursively();
        Start(QStringLiteral("[Language]\nLanguageValue=%1\n").arg(language).toUtf8());
        TViewParameter* window = Open(Family::VfTkx);
        EXPECT_EQ(Find<QPushButton>(window, "BtnCompare")->text(), Text(Record::Compare, language));
        EXPECT_FALSE(Text(Record::Compare, language).isEmpty());
        auto* item = Find<QAction>(&m_program->MainWindow(), "MenuMainLogbook");
        EXPECT_EQ(item->text(), Text(Record::Logbook, language));
        window->close();
        Stop();
    }
}

} // namespace
