#include "core/access/TPasswordLevel.h"

#include "core/base/Language.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {
// The level passwords; the service documentation lists them (docs/service-passwords.md).
constexpr int kLevel2Password = 2461;
constexpr int kLevel3Password = 7305;
constexpr int kLevel4Password = 5819;
constexpr int kLevel5Password = 3947;
} // namespace

double TPasswordLevel::ReadNumber(const QString& entry) {
    // strtod in the C locale reads this grammar ("." is the decimal point whatever the
    // user's locale); hexadecimal, which it also knows, is cut off after its "0".
    QByteArray text = entry.toLatin1();
    const qsizetype x = text.indexOf('x') >= 0 ? text.indexOf('x') : text.indexOf('X');
    if (x > 0 && text[x - 1] == '0') {
        text.truncate(x);
    }
    static const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", nullptr);
    const char* begin = text.constData();
    char* end = nullptr;
    const double value = ::strtod_l(begin, &end, cLocale);
    if (end == begin || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

int TPasswordLevel::LevelFor(const QString& entry) {
    const double number = std::nearbyint(ReadNumber(entry)); // halves go to the even neighbour
    if (number == kLevel4Password) {
        return 4;
    }
    if (number == kLevel3Password) {
        return 3;
    }
    if (number == kLevel5Password) {
        return 5;
    }
    if (number == kLevel2Password) {
        return 2;
    }
    return 1;
}

TPasswordLevel::MenuState TPasswordLevel::MenuFor(int level) {
    switch (level) {
    case 3:
        return {true, true, true, true};
    case 4:
        return {false, false, true, false};
    case 5:
        return {false, false, true, true};
    default:
        return {};
    }
}

TPasswordLevel::Outcome TPasswordLevel::Enter(const QString& entry, const TLanguage& language) {
    Outcome outcome;
    outcome.Level = LevelFor(entry);
    outcome.Menu = MenuFor(outcome.Level);
    switch (outcome.Level) {
    case 2:
        outcome.Message = language.Text(171);
        outcome.LogText = QStringLiteral("PWD SuperUser");
        break;
    case 3:
        outcome.Message = language.Text(172);
        outcome.LogText = QStringLiteral("PWD Administrator");
        break;
    case 4:
        outcome.Message = language.Text(276) + QStringLiteral(" :  ") + language.Text(148) + QLatin1Char('\t');
        outcome.LogText = QStringLiteral("PWD FactorySettings enabled");
        outcome.LogLevel = 4;
        break;
    case 5:
        outcome.Message = language.Text(309) + QStringLiteral(" :  ") + language.Text(148) + QLatin1Char('\t');
        outcome.LogText = QStringLiteral("PWD Edit FactorySettings enabled");
        outcome.LogLevel = 5;
        break;
    default:
        outcome.Message = QStringLiteral("          Logout          ");
        outcome.LogText = QStringLiteral("PWD User");
        break;
    }
    m_level = outcome.Level >= 4 ? 1 : outcome.Level;
    return outcome;
}
