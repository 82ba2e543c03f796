#include "core/params/TableSchema.h"

namespace {

QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::vector<FieldDef> SetFields(const QStringList& parameters, bool withMemos) {
    std::vector<FieldDef> fields{
        {"Id", FieldType::Auto}, {"Name", FieldType::Text, 32}, {"Description", FieldType::Memo}};
    for (const QString& name : parameters) {
        fields.push_back({name, FieldType::Float});
    }
    if (withMemos) {
        fields.push_back({"InfoMemo", FieldType::Memo});
        fields.push_back({"ErrorMemo", FieldType::Memo});
    }
    return fields;
}

std::vector<FieldDef> LookupFields() {
    return {{"Code", FieldType::Float}, {"Text", FieldType::Text, 40}};
}

std::vector<TableDef> BuildCatalogue() {
    using T = TableDef;
    std::vector<TableDef> tables;
    tables.push_back(T{"TableITKX", "Itkx.DB", SetFields(Schema::ItkxParameterFields(), true), TableOrder::Name});
    tables.push_back(T{"TableTKX", "Tkx.DB", SetFields(Schema::TkxParameterFields(), true), TableOrder::Name});
    tables.push_back(T{"TableParameterDBSettings",
                       "ParameterDBSettings.DB",
                       {{"ControllerType", FieldType::Text, 6},
                        {"FieldName", FieldType::Text, 32},
                        {"EpromAddress", FieldType::Integer},
                        {"Factor", FieldType::Float},
                        {"Minimum", FieldType::Float},
                        {"Maximum", FieldType::Float},
                        {"Default", FieldType::Float},
                        {"PasswordLevel", FieldType::Integer}},
                       TableOrder::ControllerType});
    tables.push_back(T{"TableSIUType", "SIUType.db", LookupFields()});
    tables.push_back(T{"TableOutputRangeType", "OutputRangeType", LookupFields()});
    tables.push_back(T{"TableOnOff", "OnOff", LookupFields()});
    tables.push_back(T{"TableValveType", "ValveType.db", LookupFields()});
    const auto perLanguage = [&](const QString& base) {
        for (const char* suffix : {"DE", "EN", "FR", "IT", "SP", "PL"}) {
            const QString name = base + QLatin1Char('_') + QLatin1String(suffix);
            tables.push_back(T{QStringLiteral("Table") + name, name, LookupFields()});
        }
    };
    perLanguage("DemandRedType");
    tables.push_back(T{"TableStartDelay", "StartDelay.db", LookupFields()});
    perLanguage("CommandInput");
    perLanguage("RelayFunction");
    perLanguage("AuxSpeed");
    perLanguage("InvStatus");
    perLanguage("EdgeDetect");
    tables.push_back(T{"Fact_TableEdgeDetect_EN", "_Fact_EdgeDetect_EN", LookupFields()});
    tables.push_back(T{"Fact_TableParameterSet", "_Fact_ParameterSet",
                       SetFields(Schema::FactoryParameterFields(), false), TableOrder::Name});
    tables.push_back(T{"Fact_TableParameterDBSettings",
                       "_Fact_ParameterDBSettings.DB",
                       {{"ControllerType", FieldType::Text, 6},
                        {"FieldName", FieldType::Text, 32},
                        {"Name", FieldType::Text, 20},
                        {"EeprAddrFact", FieldType::Integer},
                        {"EeprAddrUser", FieldType::Integer},
                        {"EeprAddrCrt", FieldType::Integer}}});
    tables.push_back(T{"Fact_TableSIUType", "_Fact_SIUType.db", LookupFields()});
    tables.push_back(T{"Fact_TableOutputRangeType", "_Fact_OutputRangeType.db", LookupFields()});
    tables.push_back(T{"Fact_TableOnOff", "_Fact_OnOff", LookupFields()});
    tables.push_back(T{"Fact_TableValveType",
                       "_Fact_ValveType",
                       {{"Code", FieldType::Float},
                        {"Text", FieldType::Text, 40},
                        {"Name", FieldType::Text, 20},
                        {"Qmin", FieldType::Float},
                        {"Qmax", FieldType::Float},
                        {"QFact", FieldType::Float},
                        {"SlowFact", FieldType::Float},
                        {"PelvorCode", FieldType::Float},
                        {"Kind", FieldType::Text, 6},
                        {"Smallest", FieldType::Text, 1}}});
    tables.push_back(T{"Fact_TableDemandRedType_EN", "_Fact_DemandRedType_EN", LookupFields()});
    tables.push_back(T{"Fact_TableStartDelay", "_Fact_StartDelay.db", LookupFields()});
    tables.push_back(T{"Fact_TableCommandInput_EN", "_Fact_CommandInput_EN", LookupFields()});
    tables.push_back(T{"Fact_TableRelayFunction_EN", "_Fact_RelayFunction_EN", LookupFields()});
    tables.push_back(T{"Fact_TableAuxSpeed_EN", "_Fact_AuxSpeed_EN", LookupFields()});
    tables.push_back(T{"Fact_TableInvStatus_EN", "_Fact_InvStatus_EN", LookupFields()});
    tables.push_back(T{"Fact_TableLanguage", "_Fact_Language", LookupFields()});
    return tables;
}

} // namespace

