#include "core/params/TSetPrintout.h"

#include "core/base/Language.h"
#include "core/base/LocaleText.h"
#include "core/params/ParameterCatalogue.h"
#include "core/params/TTable.h"

#include <QLocale>

#include <array>
#include <utility>
#include <vector>

namespace {

struct Slot {
    QString Label;
    QString Value;
    QString Unit;
};

// Both families' metadata rows live in one table; only the family's own count.
QString FamilyTypeName(Family family) {
    return family == Family::VfTkx ? QStringLiteral("ITKX") : QStringLiteral("TKX");
}

// Full-width characters take about two columns of the print font.
int CharWidth(QChar c) {
    const char16_t u = c.unicode();
    const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) ||
                      (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                      (u >= 0xFFE0 && u <= 0xFFE6) || c.isSurrogate();
    return wide ? 2 : 1;
}

bool IsLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// A line that has reached its length waits this much longer for a blank before it is cut.
constexpr int kBlankLookAhead = 20;

bool BlankWithin(const QString& text, qsizetype from, int budget) {
    for (qsizetype i = from; i < text.size() && budget > 0; ++i) {
        if (text[i] == QLatin1Char(' ') || IsLineEnd(text[i])) {
            return true;
        }
        budget -= CharWidth(text[i]);
    }
    return false;
}

// Memo text in printed lines: a carriage return (with its line feed) or a lone line
// feed ends a line; the last line needs no line end. Each call of onLine gets the
// collected text and whether a line end followed it.
template <typename Character, typename Line> void WalkMemo(const QString& text, Character onCharacter, Line onLine) {
    QString collected;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsLineEnd(c)) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            onLine(std::exchange(collected, QString()), true);
            continue;
        }
        onCharacter(text, i, collected);
    }
    if (!collected.isEmpty()) {
        onLine(collected, false);
    }
}

bool NameOneColumnFurther(int languageIndex) {
    return languageIndex >= 3 && languageIndex <= 7;
}

} // namespace

TPrintSettings TPrintSettings::ForLocale(int languageIndex, int storedLanguageValue, const QDateTime& now) {
    TPrintSettings settings;
    settings.LanguageIndex = languageIndex;
    settings.StoredLanguageValue = storedLanguageValue;
    const QString point = QLocale::system().decimalPoint();
    settings.DecimalPoint = point.isEmpty() ? QLatin1Char('.') : point.front();
    settings.PrintedAt = LocaleDateTimeText(now);
    return settings;
}

TPrintLines::TPrintLines(TPageDocument& document, const TPageGeometry& geometry, QString footer)
    : m_document(document), m_geometry(geometry), m_footer(std::move(footer)) {
    if (m_document.Pages.empty()) {
        m_document.Pages.emplace_back();
    }
}

void TPrintLines::Advance(int lines) {
    m_line += lines;
    if (m_line < TSetPrintout::LinesPerPage) {
        return;
    }
    Footer();
    m_document.Pages.emplace_back();
    m_line = 2;
}

void TPrintLines::Print(int x, const QString& text) {
    if (!text.isEmpty()) {
        Page().Texts.push_back({x, m_geometry.LineY(m_line), text});
    }
}

void TPrintLines::Finish() {
    Footer();
}

void TPrintLines::Footer() {
    const TPageGeometry& g = m_geometry;
    Page().Lines.push_back({g.X0, g.H - 3 * g.R, g.Right(), g.H - 3 * g.R});
    Page().Texts.push_back({g.X0, g.H - 2 * g.R, m_footer});
}

