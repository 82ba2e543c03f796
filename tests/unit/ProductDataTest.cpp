// The delivered template database: every rule the program relies on holds for its rows.
#include "core/base/Language.h"
#include "core/params/ParameterCatalogue.h"
#include "core/params/TTable.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

const QString kTemplates = QStringLiteral(TORVEX_BIN_DIR "/DataBase");

struct MetaRow {
    QString Field;
    qint64 Address;
    double Factor, Minimum, Maximum, Default;
    qint64 Level;
};

std::vector<MetaRow> Metadata(const QString& family) {
    TTable table(*Schema::FindTable("TableParameterDBSettings"));
    table.Open(kTemplates);
    table.SetRange(family, family);
    std::vector<MetaRow> rows;
    for (table.First(); !table.Eof(); table.Next()) {
        rows.push_back({table.FieldAsText("FieldName"), table.FieldAsInteger("EpromAddress"),
                        table.FieldAsFloat("Factor"), table.FieldAsFloat("Minimum"), table.FieldAsFloat("Maximum"),
                        table.FieldAsFloat("Default"), table.FieldAsInteger("PasswordLevel")});
    }
    return rows;
}

std::map<int, QString> Lookup(const QString& objectName) {
    TTable table(*Schema::FindTable(objectName));
    table.Open(kTemplates);
    std::map<int, QString> codes;
    for (table.First(); !table.Eof(); table.Next()) {
        codes[static_cast<int>(table.FieldAsInteger("Code"))] = table.FieldAsText("Text");
    }
    return codes;
}

const std::map<QString, QString> kListOf{{"ValveType", "TableValveType"},
                                         {"SIUType", "TableSIUType"},
                                         {"StartDelay", "TableStartDelay"},
                                         {"TKXOpDn", "TableOnOff"},
                                         {"InvDemand", "TableOutputRangeType"},
                                         {"DemandRedType", "TableDemandRedType_EN"},
                                         {"RelayFunction", "TableRelayFunction_EN"},
                                         {"CommandInput", "TableCommandInput_EN"},
                                         {"EdgeDetect", "TableEdgeDetect_EN"},
                                         {"FUError", "TableInvStatus_EN"},
                                         {"AuxSpeed", "TableAuxSpeed_EN"}};

bool IsControlLoopGain(const QString& field) {
    return field.startsWith("PSetting") || field.startsWith("ISetting") || field.startsWith("DSetting");
}

class FamilyData : public ::testing::TestWithParam<const char*> {};

