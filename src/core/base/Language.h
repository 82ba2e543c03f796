#pragma once

#include <QString>

namespace Language {

// Records 0..330 are the program's original texts; from 400 on come the texts it needed since
// (331..399 stay empty). RecordCount is one past the last record.
constexpr int OriginalRecordCount = 331;
constexpr int FirstAddedRecord = 400;
constexpr int RecordCount = 435;
constexpr bool IsRecord(int record) {
    return (record >= 0 && record < OriginalRecordCount) || (record >= FirstAddedRecord && record < RecordCount);
}
constexpr int ColumnCount = 8; // German, English, French, Italian, Spanish, Polish, Chinese, Japanese
constexpr int English = 2;
constexpr int Chinese = 7;
constexpr int UsImperialValue = 102;

// The column a stored language value selects: 102 shows the English texts.
constexpr int IndexForValue(int storedValue) {
    return storedValue == UsImperialValue ? English : storedValue;
}

} // namespace Language

// The text of a record in a language column. An index without a column (9, or
// whatever a hand-edited file holds) shows English. Empty cells stay empty.
QString Text(int record, int languageIndex);

// The language and unit choice of a run: which column of the language records is
// shown (Index: 1 German ... 8 Japanese) and the configured value behind it
// (StoredValue: 1..9, or 102 for English with US imperial units). The configuration
// owns it; everything that shows a text reads it, so a change shows in texts fetched later.
class TLanguage {
public:
    int Index() const { return m_index; }
    int StoredValue() const { return m_storedValue; }
    // The column used where the configuration names none.
    int DefaultIndex() const { return m_defaultIndex; }
    bool UsImperial() const { return m_storedValue == Language::UsImperialValue; }
    bool IsChinese() const { return m_index == Language::Chinese; }
    QString Text(int record) const { return ::Text(record, m_index); }

    // Takes a configured value: its column is shown from now on.
    void Choose(int storedValue) {
        m_storedValue = storedValue;
        m_index = Language::IndexForValue(storedValue);
    }
    void SetIndex(int index) { m_index = index; }
    void SetDefaultIndex(int index) { m_defaultIndex = index; }
    void Reset() { *this = TLanguage(); }

private:
    int m_index = 0;
    int m_storedValue = 0;
    int m_defaultIndex = Language::English;
};

// Slot 0 is the record number right-aligned to three characters; slots 1..8 the columns.
QString RecordSlot(int record, int slot);
