#pragma once

#include "core/base/Family.h"
#include "core/params/TPrintPage.h"

#include <QChar>
#include <QDateTime>
#include <QStringList>

#include <functional>
#include <vector>

class TTable;

// One parameter of the set to print, in metadata table order.
struct TPrintParameter {
    QString Field;
    int Address = 0;
    double Value = 0;
};

// What a printout shows of one stored set.
struct TPrintSet {
    ::Family Family = ::Family::Tkx;
    QString Name;
    QString Description;
    QString InfoMemo;
    QString ErrorMemo;
    std::vector<TPrintParameter> Parameters;
};

// How the pages are to speak: the language column, the configured language value
// (102 prints pressures in psi), the decimal separator and the "printed" stamp.
struct TPrintSettings {
    int LanguageIndex = 2;
    int StoredLanguageValue = 2;
    QChar DecimalPoint = QLatin1Char('.');
    QString PrintedAt;

    // The user's locale: its decimal separator and its date and time for the stamp.
    static TPrintSettings ForLocale(int languageIndex, int storedLanguageValue, const QDateTime& now);
};

// The set printout: one line per parameter in EEPROM-address order, then the
// description, the information memo and the error list, each page with its footer.
namespace TSetPrintout {

constexpr int SlotCount = 111;
constexpr int LinesPerPage = 65;
constexpr int DescriptionLineLength = 80;

// The current record of the set table with the family's metadata rows, in table order.
// progress gets the printout's positions (5, then a step per metadata row). A metadata
// field the set table lacks throws TableError.
TPrintSet ReadCurrentSet(TTable& metadata, TTable& sets, Family family, const std::function<void(int)>& progress = {});

TPageDocument Layout(const TPrintSet& set, const TPageGeometry& geometry, const TPrintSettings& settings);

// A value as the printout writes it: shortest exact form, never an exponent.
QString ValueText(double value, QChar decimalPoint);

// The description cut into printed lines: at line ends, and once a line has 80
// characters at its next blank (which is dropped). A wide (East Asian) character
// counts twice, and a line that finds no blank soon after is cut where it stands,
// so nothing runs off the page.
QStringList DescriptionLines(const QString& text);

// The company lines above the first page's set name and the footer of every page.
QString HeaderLine1(int languageIndex);
QString HeaderLine2(int languageIndex);
QString FooterText(int languageIndex, const QString& printedAt);

} // namespace TSetPrintout

// Where the next line goes: the line counter of the current page, with the
// footer and a new page once a page is full. Shared by every portrait printout.
class TPrintLines {
public:
    TPrintLines(TPageDocument& document, const TPageGeometry& geometry, QString footer);
    TPageSheet& Page() { return m_document.Pages.back(); }
    int Line() const { return m_line; }
    void SetLine(int line) { m_line = line; }
    void Advance(int lines);
    void Print(int x, const QString& text);
    // Ends the last page with its footer.
    void Finish();

private:
    void Footer();

    TPageDocument& m_document;
    const TPageGeometry& m_geometry;
    QString m_footer;
    int m_line = 1;
};
