#pragma once

#include "cli/Command.h"

#include "core/livedata/TDataFile.h"

#include <QFile>

#include <optional>

// What the data-file commands share: opening and checking a file, and the line a picture prints as.
namespace DataFileSupport {

// The file opened for reading and its (recovered) header; nullopt with the reason printed.
std::optional<TDataFileScan> Open(CliContext& context, QFile& file);

// number TAB start TAB records TAB seconds TAB direction, as "torvex pictures" prints it.
QString PictureLine(int number, const DataFile::PictureSummary& summary);

// What a file written whole from elsewhere (a PDF, a CSV) must never take the place of: "a data
// file" (its runs, and a recording may be writing into it) or "a database file" (the stored sets,
// which the command may itself have open). Empty when the path holds neither.
QString StoreAt(const QString& path);

} // namespace DataFileSupport