TEST_P(FamilyData, MetadataRowsKeepTheRules) {
    const QString family = GetParam();
    const QStringList fields = family == "TKX" ? Schema::TkxParameterFields() : Schema::ItkxParameterFields();
    const std::vector<MetaRow> rows = Metadata(family);
    ASSERT_EQ(static_cast<int>(rows.size()), fields.size());

    std::set<QString> seenFields;
    std::set<qint64> seenAddresses;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MetaRow& row = rows[i];
        const std::string where = (family + " " + row.Field).toStdString();
        EXPECT_TRUE(fields.contains(row.Field)) << where;
        EXPECT_TRUE(seenFields.insert(row.Field).second) << where << " twice";
        EXPECT_TRUE(row.Factor == 1 || row.Factor == 10 || row.Factor == 100) << where;
        EXPECT_LE(0, row.Minimum) << where;
        EXPECT_LE(row.Minimum, row.Default) << where;
        EXPECT_LE(row.Default, row.Maximum) << where;
        EXPECT_TRUE(row.Address >= 0 && row.Address <= 110 && row.Address != 104) << where;
        if (row.Field == "OffsetSolUpInPsi") {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(rows[i - 1].Field, "OffsetSolUp");
            EXPECT_EQ(row.Address, rows[i - 1].Address);
            EXPECT_DOUBLE_EQ(row.Default, Conversion::BarToPsi(rows[i - 1].Default));
        } else {
            EXPECT_TRUE(seenAddresses.insert(row.Address).second) << where << " shares its address";
        }
        const bool calibration =
            QStringList{"HWZero", "FBFactor", "PSFactor", "IFactor", "UFactor"}.contains(row.Field);
        if (calibration) {
            EXPECT_EQ(row.Level, 3) << where;
        } else if (IsControlLoopGain(row.Field)) {
            EXPECT_EQ(row.Level, 2) << where;
        } else {
            EXPECT_TRUE(row.Level == 1 || row.Level == 2) << where;
        }
        // A coded field's range is exactly the codes its list offers.
        if (kListOf.count(row.Field)) {
            const auto codes = Lookup(kListOf.at(row.Field));
            ASSERT_FALSE(codes.empty()) << where;
            EXPECT_EQ(row.Factor, 1) << where;
            EXPECT_DOUBLE_EQ(row.Minimum, codes.begin()->first) << where;
            EXPECT_DOUBLE_EQ(row.Maximum, codes.rbegin()->first) << where;
            EXPECT_TRUE(codes.count(static_cast<int>(row.Default))) << where;
        }
    }

    // The values substituted for old controller software are valid settings.
    const std::map<QString, std::vector<double>> substitutes{
        {"FlowCalUp", {1}},    {"FlowCalDn", {1}}, {"DemandRedType", {3}}, {"StartDelay", {1, 4}},
        {"CommandInput", {1}}, {"AuxCurve", {0}},  {"RelayFunction", {1}}, {"InspectionAccel", {2}},
        {"K6Accel", {0.8}},    {"K7Accel", {1.2}}, {"K8Accel", {1.6}},     {"NOpenValve", {15}},
        {"AuxSpeed", {1}},     {"FUError", {3}},   {"EdgeDetect", {2}}};
    for (const MetaRow& row : rows) {
        const auto it = substitutes.find(row.Field);
        for (double value : it == substitutes.end() ? std::vector<double>{} : it->second) {
            EXPECT_TRUE(row.Minimum <= value && value <= row.Maximum) << row.Field.toStdString() << " " << value;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ProductData, FamilyData, ::testing::Values("TKX", "ITKX"));

TEST(ProductData, LookupTablesHoldTheCodesWithAMeaning) {
    const auto valves = Lookup("TableValveType");
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}) {
        EXPECT_TRUE(valves.count(code)) << "valve type " << code;
    }
    const auto siu = Lookup("TableSIUType");
    for (int code : {2, 4, 6}) {
        EXPECT_TRUE(siu.count(code)) << "SIU type " << code;
    }
    EXPECT_TRUE(Lookup("TableCommandInput_EN").count(4));
    const auto delays = Lookup("TableStartDelay");
    EXPECT_TRUE(delays.count(1) && delays.count(4));

    const std::pair<const char*, int> languages[] = {{"DE", 1}, {"EN", 2}, {"FR", 3}, {"IT", 4}, {"SP", 5}, {"PL", 6}};
    for (const char* base : {"DemandRedType", "CommandInput", "RelayFunction", "EdgeDetect", "InvStatus", "AuxSpeed"}) {
        const auto english = Lookup(QString("Table%1_EN").arg(base));
        for (const auto& [suffix, index] : languages) {
            const auto variant = Lookup(QString("Table%1_%2").arg(base, suffix));
            ASSERT_EQ(variant.size(), english.size()) << base << "_" << suffix;
            for (const auto& [code, text] : variant) {
                EXPECT_TRUE(english.count(code)) << base << "_" << suffix << " code " << code;
                EXPECT_FALSE(text.isEmpty()) << base << "_" << suffix << " code " << code;
                EXPECT_FALSE(text.contains('?')) << base << "_" << suffix << " code " << code;
            }
            if (QString(base) == "RelayFunction") {
                EXPECT_EQ(variant.at(4), Text(321, index)) << suffix;
            }
        }
        const auto factory = Lookup(QString("Fact_Table%1_EN").arg(base));
        EXPECT_EQ(factory, english) << base;
    }
    for (const char* base : {"SIUType", "StartDelay", "OnOff", "OutputRangeType"}) {
        EXPECT_EQ(Lookup(QString("Fact_Table%1").arg(base)), Lookup(QString("Table%1").arg(base))) << base;
    }
}

TEST(ProductData, FactoryValveTypesAreInCodeOrderAndConsistent) {
    TTable table(*Schema::FindTable("Fact_TableValveType"));
    table.Open(kTemplates);
    const auto valves = Lookup("TableValveType");
    int expected = 1;
    std::map<QString, int> smallest;
    for (table.First(); !table.Eof(); table.Next(), ++expected) {
        const int code = static_cast<int>(table.FieldAsInteger("Code"));
        const std::string where = "valve " + std::to_string(code);
        EXPECT_EQ(code, expected) << where;
        EXPECT_EQ(table.FieldAsText("Text"), valves.count(code) ? valves.at(code) : QString()) << where;
        const bool vf = code == 9 || code == 10 || code == 17 || code == 18;
        EXPECT_EQ(table.FieldAsText("Kind"), vf ? "VF-TKX" : "TKX") << where;
        const double qmin = table.FieldAsFloat("Qmin");
        const double qmax = table.FieldAsFloat("Qmax");
        EXPECT_TRUE(15 <= qmin && qmin < qmax && qmax <= 1000) << where;
        const double volts = qmax / table.FieldAsFloat("QFact");
        EXPECT_TRUE(volts > 5 && volts <= 10) << where;
        EXPECT_TRUE(table.FieldAsText("Smallest") == "Y" || table.FieldAsText("Smallest") == "N") << where;
        smallest[table.FieldAsText("Kind")] += table.FieldAsText("Smallest") == "Y";
        EXPECT_FALSE(table.FieldAsText("Name").isEmpty()) << where;
    }
    EXPECT_EQ(expected, 19);
    EXPECT_GE(smallest["TKX"], 1);
    EXPECT_GE(smallest["VF-TKX"], 1);
}

