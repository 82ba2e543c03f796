#include "core/params/ParameterCatalogue.h"

#include "core/base/Language.h"

#include <cmath>

namespace {

// Field, caption record (0: fixed caption), fixed caption, direction record (0: none),
// unit, set tables carrying it (T TKX, I VF-TKX, F factory), lookup list.
const ParameterInfo kCatalogue[] = {
    {"StartSpeedUp", 34, "", 114, "V", "TI", ""},
    {"AccelUp", 36, "", 114, "V/s", "TIF", ""},
    {"FastUp", 37, "", 114, "V", "TIF", ""},
    {"DecelUp", 38, "", 114, "V/s", "TIF", ""},
    {"SlowUp", 39, "", 114, "V", "TIF", ""},
    {"SoftStopUp", 40, "", 114, "V/s", "TI", ""},
    {"RelevelUp", 41, "", 114, "V", "TI", ""},
    {"OffsetSolUp", 76, "", 114, "bar", "TF", ""},
    {"OffsetSolUpInPsi", 76, "", 114, "psi", "TF", ""},
    {"PSettingSolUpS", 52, "", 114, "", "T", ""},
    {"ISettingSolUpS", 53, "", 114, "ms", "T", ""},
    {"DSettingSolUp", 54, "", 114, "ms", "T", ""},
    {"PSettingSolUpD", 55, "", 114, "", "T", ""},
    {"ISettingSolUpD", 56, "", 114, "ms", "T", ""},
    {"FlowCalUp", 253, "", 114, "", "TIF", ""},
    {"StartSpeedDn", 34, "", 115, "V", "TIF", ""},
    {"AccelDn", 36, "", 115, "V/s", "TIF", ""},
    {"FastDn", 37, "", 115, "V", "TIF", ""},
    {"DecelDn", 38, "", 115, "V/s", "TIF", ""},
    {"SlowDn", 39, "", 115, "V", "TIF", ""},
    {"SoftStopDn", 40, "", 115, "V/s", "TI", ""},
    {"RelevelDn", 41, "", 115, "V", "TI", ""},
    {"OffsetSolDn", 47, "", 115, "V", "TIF", ""},
    {"PSettingSolDnS", 52, "", 115, "", "TI", ""},
    {"ISettingSolDnS", 53, "", 115, "ms", "TI", ""},
    {"DSettingSolDn", 54, "", 115, "ms", "TI", ""},
    {"PSettingSolDnD", 55, "", 115, "", "TI", ""},
    {"ISettingSolDnD", 56, "", 115, "ms", "TI", ""},
    {"FlowCalDn", 253, "", 115, "", "TIF", ""},
    {"OffsetInvUp", 35, "", 114, "%", "I", ""},
    {"PSettingInvUpS", 42, "", 114, "", "I", ""},
    {"ISettingInvUpS", 43, "", 114, "ms", "I", ""},
    {"DSettingInvUp", 44, "", 114, "ms", "I", ""},
    {"PSettingInvUpD", 45, "", 114, "", "I", ""},
    {"ISettingInvUpD", 46, "", 114, "ms", "I", ""},
    {"NOpenValve", 259, "", 114, "", "I", ""},
    {"OffsetInvDn", 35, "", 115, "%", "I", ""},
    {"PSettingInvDnS", 42, "", 115, "", "I", ""},
    {"ISettingInvDnS", 43, "", 115, "ms", "I", ""},
    {"DSettingInvDn", 44, "", 115, "ms", "I", ""},
    {"PSettingInvDnD", 45, "", 115, "", "I", ""},
    {"ISettingInvDnD", 46, "", 115, "ms", "I", ""},
    {"CrossOverSolInv", 48, "", 0, "V", "I", ""},
    {"CrossOverTime", 49, "", 0, "s", "I", ""},
    {"DecelOffSol", 50, "", 0, "V", "I", ""},
    {"TKXOpDn", 51, "", 0, "", "IF", "OnOff"},
    {"ValveType", 57, "", 0, "", "TIF", "ValveType.db"},
    {"SIUType", 58, "", 0, "", "TIF", "SIUType.db"},
    {"SIUDiff1", 59, "", 0, "%", "TI", ""},
    {"SIUDiff4", 60, "", 0, "V", "TI", ""},
    {"InspectionAccel", 271, "", 0, "V/s", "TIF", ""},
    {"InspectionSpeed", 61, "", 0, "%", "TIF", ""},
    {"InspectionDecel", 62, "", 0, "V/s", "TIF", ""},
    {"K6Accel", 272, "", 0, "V/s", "TIF", ""},
    {"K6Speed", 63, "", 0, "%", "TIF", ""},
    {"K6Decel", 64, "", 0, "V/s", "TIF", ""},
    {"K7Accel", 273, "", 0, "V/s", "TIF", ""},
    {"K7Speed", 65, "", 0, "%", "TIF", ""},
    {"K7Decel", 66, "", 0, "V/s", "TIF", ""},
    {"K8Accel", 274, "", 0, "V/s", "TIF", ""},
    {"K8Speed", 67, "", 0, "%", "TIF", ""},
    {"K8Decel", 68, "", 0, "V/s", "TIF", ""},
    {"EmergDecel", 69, "", 0, "V/s", "TI", ""},
    {"PulsSol", 70, "", 0, "Hz", "TI", ""},
    {"DemandRedType", 263, "", 0, "", "TIF", "DemandRedType_xx"},
    {"StartDelay", 267, "", 0, "", "TIF", "StartDelay.db"},
    {"RelayFunction", 268, "", 0, "", "TIF", "RelayFunction_xx"},
    {"CommandInput", 269, "", 0, "", "TIF", "CommandInput_xx"},
    {"AuxCurve", 270, "", 0, "", "TI", ""},
    {"EdgeDetect", 325, "", 0, "", "TF", "EdgeDetect_xx"},
    {"InvDemand", 71, "", 0, "", "IF", "OutputRangeType"},
    {"FUError", 72, "", 0, "", "IF", "InvStatus_xx"},
    {"AuxSpeed", 289, "", 0, "", "IF", "AuxSpeed_xx"},
    {"HWZero", 0, "HW Zero", 0, "", "TI", ""},
    {"FBFactor", 0, "FB Factor", 0, "", "TI", ""},
    {"PSFactor", 0, "PS Factor", 0, "", "TI", ""},
    {"IFactor", 0, "I Factor", 0, "", "I", ""},
    {"UFactor", 0, "U Factor", 0, "", "I", ""},
};

struct InformationName {
    const char* name;
    int record;
};

const InformationName kInformationNames[] = {
    {"Software version", 236}, {"Hardware version", 237}, {"Serial number", 238}, {"Check number", 239},
    {"Power on", 240},         {"Drive up", 241},         {"Drive down", 242},    {"Operation hour", 243},
    {"+ unstab voltage", 244}, {"- unstab voltage", 245},
};

} // namespace

