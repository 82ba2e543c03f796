#pragma once

#include "core/params/TParameterDatabase.h"

#include <map>

// A complete set of the family: every metadata field at its default, the given values winning.
// A write refuses a set with empty fields, so tests that send one start from this.
inline std::map<QString, double> WithMetadataDefaults(TParameterDatabase& database, Family family,
                                                      std::map<QString, double> values) {
    database.SetParameterFamily(family);
    TTable& metadata = database.TableParameterDBSettings();
    for (metadata.First(); !metadata.Eof(); metadata.Next()) {
        values.emplace(metadata.FieldAsText(QStringLiteral("FieldName")),
                       metadata.FieldAsFloat(QStringLiteral("Default")));
    }
    return values;
}