TEST(ProductData, FactoryMetadataCoversEveryResultWithWorkingAddresses) {
    const QStringList results{"CheckNo1",   "CheckNo2",        "ValveType",  "OpModeDn",  "SIUType",   "Language",
                              "CmdInput",   "AccelUp",         "AccelDn",    "FastUp",    "FastDn",    "DecelUp",
                              "DecelDn",    "SlowUp",          "SlowDn",     "K6Speed",   "K7Speed",   "K8Speed",
                              "AuxSpeed",   "OffsetSolUp",     "StartDelay", "FlowCalUp", "FlowCalDn", "RelayFunction",
                              "EdgeDetect", "OffsetSolUpInPsi"};
    std::map<QString, qint64> tkxAddress;
    for (const MetaRow& row : Metadata("TKX")) {
        tkxAddress[row.Field] = row.Address;
    }
    std::map<QString, qint64> itkxAddress;
    for (const MetaRow& row : Metadata("ITKX")) {
        itkxAddress[row.Field] = row.Address;
    }
    const std::map<QString, QString> metadataName{{"OpModeDn", "TKXOpDn"}, {"CmdInput", "CommandInput"}};

    TTable table(*Schema::FindTable("Fact_TableParameterDBSettings"));
    table.Open(kTemplates);
    QStringList seen;
    for (table.First(); !table.Eof(); table.Next()) {
        const QString field = table.FieldAsText("FieldName");
        const QString type = table.FieldAsText("ControllerType");
        const QString name = table.FieldAsText("Name");
        const std::string where = field.toStdString();
        seen << field;
        EXPECT_TRUE(type == "All" || type == "TKX" || type == "VF-TKX") << where;
        EXPECT_EQ(name, name.toUpper()) << where;
        EXPECT_LE(name.size(), 20) << where;
        const qint64 crt = table.FieldAsInteger("EeprAddrCrt");
        EXPECT_GT(crt, 0) << where;
        EXPECT_GT(table.FieldAsInteger("EeprAddrUser"), 0) << where;
        EXPECT_GT(table.FieldAsInteger("EeprAddrFact"), 0) << where;
        const QString metaField = metadataName.count(field) ? metadataName.at(field) : field;
        const auto& addresses = type == "VF-TKX" ? itkxAddress : tkxAddress;
        if (addresses.count(metaField)) {
            EXPECT_EQ(crt, addresses.at(metaField)) << where;
        }
    }
    EXPECT_EQ(QSet<QString>(seen.begin(), seen.end()), QSet<QString>(results.begin(), results.end()));
    EXPECT_EQ(seen.size(), results.size());
}

TEST(ProductData, TheDefaultFactorySetExists) {
    TTable table(*Schema::FindTable("Fact_TableParameterSet"));
    table.Open(kTemplates);
    ASSERT_EQ(table.RecordCount(), 1);
    table.First();
    EXPECT_GE(table.FieldAsFloat("ValveType"), 1);
    EXPECT_DOUBLE_EQ(table.FieldAsFloat("OffsetSolUpInPsi"), Conversion::BarToPsi(table.FieldAsFloat("OffsetSolUp")));
}

TEST(ProductData, SetTablesStartEmptyWithTheirFieldsInOrder) {
    for (const char* name : {"TableTKX", "TableITKX"}) {
        TTable table(*Schema::FindTable(name));
        table.Open(kTemplates);
        EXPECT_TRUE(table.IsEmpty()) << name;
        const QStringList parameters =
            QString(name) == "TableTKX" ? Schema::TkxParameterFields() : Schema::ItkxParameterFields();
        EXPECT_EQ(table.FieldNames(),
                  QStringList({"Id", "Name", "Description"}) + parameters + QStringList({"InfoMemo", "ErrorMemo"}));
    }
    EXPECT_EQ(Schema::TkxParameterFields().size(), 56);
    EXPECT_EQ(Schema::ItkxParameterFields().size(), 70);
}

} // namespace
