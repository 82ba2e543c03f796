#include "core/app/TSettingFields.h"

#include <algorithm>

void TSettingKey::Read(const IniFile& file, TSettingFields& fields) const {
    if (Text != nullptr) {
        fields.*Text = file.ReadString(Section, Key, Default);
    } else if (Flag != nullptr) {
        fields.*Flag = file.ReadBool(Section, Key, Default == QLatin1String("1"));
    }
}

bool TSettingKey::Write(IniFile& file, const TSettingFields& fields) const {
    if (Text != nullptr) {
        return file.WriteString(Section, Key, fields.*Text);
    }
    return Flag == nullptr || file.WriteBool(Section, Key, fields.*Flag);
}

double TSettingKey::Value(const QString& text, bool* clamped) const {
    double value = 0;
    bool ok = false;
    if (Decimal) {
        // "." as typed; a "," from another locale means the same.
        value = QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    } else {
        int integer = 0;
        ok = IniFile::ParseInteger(text, integer);
        value = integer;
    }
    if (!ok) {
        value = Default.toDouble();
    }
    const double limited = IsNumber() ? std::clamp(value, double(Minimum), double(Maximum)) : value;
    if (clamped != nullptr) {
        *clamped = limited != value;
    }
    return limited;
}

namespace SettingKeys {
namespace F = ConfigKey;
const TSettingKey WorkFile{F::General, F::WorkFile, &TSettingFields::TempFileName, nullptr,
                           QStringLiteral("DataFile.dat")};
const TSettingKey PicturesPerFile{
    F::General, F::PicturesPerFile, &TSettingFields::PicturesPerFile, nullptr, QStringLiteral("200"), 0, 1000};
const TSettingKey NbPicturesPerFile{
    F::General, F::NbPicturesPerFile, &TSettingFields::PicturesPerFile, nullptr, QStringLiteral("200"), 0, 1000};
const TSettingKey LengthOfPicture{
    F::General, F::LengthOfPicture, &TSettingFields::LengthOfPicture, nullptr, QStringLiteral("30"), 0, 1000};
const TSettingKey DrawSpeed{F::General, F::DrawSpeed, &TSettingFields::DrawSpeed, nullptr, QStringLiteral("15"),
                            0,          1000};
const TSettingKey CurveMaxV{F::General, F::CurveMaxV, &TSettingFields::CurveMaxV, nullptr, QStringLiteral("12"), -100,
                            1000,       true};
const TSettingKey CurveMinV{F::General, F::CurveMinV, &TSettingFields::CurveMinV, nullptr, QStringLiteral("-1"), -100,
                            1000,       true};
const TSettingKey SaveAutoEnabled{F::General, F::SaveAutoEnabled, nullptr, &TSettingFields::SaveAuto,
                                  QStringLiteral("1")};
const TSettingKey EEpromWrite{
    F::Delays, F::EEpromWrite, &TSettingFields::EEpromWrite, nullptr, QStringLiteral("100"), 0, 1000};
const TSettingKey ParameterRead{
    F::Delays, F::ParameterRead, &TSettingFields::ParameterRead, nullptr, QStringLiteral("1000"), 0, 32000};
const TSettingKey GapForNewPage{
    F::Delays, F::GapForNewPage, &TSettingFields::GapForNewPage, nullptr, QStringLiteral("300"), 0, 32000};
const TSettingKey PauseSending{F::General, F::PauseSending, nullptr, &TSettingFields::PauseSending,
                               QStringLiteral("1")};

const std::vector<const TSettingKey*>& GeneralPage() {
    static const std::vector<const TSettingKey*> keys{&NbPicturesPerFile, &LengthOfPicture, &DrawSpeed,
                                                      &CurveMaxV,         &CurveMinV,       &SaveAutoEnabled};
    return keys;
}

const std::vector<const TSettingKey*>& DelaysPage() {
    static const std::vector<const TSettingKey*> keys{&EEpromWrite, &ParameterRead, &GapForNewPage, &PauseSending};
    return keys;
}

const std::vector<const TSettingKey*>& Startup() {
    static const std::vector<const TSettingKey*> keys{&WorkFile,      &PicturesPerFile, &LengthOfPicture, &DrawSpeed,
                                                      &CurveMaxV,     &CurveMinV,       &SaveAutoEnabled, &EEpromWrite,
                                                      &ParameterRead, &GapForNewPage};
    return keys;
}
} // namespace SettingKeys
