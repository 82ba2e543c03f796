// The data-file reader on arbitrary bytes: every file the user opens goes through it.
#include "core/livedata/TDataFile.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QString error;
    const auto scan = DataFile::Inspect(buffer, error);
    if (!scan) {
        return 0;
    }
    for (int k = 0; k < scan->Header.PictureCount; ++k) {
        const auto drawn = DataFile::DrawnRecords(buffer, scan->Header, k, error);
        (void)DataFile::Summarise(scan->Header, k, drawn);
    }
    return 0;
}