QString TableDef::SqlName() const {
    return FileName.section(QLatin1Char('.'), 0, 0);
}

QString TableDef::DiskName() const {
    return FileName.contains(QLatin1Char('.')) ? FileName : FileName + QStringLiteral(".db");
}

QString TableDef::CreateStatement() const {
    QStringList columns;
    for (const FieldDef& field : Fields) {
        QString type;
        switch (field.Type) {
        case FieldType::Auto:
            type = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            break;
        case FieldType::Text:
        case FieldType::Memo:
            type = QStringLiteral("TEXT");
            break;
        case FieldType::Integer:
            type = QStringLiteral("INTEGER");
            break;
        case FieldType::Float:
            type = QStringLiteral("REAL");
            break;
        }
        columns << QStringLiteral("\"%1\" %2").arg(field.Name, type);
    }
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(SqlName(), columns.join(QStringLiteral(", ")));
}

const FieldDef* TableDef::Field(const QString& name) const {
    for (const FieldDef& field : Fields) {
        if (field.Name.compare(name, Qt::CaseInsensitive) == 0) {
            return &field;
        }
    }
    return nullptr;
}

const std::vector<TableDef>& Schema::Catalogue() {
    static const std::vector<TableDef> catalogue = BuildCatalogue();
    return catalogue;
}

const TableDef* Schema::FindTable(const QString& objectName) {
    for (const TableDef& table : Catalogue()) {
        if (table.ObjectName == objectName) {
            return &table;
        }
    }
    return nullptr;
}

const QStringList& Schema::TkxParameterFields() {
    static const QStringList fields = Words(
        "StartSpeedUp OffsetSolUp AccelUp FastUp DecelUp SlowUp SoftStopUp RelevelUp PSettingSolUpS ISettingSolUpS "
        "DSettingSolUp PSettingSolUpD ISettingSolUpD FlowCalUp StartSpeedDn OffsetSolDn AccelDn FastDn DecelDn SlowDn "
        "SoftStopDn RelevelDn PSettingSolDnS ISettingSolDnS DSettingSolDn PSettingSolDnD ISettingSolDnD FlowCalDn "
        "ValveType SIUType SIUDiff1 SIUDiff4 InspectionAccel InspectionSpeed InspectionDecel K6Accel K6Speed K6Decel "
        "K7Accel K7Speed K7Decel K8Accel K8Speed K8Decel EmergDecel PulsSol DemandRedType StartDelay RelayFunction "
        "CommandInput AuxCurve HWZero FBFactor PSFactor OffsetSolUpInPsi EdgeDetect");
    return fields;
}

const QStringList& Schema::ItkxParameterFields() {
    static const QStringList fields = Words(
        "StartSpeedUp OffsetInvUp AccelUp FastUp DecelUp SlowUp SoftStopUp RelevelUp PSettingInvUpS ISettingInvUpS "
        "DSettingInvUp PSettingInvUpD ISettingInvUpD FlowCalUp NOpenValve StartSpeedDn OffsetSolDn OffsetInvDn AccelDn "
        "CrossOverSolInv CrossOverTime FastDn DecelDn DecelOffSol SlowDn SoftStopDn RelevelDn TKXOpDn PSettingSolDnS "
        "ISettingSolDnS DSettingSolDn PSettingSolDnD ISettingSolDnD PSettingInvDnS ISettingInvDnS DSettingInvDn "
        "PSettingInvDnD ISettingInvDnD FlowCalDn ValveType SIUType SIUDiff1 SIUDiff4 InspectionAccel InspectionSpeed "
        "InspectionDecel K6Accel K6Speed K6Decel K7Accel K7Speed K7Decel K8Accel K8Speed K8Decel EmergDecel PulsSol "
        "DemandRedType InvDemand FUError StartDelay RelayFunction CommandInput AuxCurve AuxSpeed HWZero FBFactor "
        "PSFactor IFactor UFactor");
    return fields;
}

const QStringList& Schema::FactoryParameterFields() {
    static const QStringList fields = Words(
        "OffsetSolUp AccelUp FastUp DecelUp SlowUp FlowCalUp StartSpeedDn OffsetSolDn AccelDn FastDn DecelDn SlowDn "
        "FlowCalDn ValveType SIUType InspectionAccel InspectionSpeed InspectionDecel K6Accel K6Speed K6Decel K7Accel "
        "K7Speed K7Decel K8Accel K8Speed K8Decel TKXOpDn DemandRedType StartDelay RelayFunction CommandInput InvDemand "
        "FUError AuxSpeed Language CheckNo1 CheckNo2 FlowFastUp FlowFastDn OffsetSolUpInPsi FlowFastUpInGal "
        "FlowFastDnInGal EdgeDetect");
    return fields;
}

QString Schema::LanguageSuffix(int languageIndex) {
    switch (languageIndex) {
    case 1:
        return QStringLiteral("DE");
    case 3:
        return QStringLiteral("FR");
    case 4:
        return QStringLiteral("IT");
    case 5:
        return QStringLiteral("SP");
    case 6:
        return QStringLiteral("PL");
    default:
        return QStringLiteral("EN");
    }
}
