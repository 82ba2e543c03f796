#pragma once

#include <QString>

// The language globals: which column of the language records the program shows.
// LanguageIndex selects the column (1 German ... 8 Japanese); StoredLanguageValue
// is the configured value (1..9, or 102 for English with US imperial units).
inline int LanguageIndex = 0;
inline int StoredLanguageValue = 0;
inline int DefaultLanguageIndex = 2;

namespace Language {

constexpr int RecordCount = 331;
constexpr int ColumnCount = 8; // German, English, French, Italian, Spanish, Polish, Chinese, Japanese
constexpr int English = 2;
constexpr int UsImperialValue = 102;

// The column a stored language value selects: 102 shows the English texts.
constexpr int IndexForValue(int storedValue) { return storedValue == UsImperialValue ? English : storedValue; }

} // namespace Language

// The text of a record in the current LanguageIndex. An index without a column
// (9, or whatever a hand-edited file holds) shows English. Empty cells stay empty.
QString Text(int record);
QString Text(int record, int languageIndex);

// Slot 0 is the record number right-aligned to three characters; slots 1..8 the columns.
QString RecordSlot(int record, int slot);
