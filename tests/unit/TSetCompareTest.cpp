#include "core/params/TSetCompare.h"

#include "core/app/ControllerCommands.h"
#include "core/app/TConfiguration.h"
#include "core/params/TParameterDatabase.h"

#include "EnglishText.h"
#include "MetadataDefaults.h"
#include "TSimulatorLink.h"
#include "TestInstallation.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");

// The template database, a set stored in it and the simulated controller on the manual clock.
class SetCompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_configuration->DatabaseAvailable);
        m_access = std::make_unique<TControllerAccess>(*m_configuration, m_feedback, m_clock);
        m_access->OpenSession = [this](const TCommParameter&) {
            ++m_sessions;
            return std::make_unique<TTorvexController>(std::make_unique<TSimulatorLink>(*m_controller, m_clock), 1000,
                                                       true, m_clock);
        };
    }
    TSimulatedController& Controller(Family family, int version) {
        m_controller =
            std::make_unique<TSimulatedController>(TSimulatedController::Setup{family, version, {}, kTemplates, 0});
        return *m_controller;
    }
    // A set at the metadata defaults with some values changed, made the table's current record.
    void StoreSet(Family family, const QString& name, std::map<QString, double> changes) {
        TTable& sets = m_database->SetTable(family);
        sets.Insert();
        sets.SetFieldText("Name", name);
        for (const auto& [field, value] : WithMetadataDefaults(*m_database, family, std::move(changes))) {
            sets.SetFieldFloat(field, value);
        }
        sets.Post();
        ASSERT_TRUE(sets.FindName(name));
    }
    int Address(Family family, const QString& field) {
        m_database->SetParameterFamily(family);
        TTable& metadata = m_database->TableParameterDBSettings();
        for (metadata.First(); !metadata.Eof(); metadata.Next()) {
            if (metadata.FieldAsText("FieldName") == field) {
                return static_cast<int>(metadata.FieldAsInteger("EpromAddress"));
            }
        }
        return -1;
    }
    std::optional<TSetComparison> Compare(Family family, bool psi = false) {
        return TSetCompare::AgainstController(*m_database, *m_access, family,
                                              TSetCompare::CurrentValues(*m_database, family), nullptr, psi);
    }
    static QStringList Rows(const std::vector<TParameterDifference>& list) {
        QStringList rows;
        for (const TParameterDifference& d : list) {
            rows << QStringList{d.Field, d.Caption, TParameterDifference::ValueText(d.Theirs),
                                TParameterDifference::ValueText(d.Ours), d.Unit}
                        .join('|');
        }
        return rows;
    }

    TestInstallation m_installation{QStringList{"/dev/sim"}};
    RecordingFeedback& m_feedback = m_installation.Ui;
    std::unique_ptr<TConfiguration>& m_configuration = m_installation.Configuration;
    std::unique_ptr<TParameterDatabase>& m_database = m_installation.Database;
    ManualClock m_clock;
    std::unique_ptr<TControllerAccess> m_access;
    std::unique_ptr<TSimulatedController> m_controller;
    int m_sessions = 0;
};

TEST_F(SetCompareTest, AgainstTheControllerListsWhatDiffersInAddressOrderFromOneSession) {
    Controller(Family::VfTkx, 2220);
    m_controller->SetMemory(Address(Family::VfTkx, "FastUp"), 735);
    // Changed in the set: a value the controller holds otherwise, in reverse address order.
    StoreSet(Family::VfTkx, "lift 4", {{"ValveType", 12}, {"AccelUp", 0.55}, {"FastUp", 8}});
    const auto comparison = Compare(Family::VfTkx);
    ASSERT_TRUE(comparison.has_value());
    EXPECT_EQ(Rows(comparison->Differences), (QStringList{"AccelUp|Acceleration UP|4.85|0.55|V/s",
                                                          "FastUp|Fast UP|7.35|8|V", "ValveType|Valve type|9|12|"}));
    for (std::size_t i = 1; i < comparison->Differences.size(); ++i) {
        EXPECT_LT(comparison->Differences[i - 1].Address, comparison->Differences[i].Address);
    }
    EXPECT_EQ(comparison->Compared, 70 - static_cast<int>(comparison->NotOnController.size()));
    EXPECT_EQ(comparison->SoftwareVersion, "2.220");
    EXPECT_EQ(comparison->SerialNumber.size(), 9);
    EXPECT_EQ(comparison->ControllerType, "VF-TKX");
    // One session, the dump read twice to see the line kept it whole, nothing written.
    EXPECT_EQ(m_sessions, 1);
    const QStringList log = m_controller->CommandLog();
    EXPECT_EQ(log.filter(QRegularExpression("^p$")).size(), 2);
    EXPECT_TRUE(log.filter(QRegularExpression("^E:")).isEmpty());
    EXPECT_TRUE(m_feedback.Messages.empty());
}

