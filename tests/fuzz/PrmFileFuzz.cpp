// The .prm reader (every set of a family in one file) on arbitrary bytes.
#include "SetFileHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return ImportSetBytes(data, size, TSetFiles::Kind::AllSets);
}
