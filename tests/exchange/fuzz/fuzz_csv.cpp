// libFuzzer target for the CSV reader (encodings, separators, quotes) and price lists.
#include "FuzzSpreadsheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korvex::testing::fuzzCsv(data, size);
    return 0;
}