namespace TSetPrintout {

QString HeaderLine1(int languageIndex) {
    return Text(213, languageIndex) + QStringLiteral("   ") + Text(215, languageIndex);
}

QString HeaderLine2(int languageIndex) {
    return Text(216, languageIndex) + QStringLiteral("   ") + Text(217, languageIndex);
}

QString FooterText(int languageIndex, const QString& printedAt) {
    return Text(219, languageIndex) + QStringLiteral("   ") + Text(218, languageIndex) + QStringLiteral("         ") +
           Text(206, languageIndex) + printedAt;
}

TPrintSet ReadCurrentSet(TTable& metadata, TTable& sets, Family family, const std::function<void(int)>& progress) {
    TPrintSet set;
    set.Family = family;
    set.Name = sets.FieldAsText(QStringLiteral("Name"));
    set.Description = sets.FieldAsText(QStringLiteral("Description"));
    set.InfoMemo = sets.FieldAsText(QStringLiteral("InfoMemo"));
    set.ErrorMemo = sets.FieldAsText(QStringLiteral("ErrorMemo"));
    const QString type = FamilyTypeName(family);
    const double step = family == Family::VfTkx ? 20.0 / 13.0 : 1.25;
    double position = 5;
    if (progress) {
        progress(5);
    }
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        if (metadata.FieldAsText(QStringLiteral("ControllerType")) != type) {
            continue;
        }
        position += step;
        if (progress) {
            progress(static_cast<int>(position));
        }
        TPrintParameter parameter;
        parameter.Field = metadata.FieldAsText(QStringLiteral("FieldName"));
        parameter.Address = static_cast<int>(metadata.FieldAsInteger(QStringLiteral("EpromAddress")));
        parameter.Value = sets.FieldAsFloat(parameter.Field);
        set.Parameters.push_back(std::move(parameter));
    }
    return set;
}

QString ValueText(double value, QChar decimalPoint) {
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    return text.replace(QLatin1Char('.'), decimalPoint);
}

QStringList DescriptionLines(const QString& text) {
    QStringList lines;
    QString line;
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsLineEnd(c)) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            lines << std::exchange(line, QString());
            width = 0;
            continue;
        }
        if (width >= DescriptionLineLength) {
            if (c == QLatin1Char(' ')) {
                lines << std::exchange(line, QString());
                width = 0;
                continue;
            }
            if (!BlankWithin(text, i, DescriptionLineLength + kBlankLookAhead - width)) {
                lines << std::exchange(line, QString());
                width = 0;
            }
        }
        line += c;
        width += CharWidth(c);
    }
    if (!line.isEmpty()) {
        lines << line;
    }
    return lines;
}

