#pragma once

#include "core/params/TSetFiles.h"

#include "FuzzInstallation.h"

#include <cstdint>

// Imports the bytes as a file of the kind into both families' tables. Whatever the file
// holds, the import ends in a result and leaves no set half-inserted behind.
inline int ImportSetBytes(const std::uint8_t* data, std::size_t size, TSetFiles::Kind kind) {
    TestInstallation& installation = FuzzInstallation();
    const QString path = installation.Tree.Write(QStringLiteral("input"),
                                                 QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (Family family : {Family::Tkx, Family::VfTkx}) {
        TSetFiles files(*installation.Database, installation.Ui, family);
        const TSetFiles::Result result = files.Import(kind, path);
        TTable& sets = installation.Database->SetTable(family);
        if (result != TSetFiles::Ok && sets.GetState() == TTable::State::Insert) {
            __builtin_trap(); // a refused file must not leave a set waiting to be saved
        }
    }
    ClearSets(installation);
    return 0;
}
