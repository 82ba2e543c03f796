// The parameter dump parser on arbitrary bytes: a dump reply is whatever the line delivered.
#include "core/link/TTorvexController.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TParameterDump dump;
    dump.Parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The lists are read side by side by position: they must never differ in length.
    if (dump.Numbers.size() != dump.Values.size() || dump.Units.size() != dump.Values.size() ||
        dump.Names.size() != dump.Values.size()) {
        __builtin_trap();
    }
    for (const QString& value : dump.Values) {
        for (QChar c : value) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                __builtin_trap(); // a value is digits only
            }
        }
    }
    return 0;
}
