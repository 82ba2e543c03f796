// The .set reader on arbitrary bytes: every set file a user imports goes through it.
#include "SetFileHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return ImportSetBytes(data, size, TSetFiles::Kind::Set);
}
