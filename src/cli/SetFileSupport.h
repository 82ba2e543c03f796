#pragma once

#include "cli/Command.h"

#include "core/params/TSetFiles.h"

// What the set-file commands share: the kind of file by its extension, and the
// program's messages for a file operation that failed.
namespace SetFileSupport {

using Kind = TSetFiles::Kind;

// The kind a file name's extension (exactly ".set", ".prm" or ".txt") asks for;
// a usage error for any other name. allowText: whether ".txt" is allowed.
Kind KindOf(const QString& fileName, bool allowText);

// Writes the kind of file; reports a failure as the program does (record 196).
bool Export(CliContext& context, TSetFiles& files, Kind kind, const QString& fileName);
// Reads a ".set" or ".prm"; reports a failure as the program does (records 197, 199, 200).
bool Import(CliContext& context, TSetFiles& files, Kind kind, const QString& fileName);

} // namespace SetFileSupport