const ParameterInfo* ParameterCatalogue::Find(const QString& fieldName) {
    for (const ParameterInfo& info : kCatalogue) {
        if (fieldName == QLatin1String(info.Field)) {
            return &info;
        }
    }
    return nullptr;
}

QString ParameterCatalogue::Label(const ParameterInfo& info, int languageIndex) {
    QString label =
        info.CaptionRecord != 0 ? Text(info.CaptionRecord, languageIndex) : QString::fromLatin1(info.FixedCaption);
    if (info.DirectionRecord != 0) {
        label += QLatin1Char(' ') + Text(info.DirectionRecord, languageIndex);
    }
    return label;
}

QString ParameterCatalogue::InformationCaption(const QString& controllerName, int languageIndex) {
    for (const InformationName& entry : kInformationNames) {
        if (controllerName == QLatin1String(entry.name)) {
            return Text(entry.record, languageIndex);
        }
    }
    return NotFound();
}

QString ParameterCaption(const QString& fieldName, int mode, int languageIndex) {
    if (const ParameterInfo* info = ParameterCatalogue::Find(fieldName)) {
        return mode == 0 ? ParameterCatalogue::Label(*info, languageIndex) : QString::fromUtf8(info->Unit);
    }
    // The controller's information names come out translated in both modes.
    return ParameterCatalogue::InformationCaption(fieldName, languageIndex);
}

double Conversion::ToDisplay(double controllerValue, double factor) {
    return controllerValue / factor;
}

qint64 Conversion::ToController(double displayValue, double factor) {
    // Nearest integer with halves to the even neighbour: the default rounding mode.
    return static_cast<qint64>(std::nearbyint(displayValue * factor));
}

double Conversion::BarToPsi(double bar) {
    return std::trunc(bar * kPsiPerBar + 0.5);
}

double Conversion::PsiToBar(double psi) {
    return std::trunc((psi / kPsiPerBar + 0.05) * 10.0) / 10.0;
}
