// The factory-settings file reader on arbitrary bytes: every file the sender loads goes through it.
#include "core/base/Language.h"
#include "core/factory/TFactoryFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TFactoryLoad load = ReadFactoryFile(bytes, QStringLiteral("fuzz.fact"), TLanguage());
    // Whatever was read, an accepted entry always has what acceptance asks of it.
    for (const TFactoryEntry& entry : load.Entries) {
        if (entry.WorkingAddress == 0 || entry.Name.trimmed().isEmpty() || entry.Name.size() < 20) {
            __builtin_trap();
        }
    }
    return 0;
}
