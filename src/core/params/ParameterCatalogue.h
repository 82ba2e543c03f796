#pragma once

#include <QString>

// What the program knows of each parameter field: its caption and direction
// records, its unit, which set tables carry it and which lookup list codes it.
struct ParameterInfo {
    const char* Field;
    int CaptionRecord; // 0: the fixed caption below, never translated
    const char* FixedCaption;
    int DirectionRecord;  // #114 "UP", #115 "DOWN", 0: none
    const char* Unit;     // empty: none
    const char* Families; // "T" TKX, "I" VF-TKX, "F" factory set
    const char* List;     // lookup table of a coded field, "xx" = per language
};

namespace ParameterCatalogue {
const ParameterInfo* Find(const QString& fieldName);
// Caption, a blank and the direction: the parameter's long label in a language.
QString Label(const ParameterInfo& info, int languageIndex);
// A name the controller reports with its information values, shown translated.
QString InformationCaption(const QString& controllerName, int languageIndex);
inline QString NotFound() {
    return QStringLiteral("Not found");
}
} // namespace ParameterCatalogue

// Mode 0: the long label of a field (or the translated information name);
// mode 1: its unit. Anything else gives "Not found". Names match exactly.
QString ParameterCaption(const QString& fieldName, int mode, int languageIndex);

// Every conversion between controller and display values lives here.
namespace Conversion {
constexpr double kPsiPerBar = 14.504;
double ToDisplay(double controllerValue, double factor);
qint64 ToController(double displayValue, double factor);
double BarToPsi(double bar);
double PsiToBar(double psi);
} // namespace Conversion
