#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The layout of every table of the parameter database: one SQLite file per table,
// holding one SQL table named after the file's base name.
enum class FieldType { Auto, Text, Memo, Float, Integer };

struct FieldDef {
    QString Name;
    FieldType Type = FieldType::Float;
    int Size = 0; // characters, for Text
};

// The order in which a table's records are walked.
enum class TableOrder {
    Insertion,      // lookup tables: as delivered
    Name,           // parameter sets: by name without regard to case, then by Id
    ControllerType, // metadata: by family, then as delivered
};

struct TableDef {
    QString ObjectName; // the name the program's code uses, e.g. "TableTKX"
    QString FileName;   // as the database directory holds it, e.g. "Tkx.DB"
    std::vector<FieldDef> Fields;
    TableOrder Order = TableOrder::Insertion;

    // The SQL table inside the file: the file's base name.
    QString SqlName() const;
    // The file name in the database directory: a name without extension gets ".db".
    QString DiskName() const;
    // The statement that creates the table with its fields in order.
    QString CreateStatement() const;
    const FieldDef* Field(const QString& name) const; // without regard to case
};

namespace Schema {

// All 58 tables, in the order the database opens them.
const std::vector<TableDef>& Catalogue();
const TableDef* FindTable(const QString& objectName);

// The parameter fields of the set tables, in field order.
const QStringList& TkxParameterFields();
const QStringList& ItkxParameterFields();
const QStringList& FactoryParameterFields();

// The language suffix of per-language lookup tables for a language index:
// "DE", "FR", "IT", "SP", "PL" for 1, 3, 4, 5, 6 and "EN" for every other index.
QString LanguageSuffix(int languageIndex);

} // namespace Schema