TEST_F(SetCompareTest, ParametersTheVersionLacksAreListedApartNeverAsDifferences) {
    struct Case {
        Family family;
        int version;
        QString field;
    } cases[] = {
        {Family::VfTkx, 2141, "AuxSpeed"}, {Family::Tkx, 2107, "EdgeDetect"}, {Family::Tkx, 2051, "FlowCalUp"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        Controller(c.family, c.version);
        StoreSet(c.family, "gated " + c.field, {});
        const auto comparison = Compare(c.family);
        ASSERT_TRUE(comparison.has_value());
        QStringList apart;
        for (const TParameterDifference& d : comparison->NotOnController) {
            apart << d.Field;
            EXPECT_FALSE(d.Theirs.has_value());
        }
        EXPECT_TRUE(apart.contains(c.field)) << apart.join(' ').toStdString();
        for (const TParameterDifference& d : comparison->Differences) {
            EXPECT_FALSE(apart.contains(d.Field)) << d.Field.toStdString();
        }
    }
}

TEST_F(SetCompareTest, ThePressureIsComparedInPsiWhereTheWindowsShowPsi) {
    Controller(Family::Tkx, 2220).SetMemory(Address(Family::Tkx, "OffsetSolUp"), 150); // 15.0 bar
    StoreSet(Family::Tkx, "psi", {});
    const auto bar = Compare(Family::Tkx, false);
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(Rows(bar->Differences), QStringList{"OffsetSolUp|Min. pressure UP|15|12|bar"});
    const auto psi = Compare(Family::Tkx, true);
    ASSERT_TRUE(psi.has_value());
    EXPECT_EQ(Rows(psi->Differences), QStringList{"OffsetSolUpInPsi|Min. pressure UP|218|174|psi"});
    EXPECT_EQ(bar->Compared, psi->Compared);
    // A set that says in psi what the controller holds in bar does not differ.
    m_controller->SetMemory(Address(Family::Tkx, "OffsetSolUp"), 120);
    EXPECT_TRUE(Compare(Family::Tkx, true)->Differences.empty());
}

TEST_F(SetCompareTest, TwoSetsAreComparedWithoutAController) {
    StoreSet(Family::Tkx, "before", {{"FastUp", 6.55}, {"OffsetSolUp", 15}, {"OffsetSolUpInPsi", 218}});
    const std::vector<TSetValue> before = TSetCompare::CurrentValues(*m_database, Family::Tkx);
    StoreSet(Family::Tkx, "after", {{"SlowUp", 0.9}});
    const std::vector<TSetValue> after = TSetCompare::CurrentValues(*m_database, Family::Tkx);
    const TSetComparison bar = TSetCompare::AgainstSet(*m_database, Family::Tkx, after, before, false);
    EXPECT_EQ(Rows(bar.Differences), (QStringList{"OffsetSolUp|Min. pressure UP|15|12|bar", "FastUp|Fast UP|6.55|8|V",
                                                  "SlowUp|Slow UP|0.8|0.9|V"}));
    EXPECT_TRUE(bar.NotOnController.empty());
    EXPECT_TRUE(bar.ControllerType.isEmpty());
    EXPECT_EQ(bar.Compared, 55);
    // An empty field differs from a value, and says so with an empty text.
    std::vector<TSetValue> emptied = after;
    for (TSetValue& value : emptied) {
        if (value.Field == "SlowUp") {
            value.Value.reset();
        }
    }
    const TSetComparison empty = TSetCompare::AgainstSet(*m_database, Family::Tkx, emptied, after, false);
    EXPECT_EQ(Rows(empty.Differences), QStringList{"SlowUp|Slow UP|0.9||V"});
    EXPECT_EQ(m_sessions, 0);
}

TEST_F(SetCompareTest, AComparisonThatCannotBeMadeSaysWhyAndGivesNothing) {
    Controller(Family::Tkx, 2220);
    StoreSet(Family::VfTkx, "other family", {});
    EXPECT_FALSE(Compare(Family::VfTkx).has_value());
    ASSERT_EQ(m_feedback.Messages.size(), 1u);
    EXPECT_EQ(m_feedback.Messages[0].Text, "Wrong controller connected: TKX");
    EXPECT_TRUE(m_controller->CommandLog().filter(QRegularExpression("^p$")).isEmpty());
}

} // namespace