TPageDocument Layout(const TPrintSet& set, const TPageGeometry& g, const TPrintSettings& settings) {
    const int language = settings.LanguageIndex;
    TPageDocument document;
    document.Width = g.W;
    document.Height = g.H;
    TPrintLines lines(document, g, FooterText(language, settings.PrintedAt));

    TPageSheet& first = lines.Page();
    first.Texts.push_back({g.X0, g.Y0 - 2 * g.R, HeaderLine1(language)});
    first.Texts.push_back({g.X0, g.Y0 - g.R, HeaderLine2(language)});
    const int logoWidth = (set.Family == Family::VfTkx ? 45000 : 22500) / g.Mx;
    const int logoHeight = 10000 / g.My;
    first.Logo = QRect(g.Right() - logoWidth, g.Y0 - logoHeight, logoWidth, logoHeight);
    first.Lines.push_back({g.X0, g.Y0 + g.R / 4, g.Right(), g.Y0 + g.R / 4});
    lines.SetLine(1);
    lines.Print(g.X0, Text(233, language));
    lines.Print(g.X0 + (NameOneColumnFurther(language) ? 5 : 4) * g.C, set.Name);
    lines.SetLine(2);

    // The slot of a parameter is its EEPROM address, so the page reads in address
    // order whatever the metadata order; the psi shadow shares the bar value's address and
    // takes its place. A parameter without a slot of its own (an address beyond the slots, or
    // one displaced from its address) is printed after the slots: a printout never drops a value.
    std::array<Slot, SlotCount> slots;
    std::array<QString, SlotCount> slotFields;
    std::vector<Slot> unslotted;
    const QString psi = QStringLiteral("OffsetSolUpInPsi");
    const QString bar = QStringLiteral("OffsetSolUp");
    for (const TPrintParameter& parameter : set.Parameters) {
        if (set.Family == Family::Tkx && parameter.Field == psi &&
            settings.StoredLanguageValue != Language::UsImperialValue) {
            continue;
        }
        const ParameterInfo* info = ParameterCatalogue::Find(parameter.Field);
        Slot shown;
        shown.Label = info != nullptr ? ParameterCatalogue::Label(*info, language) : ParameterCatalogue::NotFound();
        shown.Unit = info != nullptr ? QString::fromUtf8(info->Unit) : ParameterCatalogue::NotFound();
        shown.Value = ValueText(parameter.Value, settings.DecimalPoint);
        if (parameter.Address < 0 || parameter.Address >= SlotCount) {
            unslotted.push_back(shown);
            continue;
        }
        // A later row of an address takes the slot; the one it displaces is printed after the slots.
        const auto address = static_cast<std::size_t>(parameter.Address);
        const QString& holder = slotFields[address];
        if (parameter.Field == bar && holder == psi) {
            continue;
        }
        if (!holder.isEmpty() && !(parameter.Field == psi && holder == bar)) {
            unslotted.push_back(slots[address]);
        }
        slots[address] = shown;
        slotFields[address] = parameter.Field;
    }
    const auto print = [&](const Slot& slot) {
        lines.Advance(1);
        lines.Print(g.X0, slot.Label);
        lines.Print(g.X0 + 4 * g.C, slot.Value);
        lines.Print(g.X0 + 5 * g.C, slot.Unit);
    };
    for (const Slot& slot : slots) {
        if (!slot.Label.isEmpty()) {
            print(slot);
        }
    }
    for (const Slot& slot : unslotted) {
        print(slot);
    }
    lines.Advance(LinesPerPage); // the memos start on a page of their own

    lines.Advance(2);
    lines.Print(g.X0, Text(212, language));
    lines.Advance(1);
    const QStringList description = DescriptionLines(set.Description);
    const bool openEnd = !set.Description.isEmpty() && !IsLineEnd(set.Description.back());
    for (qsizetype i = 0; i < description.size(); ++i) {
        lines.Print(g.X0, description[i]);
        if (!(openEnd && i + 1 == description.size())) {
            lines.Advance(1);
        }
    }

    lines.Advance(2);
    lines.Print(g.X0, Text(28, language) + QLatin1Char(':'));
    lines.Advance(1);
    WalkMemo(
        set.InfoMemo,
        [](const QString& text, qsizetype i, QString& collected) {
            collected += text[i] == QLatin1Char('\t') ? QStringLiteral("  ") : QString(text[i]);
        },
        [&](const QString& line, bool ended) {
            lines.Print(g.X0, line);
            if (ended) {
                lines.Advance(1);
            }
        });

    lines.Advance(2);
    lines.Print(g.X0, Text(74, language));
    lines.Advance(1);
    int column = 0;
    WalkMemo(
        set.ErrorMemo,
        [&](const QString& text, qsizetype i, QString& collected) {
            const QChar c = text[i];
            if (c == QLatin1Char('\t')) {
                collected += QLatin1Char(' ');
            } else if (c == QLatin1Char(':') && i + 2 < text.size() && text[i + 2].isDigit()) {
                // "name:<tab>hours": the name in the first column, the rest two columns on.
                lines.Print(g.X0 + column * g.C, collected + QStringLiteral(" : "));
                collected.clear();
                column += 2;
            } else if (c == QLatin1Char(':')) {
                collected += QStringLiteral(" : ");
            } else {
                collected += c;
            }
        },
        [&](const QString& line, bool ended) {
            lines.Print(g.X0 + column * g.C, line);
            if (ended) {
                lines.Advance(1);
                column = 0;
            }
        });
    lines.Finish();
    return document;
}

} // namespace TSetPrintout
