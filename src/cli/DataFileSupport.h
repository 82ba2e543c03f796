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

} // namespace DataFileSupport
